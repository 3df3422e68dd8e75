#pragma once

#include "base/pictavel_error.h"
#include "base/stat_stamp.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

// A file written in full under a temporary name in its folder and renamed over
// its final name only once every write and the flush to disk have succeeded,
// so that the path holds either the old file or the whole new one.
// A failure removes the temporary file and leaves the old file byte for byte.
// The rename replaces a symbolic link at the path by the new file and leaves
// the link's target alone; an existing file's permissions are kept.
//
// The calls do not throw, so that a C library's callbacks may write through
// them; error() then tells the caller what to raise.
class AtomicFile
{
public:
    explicit AtomicFile(const QString &path);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file.
    bool open();
    bool write(const void *data, size_t size);
    // Flushes, renames and closes; false leaves the old file.
    bool commit();
    // After commit(): the stamp of the file this writer made, taken from its
    // descriptor, so that a file another writer put at the path after the
    // rename is not taken for it.
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

    QString m_path;
    QByteArray m_finalName;
    QByteArray m_tempName;
    int m_fd = -1;
    bool m_opened = false;
    int m_errno = 0;
    std::optional<StatStamp> m_stamp;
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
