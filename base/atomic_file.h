#pragma once

#include "base/pictavel_error.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

// A file written in full under a temporary name in its folder and renamed over
// its final name only once every write, the flush to disk and the close have
// succeeded, so that the path holds either the old file or the whole new one.
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
    // Flushes, closes and renames; false leaves the old file.
    bool commit();
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
};

// Removes from `folder` (not below it) the temporary files that writers
// through AtomicFile left when they were killed: those whose process has
// ended, and those of earlier versions, which named no process, once
// untouched for an hour. Nothing else is touched, and a failure is passed
// over.
void removeAbandonedTemporaries(const QString &folder);

// Writes `bytes` as the whole file at `path` through AtomicFile; raises its
// error.
void writeFileAtomically(const QString &path, const QByteArray &bytes);
