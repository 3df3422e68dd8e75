#pragma once

#include "base/stat_stamp.h"
#include "html/page_generator.h"
#include "imaging/bitmap32.h"
#include "imaging/picture_file.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// Every JPEG file of the export is written at this quality.
constexpr int kExportJpegQuality = 90;

class AtomicBatch;
class AtomicFile;
class SourceFiles;

// A screen-sized copy of a picture has a long side of at most this many
// pixels, and is never larger than the picture.
inline constexpr int kScreenCopyLongSide = 2048;

// The two ways beyond the described export of making the files, the
// options of the window's check boxes chbSmoothThumbs and chbKeepOriginals.
struct ExportOptions
{
    // Thumbnails made here average the whole area each of their pixels
    // covers, instead of taking the nearest pixel.
    bool smoothThumbs = false;
    // An unedited JPEG source is published as its own compressed data
    // (WriteKeptOriginal), where that can be done exactly.
    bool keepOriginals = false;

    bool operator==(const ExportOptions &) const = default;
};

// Whether a thumbnail is made from its picture reduced while it is decoded
// (LoadPictureForThumbnail) rather than from the whole picture: when it is
// averaged and its picture is an unedited JPEG source that is published as
// it is, so that the source is decoded for the thumbnail alone. The window
// and the export follow this one rule, so a picture gives the same
// thumbnail in both.
bool thumbnailFromReducedSource(const ExportOptions &options, bool edited,
                                const QString &sourcePath);

// Whether thumbnails made with `a` are those made with `b`: both averaged or
// neither, and when averaged, from reduced pictures of kept originals or not.
bool thumbnailsMadeAlike(const ExportOptions &a, const ExportOptions &b);

// One thumbnail of the set as the export writes it.
struct ExportItem
{
    // The picture the thumbnail stands for: its source file, or the edited
    // copy in the picture folder.
    QString sourcePath;
    QString pictureName;
    QString thumbName;
    // An edited picture already lies in the picture folder under its name and
    // is not written again.
    bool edited = false;
    // The pixels the grid shows; when null, the thumbnail is made from the
    // decoded source to fit thumbBox, as a fresh thumbnail control makes it.
    const TBitmap32 *thumbPixels = nullptr;
    QSize thumbBox;
    // The resampling of a thumbnail made here: a fresh thumbnail control's
    // nearest, or the linear one of a control that makes its thumbnail again.
    TStretchFilter thumbFilter = sfNearest;
    // For an edited picture, the source its copy was made from, when known:
    // no file of the export may replace it either.
    QString originalPath{};
};

struct ExportJob
{
    QString projectFolder;
    QString pictureFolder;
    QString thumbFolder;
    // The folder texts the two folders come from, which a refusal names as
    // the ones to change.
    QString pictureFolderText;
    QString thumbFolderText;
    QStringList pageLines;
    // Further pages after it, written beside it as morePageFileName(2), (3)
    // and so on.
    QList<QStringList> morePages;
    QList<ExportItem> items;
    // The pictures made at a time, each on its own thread.
    int jobs = 1;
    ExportOptions options;
    // When set, the items' own names are only those they get when every
    // source can be read: every source is read first, and the items whose
    // source could be read are named by this function in set order, one call
    // at a time, as an add names the pictures it could read. An item whose
    // source is missing or cannot be read gets no name and writes nothing.
    // Such items make their thumbnails themselves.
    std::function<ThumbOutputNames(int index)> nameReadable;
    // Every file is written, whatever the project folder's export record
    // says; the record is written afresh.
    bool full = false;
    // When set, each picture also gets a screen-sized copy here, under its
    // picture name, and a thumbnail of twice the box beside its thumbnail
    // (thumbnail2xName), both made from the picture by averaging.
    QString screenCopyFolder;
    // The page is written in UTF-8 rather than Windows-1251.
    bool pageInUtf8 = false;
    // Told, one line at a time, what the export notices beside the items: a
    // record it cannot use or write, a wait for another export.
    std::function<void(const QString &)> onNotice;
};

// What became of one item of the set.
struct ExportOutcome
{
    enum class Kind { NotStarted, Written, SourceMissing, Failed };
    Kind kind = Kind::NotStarted;
    // Why a failed item's files could not be made.
    QString reason;
    // The names it was written under; empty for an item that was never named.
    ThumbOutputNames names;
    // What the decoder noticed in the source without failing.
    QString warning;
    // Whether any of its files was written; a Written item without is one
    // whose files were all up to date.
    bool wroteFiles = false;
    // The size of its thumbnail file once written, or found up to date when
    // the job writes screen-sized copies (whose page gives the sizes).
    QSize thumbSize;
};

// Called with the number of items done, their total and the outcome of the
// last of them: once for every count from 1 on, in order, the count being
// that of the leading items of the set that are all done.
using ExportProgress = std::function<void(int done, int total, const ExportOutcome &last)>;

// What happens to the rest of the set when an item fails.
enum class OnFailure { Stop, GoOn };

// Writes each item's thumbnail and, unless edited, its picture, both as
// quality 90 JPEG files, on `job.jobs` threads that each keep their own
// ExportWorkspace; an item whose source no longer exists writes nothing that
// needs the source. A file that several items make is written by each of them
// in set order, so the files are the ones that writing the items one after
// the other leaves, whichever thread finishes first.
//
// A file that the project folder's export record (ExportRecord) shows to be
// made from the same inputs and unchanged since is not written again, and a
// source whose files are all up to date is not decoded; such an item counts
// as written. The record is saved after the items, with what was written.
//
// With OnFailure::Stop no item after a failed one in set order is started,
// and the progress ends before the first failed item; the items before it are
// all written. `onProgress` runs on the calling thread, which does nothing
// else until every thread is done; without it, the calling thread makes
// pictures as one of the `jobs` threads. The outcomes come back in set
// order.
//
// Before anything is written, checkOutputsSpareSources() may refuse the
// job, raising its PictavelError. Then the temporary files that a killed
// export left in the project, picture and thumbnail folders are removed
// (removeAbandonedTemporaries). Once every item is done, files that an
// earlier export wrote into the picture and thumbnail folders for pictures
// no longer in the set, or under names they no longer have, are removed
// (ExportRecord::prune).
QList<ExportOutcome> exportItems(const ExportJob &job, OnFailure rule,
                                 const ExportProgress &onProgress = {});

