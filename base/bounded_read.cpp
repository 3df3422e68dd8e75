#include "base/bounded_read.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::optional<QByteArray> readBoundedRegularFile(const QString &path, qint64 maxBytes, QString &why)
{
    why.clear();
    const Descriptor file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno != ENOENT)
            why = systemReason(errno);
        return std::nullopt;
    }
    struct stat info
    {
    };
    if (::fstat(file.get(), &info) != 0) {
        why = systemReason(errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        why = QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    if (info.st_size > maxBytes) {
        why = QStringLiteral("it is larger than %1 MB").arg(maxBytes >> 20);
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, size_t(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            why = systemReason(errno);
            return std::nullopt;
        }
        if (got == 0)
            break;
        done += got;
    }
    // A file that shrank while it was read is taken as far as it went.
    bytes.truncate(done);
    return bytes;
}
