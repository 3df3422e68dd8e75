#include "export/gallery_export.h"

#include "base/atomic_file.h"
#include "base/paths.h"
#include "base/pictavel_error.h"
#include "base/same_file.h"
#include "base/text_file.h"
#include "export/export_lock.h"
#include "export/export_record.h"
#include "html/modern_page.h"
#include "imaging/box_resample.h"
#include "imaging/kept_original.h"
#include "imaging/picture_decoders.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// The earlier items whose writes of the same files an item's writes must
// follow: of its thumbnail's file and of its picture's file, or -1.
struct EarlierWriters
{
    int thumb = -1;
    int picture = -1;
};

// The outcomes as the threads settle them, the names and write order of the
// items named so far, and the first item that stops the set, shared by the
// threads and the one that reports the progress.
class OutcomeBoard
{
public:
    OutcomeBoard(const ExportJob &job)
        : m_job(job), m_outcomes(size_t(job.items.size())), m_plan(size_t(job.items.size())),
          m_stopAt(int(job.items.size()))
    {
    }

    // Names every item with its own names, before any thread starts.
    void nameAll()
    {
        for (int i = 0; i < int(m_job.items.size()); ++i) {
            const ExportItem &item = m_job.items.at(i);
            name(i, {item.pictureName, item.thumbName});
        }
    }

    // Whether nameInTurn() would wait for an earlier item.
    bool turnToCome(int index)
    {
        const std::lock_guard lock(m_mutex);
        return m_named < index && m_stopAt >= index;
    }

    // Waits for the items before `index` to be named or passed over, then
    // names it with job.nameReadable; false when the set stopped meanwhile.
    bool nameInTurn(int index, ThumbOutputNames &names)
    {
        std::unique_lock lock(m_mutex);
        waitFinishingParked(lock, [&] { return m_named == index || m_stopAt < index; });
        if (m_named != index)
            return false;
        names = m_job.nameReadable(index);
        name(index, names);
        m_changed.notify_all();
        return true;
    }

    // An item that could not be read gives up its turn to be named.
    void passTurn(int index)
    {
        std::unique_lock lock(m_mutex);
        waitFinishingParked(lock, [&] { return m_named >= index || m_stopAt < index; });
        if (m_named == index) {
            ++m_named;
            m_changed.notify_all();
        }
    }

    // Keeps the rest of item `index`, made as far as it can be before its
    // turn to be named, for whichever thread sees that turn come, so that
    // its own thread goes on with the next item; false, keeping nothing,
    // when the turn has come meanwhile or too many items wait already.
    bool park(int index, std::function<void()> rest)
    {
        const std::lock_guard lock(m_mutex);
        if (m_named >= index || m_stopAt < index || m_parked.size() >= kMaxParked)
            return false;
        m_parked.emplace(index, std::move(rest));
        return true;
    }

    // Finishes parked items as their turns come, until none is left.
    void finishParked()
    {
        std::unique_lock lock(m_mutex);
        waitFinishingParked(lock, [&] { return m_parked.empty(); });
    }

    // Finishes the parked items whose turns have come, without waiting for
    // others, so that their files are committed, and published once synced,
    // while later items are made rather than all at the end.
    void finishParkedInTurn()
    {
        std::unique_lock lock(m_mutex);
        waitFinishingParked(lock, [&] { return !parkedInTurn(); });
    }

    EarlierWriters earlierWriters(int index)
    {
        const std::lock_guard lock(m_mutex);
        return m_plan[size_t(index)];
    }

    // False for an item after one that stopped the set.
    bool mayStart(int index)
    {
        const std::lock_guard lock(m_mutex);
        return index < m_stopAt;
    }

    void settle(int index, ExportOutcome outcome, bool stopsTheSet)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_outcomes[size_t(index)] = std::move(outcome);
            if (stopsTheSet)
                m_stopAt = std::min(m_stopAt, index);
        }
        m_changed.notify_all();
    }

    const ExportOutcome &waitFor(int index)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return settled(index); });
        return m_outcomes[size_t(index)];
    }

    // Waits until the item `earlier` (none when -1) is settled; false when
    // the set stopped before the item `index` meanwhile.
    bool waitBefore(int earlier, int index)
    {
        if (earlier < 0)
            return true;
        std::unique_lock lock(m_mutex);
        waitFinishingParked(lock, [&] { return settled(earlier) || m_stopAt < index; });
        return m_stopAt > index;
    }

    // Once every thread is done.
    QList<ExportOutcome> take()
    {
        return QList<ExportOutcome>(m_outcomes.begin(), m_outcomes.end());
    }