// Raises PictavelError when a file that the job would write is one of its
// source pictures (the same file after following links, or another link to
// it), naming the source and the folder text to change. Edited copies in the
// picture folder are the program's own files, not sources.
void checkOutputsSpareSources(const ExportJob &job);

// Whether a refusal comes before anything was written or before one file.
enum class SpareCheck { BeforeAnything, BeforeOneFile };

// The folders an export writes pictures into.
enum class OutputFolder { Pictures, Thumbnails, ScreenCopies };

// Raises PictavelError when `output`, a file about to be written into
// `folder`, is one of `sources`, naming that source and `folderText`, the
// text that names the folder.
void refuseReplacingSource(const SourceFiles &sources, const QString &output, OutputFolder folder,
                           const QString &folderText, SpareCheck check);

// Writes the gallery: the picture folder (one level, also for an empty set),
// then the items as exportItems writes them, stopping at a failure, and last
// "~thumbs.html" in the project folder. Every file replaces an older one only
// once it is complete. Another export of the project folder that is running,
// or an output that would replace a source, makes it raise PictavelError
// before anything is written.
//
// A source that no longer exists is passed over, so an earlier export of it
// stays; the rest is written, page included, and then one PictavelError names
// every picture passed over. Any other failure (a folder or file that cannot
// be written, a picture that cannot be decoded) raises PictavelError at once:
// the files written so far stay and the page is not written.
void exportGallery(const ExportJob &job, const ExportProgress &onProgress = {});

// Writes the job's page as kPageFileName in the project folder, in its code
// page, and its further pages beside it; each replaces an older one only
// once it is complete, and one that holds the same text already is left
// untouched unless the job is full. Returns the page's path.
QString writeGalleryPages(const ExportJob &job);

// The decode and thumbnail areas one exporting thread keeps from picture to
// picture, and the steps of writing one item.
class ExportWorkspace
{
public:
    // Decodes `path` once for the writes below; false when the file does not
    // exist. A damaged picture raises PictavelError naming the file.
    bool loadSource(const QString &path);
    // The same, reduced while it is decoded as far as a thumbnail fitted into
    // `box` allows.
    bool loadSourceForThumbnail(const QString &path, const QSize &box);
    // For a JPEG source: its full-size picture encoded into `picture`, a file
    // in `folder` to be named later, and its thumbnail fitted into `box` by
    // nearest neighbour (thumbnail()), both made as the source is decoded,
    // without holding it. When memory for a turned source's planes cannot be
    // had, it is loaded as by loadSource() instead, `picture` left null.
    // False when the file does not exist.
    bool loadOrTranscode(const QString &path, const QSize &box, const QString &folder,
                         AtomicBatch &batch, std::unique_ptr<AtomicFile> &picture);
    // writePicture() of `source` when it is not loaded: a JPEG is decoded
    // straight into the file, without holding it; any other is loaded
    // first. False when the source does not exist.
    bool writePictureOf(const QString &source, const QString &path, AtomicBatch &batch);
    // The thumbnail loadOrTranscode() made.
    const TBitmap32 &thumbnail() const { return m_thumb; }
    // What the decoder noticed in the last source without failing.
    const QString &sourceWarning() const { return m_warning; }
    // The bytes of the file at `path`: those the last load read when it was
    // this file, so that a file is read once for all its uses, else read
    // now; nothing when it cannot be read. Valid until the next load or read.
    std::optional<QByteArrayView> sourceBytes(const QString &path);

    // The loaded picture fitted into `box` with `filter`, or averaged when
    // `smooth`, valid until the next call.
    const TBitmap32 &makeThumbnail(const QSize &box, TStretchFilter filter, bool smooth);
    // The loaded picture averaged down to a long side of at most
    // kScreenCopyLongSide, valid until the next call.
    const TBitmap32 &makeScreenCopy();

    // The loaded picture at full size, committed into `batch`.
    void writePicture(const QString &path, AtomicBatch &batch) const;
    // The same, written into `folder` to be named later.
    std::unique_ptr<AtomicFile> encodePictureNamedLater(const QString &folder,
                                                        AtomicBatch &batch) const;

private:
    // Before a source is read: nothing of the last one stays.
    void forgetSource();
    // The bytes of `source` for transcodeOrLoad(), read afresh; nothing when
    // the loader is to read it (and report why it cannot).
    std::optional<QByteArrayView> readForTranscoding(const QString &source);
    // Decodes the JPEG `bytes` of `source` into `file` (open and empty), with
    // the thumbnail fitted into `box` (none when empty); false, leaving
    // `file` alone, when the picture is loaded whole instead (transcodeJpeg).
    // Raises naming the source, or `output` for the file's own failures.
    bool transcodeOrLoad(const QString &source, QByteArrayView bytes, AtomicFile &file,
                         const QString &output, const QSize &box);

    PictureBytes m_file;
    // The path m_file holds the bytes of.
    QString m_filePath;
    TBitmap32 m_picture;
    TBitmap32 m_thumb;
    TBitmap32 m_screenCopy;
    QString m_warning;
};
