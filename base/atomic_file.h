#pragma once

#include "base/pictavel_error.h"
#include "base/stat_stamp.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class AtomicBatch;

// A file written in full under a temporary name in its folder and renamed over
// its final name only once every write and the flush to disk have succeeded,
// so that the path holds either the old file or the whole new one.
// A failure removes the temporary file and leaves the old file byte for byte.
// The rename replaces a symbolic link at the path by the new file and leaves
// the link's target alone; an existing file's permissions are kept.
//
// The calls do not throw, so that a C library's callbacks may write through
// them; error() then tells the caller what to raise.
//
// Given a batch, commit() leaves the complete file under its temporary name
// for the batch to publish together with others.
class AtomicFile
{
public:
    explicit AtomicFile(const QString &path, AtomicBatch *batch = nullptr);
    // A file whose name comes later (name()), written meanwhile under a
    // temporary name in `folder`.
    struct NamedLater
    {
        QString folder;
    };
    explicit AtomicFile(const NamedLater &place, AtomicBatch *batch = nullptr);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file.
    bool open();
    bool write(const void *data, size_t size);
    // Gives a file made NamedLater its path, in the same folder, before
    // commit(); false, giving up, when a folder stands there.
    bool name(const QString &path);
    // Flushes, renames and closes; false leaves the old file. With a batch,
    // hands the closed file to it instead.
    bool commit();
    // After commit() without a batch: the stamp of the file this writer made,
    // taken from its descriptor, so that a file another writer put at the
    // path after the rename is not taken for it.
    const std::optional<StatStamp> &stamp() const { return m_stamp; }
    // Gives up: the temporary file goes, the old file stays.
    void cancel();

    // "Cannot create file %s: reason" when open() failed, else
    // "Cannot write file %s: reason", with the system's reason.
    PictavelError error() const;
    // The system's words for the failure ("No space left on device").
    QString reason() const;

private:
    bool fail();
    // Fails when a folder stands at the final name; false after a failure.
    bool finalNameIsNoFolder();
    // Gives the temporary file the permissions of the file it will replace.
    bool keepPermissions();

    QString m_path;
    AtomicBatch *m_batch;
    QByteArray m_finalName;
    QByteArray m_tempName;
    int m_fd = -1;
    bool m_opened = false;
    // False for a file made NamedLater until name() is called.
    bool m_named = true;
    int m_errno = 0;
    std::optional<StatStamp> m_stamp;
};

// Files written through AtomicFile whose durability is paid for together:
// committed into the batch, each lies complete under its temporary name, and
// its final name keeps the old file until its data is durable. While files
// are committed, a thread of the batch syncs their file systems whenever
// some megabytes have come, and then renames the files committed before
// that sync over their final names. publish() syncs what is left and
// renames the rest, in the order they were committed. So after a crash, a
// kill or a full disk, every final name holds the old file or the whole new
// one, as with files committed one by one, at the cost of a sync every few
// megabytes instead of one per file. A batch destroyed unpublished removes
// the temporary files it has not renamed yet. Files are committed into it
// from any thread.
class AtomicBatch
{
public:
    AtomicBatch() = default;
    ~AtomicBatch();
    AtomicBatch(const AtomicBatch &) = delete;
    AtomicBatch &operator=(const AtomicBatch &) = delete;

    // What became of one file of the batch.
    struct Published
    {
        QString path;
        // The stamp of the file as published, when it is still the one the
        // batch renamed there.
        std::optional<StatStamp> stamp;
        // Why it was not published ("Cannot write file ...: reason"); the old
        // file stays. Empty when it was.
        QString error;
    };

    // Publishes every file committed so far, in order, and empties the batch:
    // what became of each file, those the batch's thread published first.
    std::vector<Published> publish();
    // Whether no file waits to be published or reported.
    bool empty() const;

private:
    friend class AtomicFile;
    struct Pending
    {
        QString path;
        QByteArray tempName;
        QByteArray finalName;
        quint64 device = 0;
        quint64 inode = 0;
    };
    // A file system the files lie on: a folder on it, opened when its first
    // file came, through which it is synced, and the first error that the
    // opening or a sync met, which keeps its files from being published.
    struct FileSystem
    {
        quint64 device = 0;
        int folder = -1;
        int error = 0;
    };
    void add(Pending pending, size_t bytes);
    // Renames the file over its final name unless `error` (an errno)
    // already keeps it from being published.
    static Published publishFile(const Pending &file, int error);
    void syncInBackground();
    // Stops the background syncs and waits for the one under way.
    void stopSyncing();

    mutable std::mutex m_mutex;
    std::vector<Pending> m_pending;
    // Files the batch's thread has published since the last publish().
    std::vector<Published> m_published;
    std::vector<FileSystem> m_fileSystems;
    size_t m_unsyncedBytes = 0;
    bool m_stopping = false;
    std::condition_variable m_changed;
    std::thread m_syncer;
};

// For tests: runs right after every rename of a committed file, with its
// final path, where another writer of the same path could replace it.
void setAfterRenameHookForTests(void (*hook)(const QByteArray &path));

// Removes from `folder` (not below it) the temporary files that writers
// through AtomicFile left when they were killed: those whose process has
// ended, and those of earlier versions, which named no process, once
// untouched for an hour. Nothing else is touched, and a failure is passed
// over.
void removeAbandonedTemporaries(const QString &folder);

// Writes `bytes` as the whole file at `path` through AtomicFile; raises its
// error. The stamp of the file written.
std::optional<StatStamp> writeFileAtomically(const QString &path, const QByteArray &bytes);

// writeFileAtomically() unless `path` is a regular file that holds `bytes`
// already, which is then left as it is, untouched; whether it was written.
bool writeFileUnlessSame(const QString &path, const QByteArray &bytes);