private:
    // The items parked at once at most: each holds its files open.
    static constexpr size_t kMaxParked = 32;

    bool settled(int index) const
    {
        return m_outcomes[size_t(index)].kind != ExportOutcome::Kind::NotStarted;
    }

    // Whether the first parked item's turn has come, or the set stopped
    // before it.
    bool parkedInTurn() const
    {
        if (m_parked.empty())
            return false;
        const int first = m_parked.begin()->first;
        return m_named == first || m_stopAt < first;
    }

    // Waits, holding `lock`, until `done`; a thread that waits finishes the
    // parked items whose turns come meanwhile, which may be what it waits
    // for.
    template <class Done> void waitFinishingParked(std::unique_lock<std::mutex> &lock, Done done)
    {
        for (;;) {
            m_changed.wait(lock, [&] { return done() || parkedInTurn(); });
            if (done())
                return;
            const std::function<void()> rest = std::move(m_parked.begin()->second);
            m_parked.erase(m_parked.begin());
            lock.unlock();
            rest();
            lock.lock();
        }
    }

    // Holds the lock or runs before the threads: plans the item's writes
    // after those of the earlier items that write the same files.
    void name(int index, const ThumbOutputNames &names)
    {
        EarlierWriters earlier;
        const QString thumb = QDir::cleanPath(joinPath(m_job.thumbFolder, names.thumbName));
        earlier.thumb = m_lastWriter.value(thumb, -1);
        m_lastWriter.insert(thumb, index);
        if (!m_job.items.at(index).edited) {
            // A picture in its own thumbnail's file follows that write anyway.
            const QString picture =
                QDir::cleanPath(joinPath(m_job.pictureFolder, names.pictureName));
            earlier.picture = m_lastWriter.value(picture, -1);
            if (earlier.picture == index)
                earlier.picture = -1;
            m_lastWriter.insert(picture, index);
        }
        m_plan[size_t(index)] = earlier;
        m_named = index + 1;
    }

    const ExportJob &m_job;
    std::mutex m_mutex;
    // Told of every item named, passed over or settled.
    std::condition_variable m_changed;
    // The rest of each parked item, by its index.
    std::map<int, std::function<void()>> m_parked;
    std::vector<ExportOutcome> m_outcomes;
    std::vector<EarlierWriters> m_plan;
    QHash<QString, int> m_lastWriter;
    int m_named = 0;
    int m_stopAt;
};

// What an item's files are made from, as the export record keeps it.
struct ItemInputs
{
    QByteArray source;
    QByteArray thumb;
    QByteArray picture;
    QByteArray screenCopy;
    QByteArray thumb2x;
};

ItemInputs itemInputs(const ExportJob &job, const ExportItem &item, bool madeHere, bool reduced)
{
    ItemInputs inputs;
    inputs.source = sourceInputs(item.sourcePath);
    const QByteArray encoder = QStringLiteral(" quality=%1 pipeline=%2")
                                   .arg(kExportJpegQuality)
                                   .arg(kPicturePipelineVersion)
                                   .toUtf8();
    if (!madeHere)
        inputs.thumb = "pixels=" + pixelsHash(*item.thumbPixels) + encoder;
    else if (!inputs.source.isEmpty())
        inputs.thumb = inputs.source +
                       QStringLiteral(" thumbnail box=%1x%2 filter=%3 smooth=%4 reduced=%5")
                           .arg(item.thumbBox.width())
                           .arg(item.thumbBox.height())
                           .arg(int(item.thumbFilter))
                           .arg(int(job.options.smoothThumbs))
                           .arg(int(reduced))
                           .toUtf8() +
                       encoder;
    if (!item.edited && !inputs.source.isEmpty())
        inputs.picture =
            inputs.source +
            QStringLiteral(" picture keep=%1").arg(int(job.options.keepOriginals)).toUtf8() +
            encoder;
    if (!job.screenCopyFolder.isEmpty() && !inputs.source.isEmpty()) {
        inputs.screenCopy = inputs.source +
                            QStringLiteral(" screen long=%1").arg(kScreenCopyLongSide).toUtf8() +
                            encoder;
        inputs.thumb2x = inputs.source +
                         QStringLiteral(" thumbnail2x box=%1x%2")
                             .arg(item.thumbBox.width() * 2)
                             .arg(item.thumbBox.height() * 2)
                             .toUtf8() +
                         encoder;
    }
    return inputs;
}

// The source pictures of the set: those of the unedited items, and the
// originals of the edited ones.
QStringList setSources(const ExportJob &job)
{
    QStringList sources;
    for (const ExportItem &item : job.items)
        sources << (item.edited ? item.originalPath : item.sourcePath);
    return sources;
}

QString folderTextOf(const ExportJob &job, OutputFolder folder)
{
    switch (folder) {
    case OutputFolder::Thumbnails:
        return job.thumbFolderText;
    case OutputFolder::ScreenCopies:
        return QFileInfo(job.screenCopyFolder).fileName();
    case OutputFolder::Pictures:
        break;
    }
    return job.pictureFolderText;
}

// The files written, waiting to be published together with one sync, and
// what the record is to say of each once it is.
class WrittenFiles
{
public:
    AtomicBatch batch;

    // After `path` was committed into the batch for `item`.
    void wrote(int item, const QString &path, const QByteArray &inputs, const QByteArray &source,
               const QString &warning)
    {
        const std::lock_guard lock(m_mutex);
        m_records.insert(path, {item, inputs, source, warning});
    }

