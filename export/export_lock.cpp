#include "export/export_lock.h"

#include "base/paths.h"
#include "base/pictavel_error.h"
#include "export/export_record.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

ExportLock::ExportLock(const QString &projectFolder, WhenBusy whenBusy,
                       const std::function<void(const QString &)> &onNotice)
{
    const auto notice = [&onNotice](const QString &text) {
        if (onNotice)
            onNotice(text);
    };
    const QString record = exportRecordPath(projectFolder);
    if (record.isEmpty())
        return;
    const QString path = record + QStringLiteral(".lock");
    try {
        ensureFolderPath(QFileInfo(path).path());
    } catch (const PictavelError &error) {
        notice(error.message() + QStringLiteral(": another export may run at the same time"));
        return;
    }
    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        notice(QStringLiteral("Cannot create file %1: %2: another export may run at the same time")
                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return;
    if (whenBusy == WhenBusy::Refuse) {
        ::close(m_fd);
        m_fd = -1;
        throw PictavelError(
            QStringLiteral("Another export of %1 is running; nothing was written. Try again once "
                           "it has finished.")
                .arg(projectFolder));
    }
    notice(QStringLiteral("waiting for another export of %1 to finish").arg(projectFolder));
    while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

ExportLock::~ExportLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
