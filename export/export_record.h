#pragma once

#include "base/stat_stamp.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <mutex>
#include <optional>

class TBitmap32;

// Bumped whenever the decoders, the resampling or the encoder change the
// bytes they make for the same input, so that files made by an earlier
// program are all written again.
inline constexpr int kPicturePipelineVersion = 1;

class SourceFiles;

// A record larger than this is taken as none: a few hundred bytes per file
// give room for galleries of tens of thousands of pictures.
inline constexpr qint64 kMaxExportRecordBytes = 64 << 20;

// A text that names a source as it is now: its canonical path and stamp,
// status-change time included, so that a file copied over it with its old
// modification time set back still differs. Empty when it cannot be stat()ed.
QByteArray sourceInputs(const QString &path);

// A hash of the pixels a thumbnail is written from, with their size.
QByteArray pixelsHash(const TBitmap32 &pixels);

// The export's memory of the files it wrote into one project folder: for
// each output file, keyed by its path under the project folder, a text that
// says what it was made from, and the file's size, inode, modification and
// status-change times just after the write. A file is up to date when both still match; any
// doubt (no record, another program's write, a changed input) writes it.
//
// The record is a JSON file in the user's cache folder
// (QStandardPaths::CacheLocation), in "exports/", named by the SHA-1 of the
// project folder's canonical path:
//
//   { "format": "pictavel-export", "version": 1,
//     "projectFolder": "/home/ann/www/trip",
//     "files": { "gal/A_0001.jpg": { "inputs": "...", "source": "...",
//                                     "size": 123, "inode": 456,
//                                     "mtimeNs": 789, "ctimeNs": 790 },
//                ... } }
//
// The numbers are texts, since JSON's numbers lose 64-bit precision.
//
// A record of another format, version or folder, or one that cannot be read,
// counts as none.
class ExportRecord
{
public:
    // The record of `projectFolder`, or an empty one. A record file that is
    // no regular file, is too large or cannot be read is not used, and
    // `problem` says so; it stays empty for a missing or foreign record.
    static ExportRecord load(const QString &projectFolder, QString *problem = nullptr);
    // An empty record of `projectFolder`, which writes everything.
    static ExportRecord empty(const QString &projectFolder);

    ExportRecord(ExportRecord &&other) noexcept;

    // Whether the file at `path` was written from `inputs` and is unchanged
    // since.
    bool upToDate(const QString &path, const QByteArray &inputs) const;
    // Whether some recorded file was made from a source with these inputs,
    // which could be read then.
    bool knowsSource(const QByteArray &sourceInputs) const;
    // What the decoder noticed in a source with these inputs when a recorded
    // file was made from it, so that a skipped source is not thought sound.
    QString sourceWarning(const QByteArray &sourceInputs) const;
    // Before a write of `path`: it is no longer known.
    void forget(const QString &path);
    // After a complete write of `path` from `inputs`, which include those of
    // `source` when it was made from a source file, with what the decoder
    // noticed in that source; `written` is the stamp of the file as written,
    // none when it is not known.
    void wrote(const QString &path, const QByteArray &inputs,
               const std::optional<StatStamp> &written, const QByteArray &source = {},
               const QString &warning = {});

    // After an export of a whole set whose files are `current` (cleaned
    // paths): a recorded file in one of `folders` that is not current, is
    // still as the export wrote it and is none of `sources` is removed, and
    // only the current files stay in the record. Files that something else
    // wrote or changed are never touched.
    void prune(const QSet<QString> &current, const QStringList &folders,
               const SourceFiles &sources);

    // Writes the record atomically unless it is the one loaded, unchanged.
    // When it cannot be written, the earlier one stays (whose claims stay
    // true or fail the stamps) and the text says why; empty on success.
    QString save() const;

private:
    struct Entry
    {
        QByteArray inputs;
        QByteArray source;
        StatStamp output;
        QString warning;
    };

    explicit ExportRecord(const QString &projectFolder);
    // Notes the source of an entry read or written.
    void remember(const Entry &entry);
    QString key(const QString &path) const;

    // The folder as the export names it, which the keys are relative to.
    QString m_folder;
    QString m_canonicalFolder;
    QString m_file;
    QHash<QString, Entry> m_entries;
    QSet<QByteArray> m_sources;
    QHash<QByteArray, QString> m_sourceWarnings;
    // False only while the record is the file it was loaded from.
    bool m_changed = true;
    mutable std::mutex m_mutex;
};

// The path of the record of `projectFolder`; empty when the folder does not
// exist.
QString exportRecordPath(const QString &projectFolder);