    // Publishes the files: the record learns of each one published; an item
    // whose file could not be published fails with the reason.
    void publish(ExportRecord &record, QList<ExportOutcome> &outcomes)
    {
        for (const AtomicBatch::Published &file : batch.publish()) {
            const Record made = m_records.value(file.path);
            if (file.error.isEmpty()) {
                record.wrote(file.path, made.inputs, file.stamp, made.source, made.warning);
            } else if (outcomes[made.item].kind != ExportOutcome::Kind::Failed) {
                outcomes[made.item].kind = ExportOutcome::Kind::Failed;
                outcomes[made.item].reason = file.error;
            }
        }
    }

private:
    struct Record
    {
        int item = 0;
        QByteArray inputs;
        QByteArray source;
        QString warning;
    };
    std::mutex m_mutex;
    // By path: a file that several items write is published last as the
    // last of them wrote it.
    QHash<QString, Record> m_records;
};

// What the export needs of the files on the side of the items: the record
// of what earlier exports wrote, the set's sources, which no file of the
// export may replace, and the files written so far.
struct ExportFiles
{
    ExportRecord &record;
    const SourceFiles &sources;
    WrittenFiles &written;

    // Raises PictavelError when `path` is a source: a name that moved with
    // a picture that could not be read may still fall on one.
    void checkSpares(const ExportJob &job, const QString &path, OutputFolder folder) const
    {
        refuseReplacingSource(sources, path, folder, folderTextOf(job, folder),
                              SpareCheck::BeforeOneFile);
    }
};

// The JPEG file of `pixels`, written into `folder` under a temporary name
// until commitAs() names it.
std::unique_ptr<AtomicFile> encodedNamedLater(const QString &folder, const TBitmap32 &pixels,
                                              AtomicBatch &batch)
{
    auto file = std::make_unique<AtomicFile>(AtomicFile::NamedLater{folder}, &batch);
    if (!file->open())
        throw file->error();
    EncodeJpegInto(*file, pixels, kExportJpegQuality);
    return file;
}

void commitAs(AtomicFile &file, const QString &path)
{
    if (!file.name(path) || !file.commit())
        throw file.error();
}

// An item on its way: what its export needs from its reading to its end,
// which may come on another thread once the item is parked.
struct ItemInProgress
{
    int index = 0;
    ExportOutcome outcome;
    ItemInputs inputs;
    bool madeHere = false;
    bool reduced = false;
    // Whether the workspace that read it holds its source.
    bool loaded = false;
    // Its thumbnail and picture, made before it was named, to be named.
    std::unique_ptr<AtomicFile> thumbMade;
    std::unique_ptr<AtomicFile> pictureMade;
    QSize thumbMadeSize;
};

// Reads the item's source into `work`, whole or reduced for its thumbnail;
// false when the file does not exist.
bool load(ExportWorkspace &work, const ExportJob &job, ItemInProgress &s, bool forThumbnail)
{
    const ExportItem &item = job.items.at(s.index);
    s.loaded = forThumbnail && s.reduced
                   ? work.loadSourceForThumbnail(item.sourcePath, item.thumbBox)
                   : work.loadSource(item.sourcePath);
    s.outcome.warning = work.sourceWarning();
    return s.loaded;
}

// Whether the item's picture and thumbnail may be made in one pass over its
// source as it is decoded: a JPEG picture written whole, with a thumbnail
// taken by nearest neighbour and no screen-sized copy.
bool transcodable(const ExportJob &job, const ExportItem &item, const ItemInProgress &s)
{
    return isJpegPath(item.sourcePath) && !item.edited && !s.reduced &&
           !job.options.keepOriginals && !job.options.smoothThumbs &&
           item.thumbFilter != sfLinear && !item.thumbBox.isEmpty() &&
           job.screenCopyFolder.isEmpty();
}

// Reads the item's source, in one pass with its picture and thumbnail when
// it can; false when the file does not exist.
bool readSource(ExportWorkspace &work, const ExportJob &job, const ExportFiles &files,
                ItemInProgress &s)
{
    const ExportItem &item = job.items.at(s.index);
    if (!transcodable(job, item, s))
        return load(work, job, s, true);
    std::unique_ptr<AtomicFile> picture;
    const bool read = work.loadOrTranscode(item.sourcePath, item.thumbBox, job.pictureFolder,
                                           files.written.batch, picture);
    s.outcome.warning = work.sourceWarning();
    if (!picture) {
        s.loaded = read;
        return read;
    }
    // Made before the item is named, and whatever its turn, from a source
    // that the workspace does not hold.
    ensureFolder(job.thumbFolder);
    s.thumbMade = encodedNamedLater(job.thumbFolder, work.thumbnail(), files.written.batch);
    s.thumbMadeSize = QSize(work.thumbnail().width(), work.thumbnail().height());
    s.pictureMade = std::move(picture);
    return true;
}

