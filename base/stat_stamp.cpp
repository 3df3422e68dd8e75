#include "base/stat_stamp.h"

#include <QFile>

#include <sys/stat.h>

namespace {

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1000000000 + qint64(time.tv_nsec);
}

std::optional<StatStamp> stampOf(const struct stat &info)
{
    if (!S_ISREG(info.st_mode))
        return std::nullopt;
    return StatStamp{qint64(info.st_size), quint64(info.st_ino), nanoseconds(info.st_mtim),
                     nanoseconds(info.st_ctim)};
}

} // namespace

std::optional<StatStamp> statStamp(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return stampOf(info);
}

std::optional<StatStamp> statStamp(int fd)
{
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return stampOf(info);
}
