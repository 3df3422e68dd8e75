#include "base/atomic_file.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folder part of a path, "." for a bare name.
QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// A hidden name of fixed length, so that a long final name cannot make it too
// long for the file system.
QByteArray temporaryName(const QByteArray &folder)
{
    const quint64 tag = QRandomGenerator::global()->generate64();
    return folder + "/.pictavel-" + QByteArray::number(tag, 16) + ".part";
}

} // namespace

AtomicFile::AtomicFile(const QString &path) : m_path(path), m_finalName(QFile::encodeName(path)) {}

AtomicFile::~AtomicFile()
{
    cancel();
}

bool AtomicFile::fail()
{
    m_errno = errno;
    cancel();
    return false;
}

bool AtomicFile::open()
{
    // A folder stands where the file should go: say so before writing.
    struct stat existing
    {
    };
    const bool exists = ::lstat(m_finalName.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        m_errno = EISDIR;
        return false;
    }
    const QByteArray folder = folderOf(m_finalName);
    for (int attempt = 0; attempt < 16; ++attempt) {
        m_tempName = temporaryName(folder);
        m_fd = ::open(m_tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0 || errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_errno = errno;
        m_tempName.clear();
        return false;
    }
    m_opened = true;
    if (exists && S_ISREG(existing.st_mode) && ::fchmod(m_fd, existing.st_mode & 07777) != 0)
        return fail();
    return true;
}

bool AtomicFile::write(const void *data, size_t size)
{
    if (m_fd < 0)
        return false;
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail();
        }
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

bool AtomicFile::commit()
{
    if (m_fd < 0)
        return false;
    // A full disk may show itself only when the data reaches it.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        return fail();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        m_errno = errno;
        cancel();
        return false;
    }
    if (::rename(m_tempName.constData(), m_finalName.constData()) != 0)
        return fail();
    m_tempName.clear();
    return true;
}

void AtomicFile::cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.isEmpty()) {
        ::unlink(m_tempName.constData());
        m_tempName.clear();
    }
}

QString AtomicFile::reason() const
{
    return QString::fromLocal8Bit(std::strerror(m_errno));
}

PictavelError AtomicFile::error() const
{
    return PictavelError((m_opened ? QStringLiteral("Cannot write file %1: %2")
                                   : QStringLiteral("Cannot create file %1: %2"))
                             .arg(m_path, reason()));
}

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    AtomicFile file(path);
    if (!file.open() || !file.write(bytes.constData(), size_t(bytes.size())) || !file.commit())
        throw file.error();
}