// Reads the item's source when it must be, and makes what it can before it
// is named; an outcome when the item ends there.
std::optional<ExportOutcome::Kind> startItem(ExportWorkspace &work, const ExportJob &job,
                                             OutcomeBoard &board, const ExportFiles &files,
                                             ItemInProgress &s)
{
    ExportRecord &record = files.record;
    const ExportItem &item = job.items.at(s.index);
    // A thumbnail made here needs the source first; ready pixels are written
    // before the source is read, as the grid shows them whatever the file.
    s.madeHere = !item.thumbPixels || job.nameReadable;
    s.reduced = s.madeHere && thumbnailFromReducedSource(job.options, item.edited, item.sourcePath);
    // Taken before the source is read, so that a change during the read
    // shows next time.
    s.inputs = itemInputs(job, item, s.madeHere, s.reduced);
    // A source left unread is reported as it was when it was read.
    s.outcome.warning = record.sourceWarning(s.inputs.source);
    // A source recorded unchanged was readable and takes its name in turn
    // unread; any other is read first, as only readable ones are named.
    if (s.madeHere && !record.knowsSource(s.inputs.source) && !readSource(work, job, files, s))
        return ExportOutcome::Kind::SourceMissing;
    // A source just read has none of its files up to date. When its turn to
    // be named is still to come (an earlier, larger picture is still being
    // read), its thumbnail and picture are made meanwhile under temporary
    // names.
    if (job.nameReadable && s.loaded && board.turnToCome(s.index)) {
        ensureFolder(job.thumbFolder);
        const TBitmap32 &pixels =
            work.makeThumbnail(item.thumbBox, item.thumbFilter, job.options.smoothThumbs);
        s.thumbMade = encodedNamedLater(job.thumbFolder, pixels, files.written.batch);
        s.thumbMadeSize = QSize(pixels.width(), pixels.height());
        if (!item.edited && !s.reduced &&
            !(job.options.keepOriginals && isJpegPath(item.sourcePath))) {
            ensureFolder(job.pictureFolder);
            s.pictureMade = work.encodePictureNamedLater(job.pictureFolder, files.written.batch);
        }
    }
    return std::nullopt;
}

// Whether nothing the rest of the item does needs its source any more: it
// may then be parked, and its thread may read the next one.
bool parkable(const ExportJob &job, const ItemInProgress &s)
{
    const ExportItem &item = job.items.at(s.index);
    return s.thumbMade && (item.edited || s.pictureMade) && job.screenCopyFolder.isEmpty();
}

