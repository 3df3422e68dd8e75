#include "html/gallery_export.h"

#include "base/pictavel_error.h"
#include "base/text_file.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"
#include "project/project_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
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

std::vector<EarlierWriters> planWrites(const ExportJob &job)
{
    QHash<QString, int> lastWriter;
    std::vector<EarlierWriters> plan;
    plan.reserve(size_t(job.items.size()));
    for (int i = 0; i < int(job.items.size()); ++i) {
        const ExportItem &item = job.items.at(i);
        EarlierWriters earlier;
        const QString thumb = QDir::cleanPath(joinPath(job.thumbFolder, item.thumbName));
        earlier.thumb = lastWriter.value(thumb, -1);
        lastWriter.insert(thumb, i);
        if (!item.edited) {
            // A picture in its own thumbnail's file follows that write anyway.
            const QString picture = QDir::cleanPath(joinPath(job.pictureFolder, item.pictureName));
            earlier.picture = lastWriter.value(picture, -1);
            if (earlier.picture == i)
                earlier.picture = -1;
            lastWriter.insert(picture, i);
        }
        plan.push_back(earlier);
    }
    return plan;
}

// The outcomes as the threads settle them, and the first item that stops the
// set, shared by the threads and the one that reports the progress.
class OutcomeBoard
{
public:
    explicit OutcomeBoard(int total) : m_outcomes(size_t(total)), m_stopAt(total) {}

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
        m_settled.notify_all();
    }

    ExportOutcome::Kind waitFor(int index)
    {
        std::unique_lock lock(m_mutex);
        m_settled.wait(lock, [&] { return settled(index); });
        return m_outcomes[size_t(index)].kind;
    }

    // Waits until the item `earlier` (none when -1) is settled; false when
    // the set stopped before the item `index` meanwhile.
    bool waitBefore(int earlier, int index)
    {
        if (earlier < 0)
            return true;
        std::unique_lock lock(m_mutex);
        m_settled.wait(lock, [&] { return settled(earlier) || m_stopAt < index; });
        return m_stopAt > index;
    }

    // Once every thread is done.
    QList<ExportOutcome> take()
    {
        return QList<ExportOutcome>(m_outcomes.begin(), m_outcomes.end());
    }

private:
    bool settled(int index) const
    {
        return m_outcomes[size_t(index)].kind != ExportOutcome::Kind::NotStarted;
    }

    std::mutex m_mutex;
    std::condition_variable m_settled;
    std::vector<ExportOutcome> m_outcomes;
    int m_stopAt;
};

// Writes one item's files, each after the earlier items that write the same
// file; NotStarted when the set stopped before the item meanwhile.
ExportOutcome::Kind exportItem(ExportWorkspace &work, const ExportJob &job, int index,
                               EarlierWriters earlier, OutcomeBoard &board)
{
    const ExportItem &item = job.items.at(index);
    // A thumbnail made here needs the source first; ready pixels are written
    // before the source is read, as the grid shows them whatever the file.
    const bool madeHere = !item.thumbPixels;
    if (madeHere && !work.loadSource(item.sourcePath))
        return ExportOutcome::Kind::SourceMissing;
    ensureFolder(job.thumbFolder);
    if (!board.waitBefore(earlier.thumb, index))
        return ExportOutcome::Kind::NotStarted;
    WriteJpegFile(joinPath(job.thumbFolder, item.thumbName),
                  madeHere ? work.makeThumbnail(item.thumbBox) : *item.thumbPixels,
                  kExportJpegQuality);
    if (item.edited)
        return ExportOutcome::Kind::Written;
    if (!madeHere && !work.loadSource(item.sourcePath))
        return ExportOutcome::Kind::SourceMissing;
    ensureFolder(job.pictureFolder);
    if (!board.waitBefore(earlier.picture, index))
        return ExportOutcome::Kind::NotStarted;
    work.writePicture(joinPath(job.pictureFolder, item.pictureName));
    return ExportOutcome::Kind::Written;
}

ExportOutcome exportOne(ExportWorkspace &work, const ExportJob &job, int index,
                        EarlierWriters earlier, OutcomeBoard &board)
{
    try {
        return {exportItem(work, job, index, earlier, board), {}};
    } catch (const PictavelError &error) {
        return {ExportOutcome::Kind::Failed, error.message()};
    } catch (const std::exception &error) {
        return {ExportOutcome::Kind::Failed, QString::fromLocal8Bit(error.what())};
    }
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

void ensureFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return;
    // Another thread may make it between the test and mkdir.
    if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir())
        throw PictavelError(QStringLiteral("Cannot create folder %1").arg(folder));
}

bool ExportWorkspace::loadSource(const QString &path)
{
    // Emptied first, because the GIF decoder draws onto the pixels of a
    // bitmap that already has its size, and every file must come from its
    // own source alone. The area goes back to the pixel pool, from which the
    // decoder takes it again.
    m_picture.setSize(0, 0);
    try {
        LoadPicture(path, m_picture);
    } catch (const PictavelError &error) {
        // The decoders' own texts do not say which file they were reading.
        if (error.message().contains(path))
            throw;
        throw PictavelError(path + QStringLiteral(": ") + error.message());
    }
    return !m_picture.empty();
}

const TBitmap32 &ExportWorkspace::makeThumbnail(const QSize &box)
{
    m_picture.setStretchFilter(sfNearest);
    MakeThumbnail(m_picture, box.width(), box.height(), m_thumb);
    return m_thumb;
}

void ExportWorkspace::writePicture(const QString &path) const
{
    WriteJpegFile(path, m_picture, kExportJpegQuality);
}

QList<ExportOutcome> exportItems(const ExportJob &job, OnFailure rule,
                                 const ExportProgress &onProgress)
{
    const int total = int(job.items.size());
    const std::vector<EarlierWriters> plan = planWrites(job);
    OutcomeBoard board(total);
    std::atomic<int> next{0};
    {
        std::vector<std::jthread> workers;
        for (int w = 0; w < std::min(std::max(job.jobs, 1), total); ++w) {
            workers.emplace_back([&] {
                ExportWorkspace work;
                for (int i = next++; i < total && board.mayStart(i); i = next++) {
                    ExportOutcome outcome = exportOne(work, job, i, plan[size_t(i)], board);
                    if (outcome.kind == ExportOutcome::Kind::NotStarted)
                        break;
                    const bool stops =
                        rule == OnFailure::Stop && outcome.kind == ExportOutcome::Kind::Failed;
                    board.settle(i, std::move(outcome), stops);
                }
            });
        }
        for (int i = 0; i < total; ++i) {
            const ExportOutcome::Kind kind = board.waitFor(i);
            if (rule == OnFailure::Stop && kind == ExportOutcome::Kind::Failed)
                break;
            if (onProgress)
                onProgress(i + 1, total);
        }
    }
    return board.take();
}

void exportGallery(const ExportJob &job, const ExportProgress &onProgress)
{
    ensureFolder(job.pictureFolder);
    const QList<ExportOutcome> outcomes = exportItems(job, OnFailure::Stop, onProgress);
    QList<const ExportItem *> passedOver;
    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        if (outcomes.at(i).kind == ExportOutcome::Kind::Failed)
            throw PictavelError(outcomes.at(i).reason);
        if (outcomes.at(i).kind == ExportOutcome::Kind::SourceMissing)
            passedOver << &job.items.at(i);
    }
    writeTextFile1251(joinPath(job.projectFolder, QString::fromLatin1(kPageFileName)),
                      job.pageLines);
    if (!passedOver.isEmpty())
        throw PictavelError(passedOverMessage(passedOver));
}
