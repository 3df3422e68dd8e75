#pragma once

#include <QString>

#include <functional>

// One export of a project folder at a time, whichever program runs it: an
// advisory lock on a file beside the folder's export record, held while the
// object lives and let go by the system when its process ends.
class ExportLock
{
public:
    enum class WhenBusy { Wait, Refuse };

    // Takes the lock of `projectFolder`. While another export holds it, Wait
    // tells `onNotice` once and waits; Refuse raises PictavelError. Without a
    // cache folder to hold the lock file, the export goes on unlocked and
    // `onNotice` is told so.
    ExportLock(const QString &projectFolder, WhenBusy whenBusy,
               const std::function<void(const QString &)> &onNotice);
    ~ExportLock();
    ExportLock(const ExportLock &) = delete;
    ExportLock &operator=(const ExportLock &) = delete;

private:
    int m_fd = -1;
};