// Names the item in its turn and writes its files, each after the earlier
// items that write the same file, unless the record shows it up to date;
// NotStarted when the set stopped before the item meanwhile. `work` holds
// the item's source as read, or is null for a parked item.
ExportOutcome::Kind finishItem(ExportWorkspace *work, const ExportJob &job, OutcomeBoard &board,
                               const ExportFiles &files, ItemInProgress &s)
{
    ExportRecord &record = files.record;
    const int index = s.index;
    const ExportItem &item = job.items.at(index);
    ExportOutcome &outcome = s.outcome;
    const ItemInputs &inputs = s.inputs;
    const bool madeHere = s.madeHere;
    const bool reduced = s.reduced;
    const bool &loaded = s.loaded;
    const auto workspace = [work]() -> ExportWorkspace & {
        if (!work)
            throw PictavelError(
                QStringLiteral("a parked picture needed its source again; export it anew"));
        return *work;
    };
    if (!job.nameReadable)
        outcome.names = {item.pictureName, item.thumbName};
    else if (!board.nameInTurn(index, outcome.names))
        return ExportOutcome::Kind::NotStarted;
    const EarlierWriters earlier = board.earlierWriters(index);
    if (!board.waitBefore(earlier.thumb, index))
        return ExportOutcome::Kind::NotStarted;
    // Folders are made when a file is written into them, not looked for
    // when every file is up to date.
    const QString thumb = joinPath(job.thumbFolder, outcome.names.thumbName);
    if (!record.upToDate(thumb, inputs.thumb)) {
        if (!s.thumbMade && madeHere && !loaded && !load(workspace(), job, s, true))
            return ExportOutcome::Kind::SourceMissing;
        ensureFolder(job.thumbFolder);
        files.checkSpares(job, thumb, OutputFolder::Thumbnails);
        record.forget(thumb);
        if (s.thumbMade) {
            commitAs(*s.thumbMade, thumb);
            outcome.thumbSize = s.thumbMadeSize;
        } else {
            const TBitmap32 &pixels =
                madeHere ? workspace().makeThumbnail(item.thumbBox, item.thumbFilter,
                                                     job.options.smoothThumbs)
                         : *item.thumbPixels;
            WriteJpegFile(thumb, pixels, kExportJpegQuality, &files.written.batch);
            outcome.thumbSize = QSize(pixels.width(), pixels.height());
        }
        files.written.wrote(index, thumb, inputs.thumb, madeHere ? inputs.source : QByteArray(),
                            outcome.warning);
        outcome.wroteFiles = true;
    } else if (!job.screenCopyFolder.isEmpty()) {
        // Only the modern page gives its thumbnails' sizes.
        outcome.thumbSize = JpegFileSize(thumb);
    }
    // The full-size picture, unless the edited copy is it already.
    const auto writePicture = [&]() -> ExportOutcome::Kind {
        const QString picture = joinPath(job.pictureFolder, outcome.names.pictureName);
        if (!board.waitBefore(earlier.picture, index))
            return ExportOutcome::Kind::NotStarted;
        if (record.upToDate(picture, inputs.picture))
            return ExportOutcome::Kind::Written;
        ensureFolder(job.pictureFolder);
        files.checkSpares(job, picture, OutputFolder::Pictures);
        record.forget(picture);
        QString notKept;
        if (job.options.keepOriginals && isJpegPath(item.sourcePath)) {
            const std::optional<QByteArrayView> source = workspace().sourceBytes(item.sourcePath);
            if (source && WriteKeptOriginal(*source, picture, notKept, &files.written.batch)) {
                files.written.wrote(index, picture, inputs.picture, inputs.source, outcome.warning);
                outcome.wroteFiles = true;
                return ExportOutcome::Kind::Written;
            }
        }
        // A picture reduced for its thumbnail is no full-size picture. A JPEG
        // picture that nothing else needs is decoded straight into its file.
        const bool unread = !s.pictureMade && (!loaded || reduced);
        const bool intoFile =
            unread && isJpegPath(item.sourcePath) && job.screenCopyFolder.isEmpty();
        if (intoFile) {
            const bool read =
                workspace().writePictureOf(item.sourcePath, picture, files.written.batch);
            outcome.warning = workspace().sourceWarning();
            if (!read)
                return ExportOutcome::Kind::SourceMissing;
        } else if (unread && !load(workspace(), job, s, false)) {
            return ExportOutcome::Kind::SourceMissing;
        }
        if (!notKept.isEmpty())
            outcome.warning +=
                (outcome.warning.isEmpty() ? QString() : QStringLiteral("; ")) + notKept;
        if (s.pictureMade)
            commitAs(*s.pictureMade, picture);
        else if (!intoFile)
            workspace().writePicture(picture, files.written.batch);
        files.written.wrote(index, picture, inputs.picture, inputs.source, outcome.warning);
        outcome.wroteFiles = true;
        return ExportOutcome::Kind::Written;
    };
    if (!item.edited) {
        const ExportOutcome::Kind kind = writePicture();
        if (kind != ExportOutcome::Kind::Written)
            return kind;
    }
    if (job.screenCopyFolder.isEmpty())
        return ExportOutcome::Kind::Written;
    // The screen-sized copy and the thumbnail of twice the pixels, both from
    // the whole picture.
    const QString screenCopy = joinPath(job.screenCopyFolder, outcome.names.pictureName);
    const QString thumb2x = joinPath(job.thumbFolder, thumbnail2xName(outcome.names.thumbName));
    const bool copyDone = record.upToDate(screenCopy, inputs.screenCopy);
    // A thumbnail given without its box has no double.
    const bool thumb2xDone = item.thumbBox.isEmpty() || record.upToDate(thumb2x, inputs.thumb2x);
    if (copyDone && thumb2xDone)
        return ExportOutcome::Kind::Written;
    if ((!loaded || reduced) && !load(workspace(), job, s, false))
        return ExportOutcome::Kind::SourceMissing;
    const auto writeMade = [&](const QString &path, const QByteArray &made, OutputFolder folder,
                               const TBitmap32 &pixels) {
        files.checkSpares(job, path, folder);
        record.forget(path);
        WriteJpegFile(path, pixels, kExportJpegQuality, &files.written.batch);
        files.written.wrote(index, path, made, inputs.source, outcome.warning);
        outcome.wroteFiles = true;
    };
    if (!copyDone) {
        ensureFolder(job.screenCopyFolder);
        writeMade(screenCopy, inputs.screenCopy, OutputFolder::ScreenCopies,
                  workspace().makeScreenCopy());
    }
    if (!thumb2xDone)
        writeMade(thumb2x, inputs.thumb2x, OutputFolder::Thumbnails,
                  workspace().makeThumbnail(item.thumbBox * 2, sfLinear, true));
    return ExportOutcome::Kind::Written;
}

// Runs `step` of an item's export, taking what it raises as its failure.
template <class Step> void guarded(ExportOutcome &outcome, Step step)
{
    try {
        step();
    } catch (const PictavelError &error) {
        outcome.kind = ExportOutcome::Kind::Failed;
        outcome.reason = error.message();
    } catch (const std::exception &error) {
        outcome.kind = ExportOutcome::Kind::Failed;
        outcome.reason = QString::fromLocal8Bit(error.what());
    }
}

// Settles the item, unless the set stopped before it, once an item that was
// not named has let the next one take its turn.
void conclude(const ExportJob &job, OutcomeBoard &board, OnFailure rule, ItemInProgress &s)
{
    if (job.nameReadable)
        board.passTurn(s.index);
    if (s.outcome.kind == ExportOutcome::Kind::NotStarted)
        return;
    const bool stops = rule == OnFailure::Stop && s.outcome.kind == ExportOutcome::Kind::Failed;
    board.settle(s.index, std::move(s.outcome), stops);
}

