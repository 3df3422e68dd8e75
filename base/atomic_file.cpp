#include "base/atomic_file.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <limits>
#include <memory>
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

constexpr char kTemporaryPrefix[] = ".pictavel-";
constexpr char kTemporarySuffix[] = ".part";
// A temporary file of a writer that left no process id in its name is taken
// as abandoned once it has not been written to for this long.
constexpr time_t kAbandonedAfterSeconds = 3600;

void (*afterRenameHook)(const QByteArray &path) = nullptr;

// A hidden name of bounded length, so that a long final name cannot make it
// too long for the file system. It holds the writer's process id, so that
// what a killed writer left can be told from what a running one writes.
QByteArray temporaryName(const QByteArray &folder)
{
    const quint64 tag = QRandomGenerator::global()->generate64();
    return folder + "/" + kTemporaryPrefix + QByteArray::number(qint64(::getpid())) + "-" +
           QByteArray::number(tag, 16) + kTemporarySuffix;
}

bool isHex(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// Whether `name` is a temporary file that no running writer will finish: one
// whose writer's process has ended, or, from a writer that named no process,
// one left untouched for an hour. A writer in another process id namespace
// is not seen, but its files are in use for moments only.
bool isAbandonedTemporary(QByteArrayView name, const struct stat &info, time_t now)
{
    if (!name.startsWith(kTemporaryPrefix) || !name.endsWith(kTemporarySuffix) ||
        !S_ISREG(info.st_mode))
        return false;
    const QByteArrayView middle =
        name.sliced(std::size(kTemporaryPrefix) - 1).chopped(std::size(kTemporarySuffix) - 1);
    const qsizetype dash = middle.indexOf('-');
    if (dash < 0)
        return isHex(middle) && now - info.st_mtime > kAbandonedAfterSeconds;
    bool ok = false;
    const qint64 pid = middle.first(dash).toLongLong(&ok);
    if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max() ||
        !isHex(middle.sliced(dash + 1)) || pid_t(pid) == ::getpid())
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

AtomicFile::AtomicFile(const QString &path, AtomicBatch *batch)
    : m_path(path), m_batch(batch), m_finalName(QFile::encodeName(path))
{
}

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

AtomicFile::AtomicFile(const NamedLater &place, AtomicBatch *batch)
    : m_path(place.folder), m_batch(batch), m_named(false)
{
}

bool AtomicFile::finalNameIsNoFolder()
{
    struct stat existing
    {
    };
    if (::lstat(m_finalName.constData(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        m_errno = EISDIR;
        return false;
    }
    return true;
}

bool AtomicFile::keepPermissions()
{
    struct stat existing
    {
    };
    if (::lstat(m_finalName.constData(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ::fchmod(m_fd, existing.st_mode & 07777) != 0)
        return fail();
    return true;
}

bool AtomicFile::open()
{
    // A folder stands where the file should go: say so before writing.
    if (m_named && !finalNameIsNoFolder())
        return false;
    const QByteArray folder = m_named ? folderOf(m_finalName) : QFile::encodeName(m_path);
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
    return !m_named || keepPermissions();
}

bool AtomicFile::name(const QString &path)
{
    if (m_fd < 0)
        return false;
    m_path = path;
    m_finalName = QFile::encodeName(path);
    m_named = true;
    if (!finalNameIsNoFolder()) {
        cancel();
        return false;
    }
    return keepPermissions();
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
    if (!m_named) {
        m_errno = EINVAL;
        cancel();
        return false;
    }
    if (m_batch) {
        // The data starts on its way to the disk now, without waiting, so
        // that the batch's one sync finds little left to write.
        ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        struct stat info
        {
        };
        const bool stated = ::fstat(m_fd, &info) == 0;
        if (!stated)
            m_errno = errno;
        const bool closed = ::close(m_fd) == 0;
        if (stated && !closed)
            m_errno = errno;
        m_fd = -1;
        if (!stated || !closed) {
            cancel();
            return false;
        }
        m_batch->add({m_path, m_tempName, m_finalName, quint64(info.st_dev), quint64(info.st_ino)},
                     size_t(info.st_size));
        m_tempName.clear();
        return true;
    }
    // A full disk may show itself only when the data reaches it.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        return fail();
    if (::rename(m_tempName.constData(), m_finalName.constData()) != 0)
        return fail();
    m_tempName.clear();
    if (afterRenameHook)
        afterRenameHook(m_finalName);
    // The rename changes the status-change time, so the stamp is taken after
    // it, from the descriptor. The data is on disk already, so a failing
    // close loses nothing.
    m_stamp = statStamp(m_fd);
    ::close(m_fd);
    m_fd = -1;
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

std::optional<StatStamp> writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    AtomicFile file(path);
    if (!file.open() || !file.write(bytes.constData(), size_t(bytes.size())) || !file.commit())
        throw file.error();
    return file.stamp();
}

bool writeFileUnlessSame(const QString &path, const QByteArray &bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info
    {
    };
    if (::lstat(name.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size == bytes.size()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.read(bytes.size() + 1) == bytes)
            return false;
    }
    writeFileAtomically(path, bytes);
    return true;
}

namespace {

// New data in the batch's files that makes its thread sync them.
constexpr size_t kBackgroundSyncBytes = size_t(4) << 20;

} // namespace

AtomicBatch::~AtomicBatch()
{
    stopSyncing();
    for (const Pending &pending : m_pending)
        ::unlink(pending.tempName.constData());
    for (const FileSystem &system : m_fileSystems)
        if (system.folder >= 0)
            ::close(system.folder);
}

void AtomicBatch::add(Pending pending, size_t bytes)
{
    const std::lock_guard lock(m_mutex);
    const bool known = std::any_of(m_fileSystems.begin(), m_fileSystems.end(),
                                   [&](const FileSystem &s) { return s.device == pending.device; });
    if (!known) {
        // Opened now rather than when published, so that its syncs report
        // the failed writes of this file and every later one.
        FileSystem system{pending.device, ::open(folderOf(pending.tempName).constData(),
                                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
        system.error = system.folder < 0 ? errno : 0;
        m_fileSystems.push_back(system);
    }
    m_pending.push_back(std::move(pending));
    m_unsyncedBytes += bytes;
    if (m_unsyncedBytes < kBackgroundSyncBytes)
        return;
    if (!m_syncer.joinable())
        m_syncer = std::thread([this] { syncInBackground(); });
    m_changed.notify_one();
}

void AtomicBatch::syncInBackground()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock,
                       [this] { return m_stopping || m_unsyncedBytes >= kBackgroundSyncBytes; });
        if (m_stopping)
            return;
        m_unsyncedBytes = 0;
        // File systems are only ever added, so the first ones stay where
        // they are while the lock is let go; so do the files committed so
        // far, which lie on them.
        const size_t count = m_fileSystems.size();
        const size_t committed = m_pending.size();
        std::vector<int> folders;
        for (size_t i = 0; i < count; ++i)
            folders.push_back(m_fileSystems[i].folder);
        lock.unlock();
        std::vector<int> errors(count, 0);
        for (size_t i = 0; i < count; ++i)
            if (folders[i] >= 0 && ::syncfs(folders[i]) != 0)
                errors[i] = errno;
        lock.lock();
        QHash<quint64, int> syncErrors;
        for (size_t i = 0; i < count; ++i) {
            if (m_fileSystems[i].error == 0)
                m_fileSystems[i].error = errors[i];
            syncErrors.insert(m_fileSystems[i].device, m_fileSystems[i].error);
        }
        // The files committed before the sync began are durable now, and
        // are published at once: replacing an old file may take the file
        // system milliseconds, which would otherwise all fall at the end.
        // Those on a file system that failed to sync stay for publish() to
        // report.
        const auto synced = m_pending.begin() + ptrdiff_t(committed);
        const auto durable =
            std::stable_partition(m_pending.begin(), synced, [&](const Pending &file) {
                return syncErrors.value(file.device) != 0;
            });
        const std::vector<Pending> renamed(std::make_move_iterator(durable),
                                           std::make_move_iterator(synced));
        m_pending.erase(durable, synced);
        lock.unlock();
        std::vector<Published> published;
        for (const Pending &file : renamed)
            published.push_back(publishFile(file, 0));
        lock.lock();
        m_published.insert(m_published.end(), std::make_move_iterator(published.begin()),
                           std::make_move_iterator(published.end()));
    }
}

void AtomicBatch::stopSyncing()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_syncer.joinable())
        m_syncer.join();
    const std::lock_guard lock(m_mutex);
    m_stopping = false;
}

bool AtomicBatch::empty() const
{
    const std::lock_guard lock(m_mutex);
    return m_pending.empty() && m_published.empty();
}

AtomicBatch::Published AtomicBatch::publishFile(const Pending &file, int error)
{
    if (error == 0 && ::rename(file.tempName.constData(), file.finalName.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(file.tempName.constData());
        return {file.path, std::nullopt,
                QStringLiteral("Cannot write file %1: %2")
                    .arg(file.path, QString::fromLocal8Bit(std::strerror(error)))};
    }
    if (afterRenameHook)
        afterRenameHook(file.finalName);
    // The rename changes the status-change time, so the stamp is taken
    // after it; a file that is no longer the one renamed there is not taken
    // for it.
    std::optional<StatStamp> stamp = statStamp(file.path);
    if (stamp && stamp->inode != file.inode)
        stamp.reset();
    return {file.path, stamp, {}};
}

std::vector<AtomicBatch::Published> AtomicBatch::publish()
{
    stopSyncing();
    std::vector<Published> published;
    std::vector<Pending> pending;
    std::vector<FileSystem> systems;
    {
        const std::lock_guard lock(m_mutex);
        published.swap(m_published);
        pending.swap(m_pending);
        systems.swap(m_fileSystems);
        m_unsyncedBytes = 0;
    }
    // The last sync of each file system the files lie on; what it cannot
    // sync, or what an earlier sync of it could not, is not published.
    QHash<quint64, int> syncErrors;
    for (FileSystem &system : systems) {
        if (system.folder >= 0) {
            if (::syncfs(system.folder) != 0 && system.error == 0)
                system.error = errno;
            ::close(system.folder);
        }
        syncErrors.insert(system.device, system.error);
    }
    published.reserve(published.size() + pending.size());
    for (const Pending &file : pending)
        published.push_back(publishFile(file, syncErrors.value(file.device)));
    return published;
}

void setAfterRenameHookForTests(void (*hook)(const QByteArray &path))
{
    afterRenameHook = hook;
}

void removeAbandonedTemporaries(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(path.constData()), ::closedir);
    if (!dir)
        return;
    const time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArrayView name(entry->d_name);
        if (!name.startsWith(kTemporaryPrefix))
            continue;
        struct stat info
        {
        };
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            isAbandonedTemporary(name, info, now))
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}
