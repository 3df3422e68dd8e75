#include "base/same_file.h"

#include <QFile>

#include <sys/stat.h>

namespace {

bool fileIdentity(const QString &path, QPair<quint64, quint64> &identity)
{
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 ||
        S_ISDIR(info.st_mode))
        return false;
    identity = {quint64(info.st_dev), quint64(info.st_ino)};
    return true;
}

} // namespace

SourceFiles::SourceFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        QPair<quint64, quint64> identity;
        if (fileIdentity(path, identity) && !m_sources.contains(identity))
            m_sources.insert(identity, path);
    }
}

QString SourceFiles::sourceAt(const QString &path) const
{
    QPair<quint64, quint64> identity;
    if (m_sources.isEmpty() || !fileIdentity(path, identity))
        return {};
    return m_sources.value(identity);
}