// Exports item `index`, or parks it once made as far as it can be before
// its turn to be named, for the thread that sees the turn come; false when
// the set stopped before it.
bool exportOne(ExportWorkspace &work, const ExportJob &job, int index, OutcomeBoard &board,
               const ExportFiles &files, OnFailure rule)
{
    const auto s = std::make_shared<ItemInProgress>();
    s->index = index;
    bool started = false;
    guarded(s->outcome, [&] {
        const std::optional<ExportOutcome::Kind> ended = startItem(work, job, board, files, *s);
        if (ended)
            s->outcome.kind = *ended;
        started = !ended;
    });
    if (started && parkable(job, *s) && board.park(index, [&job, &board, &files, rule, s] {
            guarded(s->outcome,
                    [&] { s->outcome.kind = finishItem(nullptr, job, board, files, *s); });
            conclude(job, board, rule, *s);
        }))
        return true;
    if (started)
        guarded(s->outcome, [&] { s->outcome.kind = finishItem(&work, job, board, files, *s); });
    const bool reached = s->outcome.kind != ExportOutcome::Kind::NotStarted;
    conclude(job, board, rule, *s);
    return reached;
}

// The files of the whole set by their cleaned paths, once every item is
// done: what the items were named, also those that failed or whose source is
// gone, whose earlier files stay. Nothing when some item was never reached.
std::optional<QSet<QString>> setFiles(const ExportJob &job, const QList<ExportOutcome> &outcomes)
{
    QSet<QString> files;
    const auto add = [&files](const QString &folder, const QString &name) {
        if (!name.isEmpty())
            files.insert(QDir::cleanPath(QFileInfo(joinPath(folder, name)).absoluteFilePath()));
    };
    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        if (outcomes.at(i).kind == ExportOutcome::Kind::NotStarted)
            return std::nullopt;
        const ExportItem &item = job.items.at(i);
        const ThumbOutputNames names = job.nameReadable
                                           ? outcomes.at(i).names
                                           : ThumbOutputNames{item.pictureName, item.thumbName};
        add(job.thumbFolder, names.thumbName);
        if (!item.edited)
            add(job.pictureFolder, names.pictureName);
        if (!job.screenCopyFolder.isEmpty() && !names.thumbName.isEmpty()) {
            add(job.screenCopyFolder, names.pictureName);
            add(job.thumbFolder, thumbnail2xName(names.thumbName));
        }
    }
    return files;
}

void notify(const ExportJob &job, const QString &notice)
{
    if (job.onNotice && !notice.isEmpty())
        job.onNotice(notice);
}

QString passedOverMessage(const QList<const ExportItem *> &items)
{
    QString message = QStringLiteral("The gallery was written without these pictures:");
    for (const ExportItem *item : items)
        message += QStringLiteral("\n%1: its source file %2 no longer exists")
                       .arg(item->pictureName, item->sourcePath);
    return message;
}

} // namespace

bool thumbnailFromReducedSource(const ExportOptions &options, bool edited,
                                const QString &sourcePath)
{
    return options.smoothThumbs && options.keepOriginals && !edited && isJpegPath(sourcePath);
}

bool thumbnailsMadeAlike(const ExportOptions &a, const ExportOptions &b)
{
    return a.smoothThumbs == b.smoothThumbs &&
           (!a.smoothThumbs || a.keepOriginals == b.keepOriginals);
}

bool ExportWorkspace::loadSource(const QString &path)
{
    return loadSourceForThumbnail(path, QSize());
}

namespace {

// The decoders' own texts do not say which file they were reading; one that
// names `source`, or the file written (`output`), is passed on as it is.
PictavelError namingTheSource(const PictavelError &error, const QString &source,
                              const QString &output = {})
{
    if (error.message().contains(source) || (!output.isEmpty() && error.message().contains(output)))
        return error;
    return PictavelError(source + QStringLiteral(": ") + error.message());
}

} // namespace

bool ExportWorkspace::loadSourceForThumbnail(const QString &path, const QSize &box)
{
    forgetSource();
    try {
        LoadPictureForThumbnail(path, m_picture, box, &m_warning, &m_file);
        // A missing file is not read at all.
        if (!m_picture.empty())
            m_filePath = path;
    } catch (const PictavelError &error) {
        throw namingTheSource(error, path);
    }
    return !m_picture.empty();
}

void ExportWorkspace::forgetSource()
{
    m_warning.clear();
    // Emptied first, because the GIF decoder draws onto the pixels of a
    // bitmap that already has its size, and every file must come from its
    // own source alone. The area goes back to the pixel pool, from which the
    // decoder takes it again.
    m_picture.setSize(0, 0);
    m_filePath.clear();
}

std::optional<QByteArrayView> ExportWorkspace::readForTranscoding(const QString &source)
{
    forgetSource();
    // What cannot be read here is left to the loader to report.
    return QFileInfo(source).isFile() ? sourceBytes(source) : std::nullopt;
}

bool ExportWorkspace::transcodeOrLoad(const QString &source, QByteArrayView bytes, AtomicFile &file,
                                      const QString &output, const QSize &box)
{
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.data());
    const size_t size = size_t(bytes.size());
    try {
        if (transcodeJpeg(data, size, file, kExportJpegQuality, box, m_thumb, &m_warning))
            return true;
        // Without memory for a turned picture's planes: decoded whole from
        // the same bytes, which says what is missing.
        loadJpegData(data, size, m_picture, &m_warning);
    } catch (const PictavelError &error) {
        throw namingTheSource(error, source, output);
    }
    return false;
}

bool ExportWorkspace::loadOrTranscode(const QString &path, const QSize &box, const QString &folder,
                                      AtomicBatch &batch, std::unique_ptr<AtomicFile> &picture)
{
    picture.reset();
    const std::optional<QByteArrayView> bytes = readForTranscoding(path);
    if (!bytes)
        return loadSource(path);
    ensureFolder(folder);
    auto file = std::make_unique<AtomicFile>(AtomicFile::NamedLater{folder}, &batch);
    if (!file->open())
        throw file->error();
    if (transcodeOrLoad(path, *bytes, *file, folder, box))
        picture = std::move(file);
    return true;
}

bool ExportWorkspace::writePictureOf(const QString &source, const QString &path, AtomicBatch &batch)
{
    const std::optional<QByteArrayView> bytes = readForTranscoding(source);
    if (!bytes) {
        if (!loadSource(source))
            return false;
        writePicture(path, batch);
        return true;
    }
    AtomicFile file(path, &batch);
    if (!file.open())
        throw file.error();
    if (!transcodeOrLoad(source, *bytes, file, path, QSize()))
        EncodeJpegInto(file, m_picture, kExportJpegQuality);
    if (!file.commit())
        throw file.error();
    return true;
}

std::optional<QByteArrayView> ExportWorkspace::sourceBytes(const QString &path)
{
    if (path != m_filePath) {
        m_filePath.clear();
        if (!m_file.read(path))
            return std::nullopt;
        m_filePath = path;
    }
    return m_file.bytes();
}

const TBitmap32 &ExportWorkspace::makeThumbnail(const QSize &box, TStretchFilter filter,
                                                bool smooth)
{
    m_picture.setStretchFilter(filter);
    MakeThumbnail(m_picture, box.width(), box.height(), m_thumb, smooth);
    return m_thumb;
}

const TBitmap32 &ExportWorkspace::makeScreenCopy()
{
    const int longSide = std::max(m_picture.width(), m_picture.height());
    if (longSide <= kScreenCopyLongSide)
        return m_picture;
    const QSize fit = ThumbnailSize(m_picture.width(), m_picture.height(), kScreenCopyLongSide,
                                    kScreenCopyLongSide);
    BoxResample(m_picture, m_screenCopy, fit.width(), fit.height());
    return m_screenCopy;
}

void ExportWorkspace::writePicture(const QString &path, AtomicBatch &batch) const
{
    WriteJpegFile(path, m_picture, kExportJpegQuality, &batch);
}

std::unique_ptr<AtomicFile> ExportWorkspace::encodePictureNamedLater(const QString &folder,
                                                                     AtomicBatch &batch) const
{
    return encodedNamedLater(folder, m_picture, batch);
}

void refuseReplacingSource(const SourceFiles &sources, const QString &output, OutputFolder folder,
                           const QString &folderText, SpareCheck check)
{
    const QString source = sources.sourceAt(output);
    if (source.isEmpty())
        return;
    static const char *const kinds[] = {"picture", "thumbnail", "screen copy"};
    throw PictavelError(
        QStringLiteral("Writing %1 would replace the source picture %2; %3. Change the %4 "
                       "folder text \"%5\" so that it names a folder of its own.")
            .arg(output, source,
                 check == SpareCheck::BeforeAnything ? QStringLiteral("nothing was written")
                                                     : QStringLiteral("it was not written"),
                 QLatin1String(kinds[int(folder)]), folderText));
}

namespace {

// checkOutputsSpareSources() with the set's sources as the export keeps them.
void checkOutputsSpare(const ExportJob &job, const SourceFiles &sources)
{
    for (const ExportItem &item : job.items) {
        const auto check = [&](const QString &path, OutputFolder folder) {
            refuseReplacingSource(sources, path, folder, folderTextOf(job, folder),
                                  SpareCheck::BeforeAnything);
        };
        if (!item.thumbName.isEmpty())
            check(joinPath(job.thumbFolder, item.thumbName), OutputFolder::Thumbnails);
        if (!item.edited && !item.pictureName.isEmpty())
            check(joinPath(job.pictureFolder, item.pictureName), OutputFolder::Pictures);
        if (!job.screenCopyFolder.isEmpty() && !item.pictureName.isEmpty()) {
            check(joinPath(job.screenCopyFolder, item.pictureName), OutputFolder::ScreenCopies);
            check(joinPath(job.thumbFolder, thumbnail2xName(item.thumbName)),
                  OutputFolder::Thumbnails);
        }
    }
}

} // namespace

void checkOutputsSpareSources(const ExportJob &job)
{
    checkOutputsSpare(job, SourceFiles(setSources(job)));
}

namespace {

// exportItems() once the job has been checked.
QList<ExportOutcome> exportCheckedItems(const ExportJob &job, OnFailure rule,
                                        const ExportProgress &onProgress,
                                        const SourceFiles &sources)
{
    const int total = int(job.items.size());
    // A build killed while it wrote leaves its temporary files, which would
    // otherwise be published with the gallery.
    for (const QString &folder :
         {job.projectFolder, job.pictureFolder, job.thumbFolder, job.screenCopyFolder})
        if (!folder.isEmpty())
            removeAbandonedTemporaries(folder);
    OutcomeBoard board(job);
    QString recordProblem;
    ExportRecord record = job.full ? ExportRecord::empty(job.projectFolder)
                                   : ExportRecord::load(job.projectFolder, &recordProblem);
    notify(job, recordProblem);
    WrittenFiles written;
    const ExportFiles files{record, sources, written};
    if (!job.nameReadable)
        board.nameAll();
    std::atomic<int> next{0};
    const auto work = [&] {
        ExportWorkspace workspace;
        for (int i = next++; i < total && board.mayStart(i); i = next++) {
            if (!exportOne(workspace, job, i, board, files, rule))
                break;
            board.finishParkedInTurn();
        }
        board.finishParked();
    };
    {
        const int threads = std::min(std::max(job.jobs, 1), total);
        // With no progress to report, this thread is one of the workers.
        const int here = onProgress || threads == 0 ? 0 : 1;
        std::vector<std::jthread> workers;
        for (int w = here; w < threads; ++w)
            workers.emplace_back(work);
        if (here)
            work();
        for (int i = 0; onProgress && i < total; ++i) {
            const ExportOutcome &outcome = board.waitFor(i);
            if (rule == OnFailure::Stop && outcome.kind == ExportOutcome::Kind::Failed)
                break;
            if (onProgress)
                onProgress(i + 1, total, outcome);
        }
    }
    QList<ExportOutcome> outcomes = board.take();
    written.publish(record, outcomes);
    // A stopped export leaves the earlier page, which may link the files of
    // earlier names.
    const bool stopped =
        rule == OnFailure::Stop &&
        std::any_of(outcomes.cbegin(), outcomes.cend(),
                    [](const ExportOutcome &o) { return o.kind == ExportOutcome::Kind::Failed; });
    const std::optional<QSet<QString>> current = stopped ? std::nullopt : setFiles(job, outcomes);
    if (current)
        record.prune(*current, {job.pictureFolder, job.thumbFolder, job.screenCopyFolder}, sources);
    // A record that cannot be written leaves the earlier one, whose claims
    // the rewritten files' new stamps already contradict.
    notify(job, record.save());
    return outcomes;
}

} // namespace

QList<ExportOutcome> exportItems(const ExportJob &job, OnFailure rule,
                                 const ExportProgress &onProgress)
{
    const SourceFiles sources(setSources(job));
    checkOutputsSpare(job, sources);
    return exportCheckedItems(job, rule, onProgress, sources);
}

void exportGallery(const ExportJob &job, const ExportProgress &onProgress)
{
    const ExportLock lock(job.projectFolder, ExportLock::WhenBusy::Refuse, job.onNotice);
    const SourceFiles sources(setSources(job));
    checkOutputsSpare(job, sources);
    ensureFolder(job.pictureFolder);
    const QList<ExportOutcome> outcomes =
        exportCheckedItems(job, OnFailure::Stop, onProgress, sources);
    QList<const ExportItem *> passedOver;
    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        if (outcomes.at(i).kind == ExportOutcome::Kind::Failed)
            throw PictavelError(outcomes.at(i).reason);
        if (outcomes.at(i).kind == ExportOutcome::Kind::SourceMissing)
            passedOver << &job.items.at(i);
    }
    writeGalleryPages(job);
    if (!passedOver.isEmpty())
        throw PictavelError(passedOverMessage(passedOver));
}

QString writeGalleryPages(const ExportJob &job)
{
    // A page whose text is the same is left as it is, like the pictures, so
    // that an unchanged gallery is published again with nothing to copy;
    // a full export writes it all the same.
    const auto write = [&job](const QString &path, const QByteArray &bytes) {
        if (job.full)
            writeFileAtomically(path, bytes);
        else
            writeFileUnlessSame(path, bytes);
    };
    const QString page = joinPath(job.projectFolder, QString::fromLatin1(kPageFileName));
    write(page,
          job.pageInUtf8 ? encodeTextFileUtf8(job.pageLines) : encodeTextFile1251(job.pageLines));
    for (qsizetype i = 0; i < job.morePages.size(); ++i)
        write(joinPath(job.projectFolder, morePageFileName(int(i) + 2)),
              encodeTextFileUtf8(job.morePages.at(i)));
    return page;
}
