#include "build_tool/gallery_build.h"

#include "base/pictavel_error.h"
#include "html/gallery_export.h"
#include "imaging/picture_file.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

struct BuildTarget
{
    QString pictureFolder;
    QString thumbFolder;
    QSize thumbBox;
};

// The reason a picture's files could not be made, or nothing.
std::optional<QString> buildOne(ExportWorkspace &work, const BuildPicture &picture,
                                const BuildTarget &target)
{
    if (!picture.writePicture && !picture.writeThumb)
        return std::nullopt;
    try {
        if (!work.loadSource(picture.source))
            return QStringLiteral("no such file");
        if (picture.writeThumb) {
            ensureFolder(target.thumbFolder);
            WriteJpegFile(picture.thumbPath, work.makeThumbnail(target.thumbBox),
                          kExportJpegQuality);
        }
        if (picture.writePicture) {
            ensureFolder(target.pictureFolder);
            work.writePicture(picture.picturePath);
        }
    } catch (const PictavelError &error) {
        return error.message();
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    }
    return std::nullopt;
}

// The count of pictures done, shared between the workers and the thread that
// reports it.
class DoneCounter
{
public:
    void add()
    {
        {
            const std::lock_guard lock(m_mutex);
            ++m_done;
        }
        m_changed.notify_one();
    }

    // Waits until the count differs from `seen` and returns it.
    int waitBeyond(int seen)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_done != seen; });
        return m_done;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_done = 0;
};

} // namespace

QList<BuildPicture> planPictures(const QStringList &sources, const QStringList &picturePaths,
                                 const QStringList &thumbPaths)
{
    // Every file's last write in set order: each picture writes its thumbnail
    // first (write 2i) and its picture after it (write 2i + 1).
    QHash<QString, qsizetype> lastWrite;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        lastWrite.insert(QDir::cleanPath(thumbPaths.at(i)), 2 * i);
        lastWrite.insert(QDir::cleanPath(picturePaths.at(i)), 2 * i + 1);
    }
    QList<BuildPicture> plan;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        plan.append({sources.at(i), picturePaths.at(i), thumbPaths.at(i),
                     lastWrite.value(QDir::cleanPath(picturePaths.at(i))) == 2 * i + 1,
                     lastWrite.value(QDir::cleanPath(thumbPaths.at(i))) == 2 * i});
    }
    return plan;
}

QList<BuildFailure> buildPictures(const QList<BuildPicture> &pictures, const QString &pictureFolder,
                                  const QString &thumbFolder, const QSize &thumbBox, int jobs,
                                  const std::function<void(int done)> &onProgress)
{
    const BuildTarget target{pictureFolder, thumbFolder, thumbBox};
    const int total = int(pictures.size());
    // Each slot is written by the one worker that took its picture and read
    // only after every worker has been joined.
    std::vector<std::optional<QString>> reasons(size_t(pictures.size()));
    std::atomic<int> next{0};
    DoneCounter done;
    {
        std::vector<std::jthread> workers;
        for (int w = 0; w < std::min(jobs, total); ++w) {
            workers.emplace_back([&] {
                ExportWorkspace work;
                for (int i = next++; i < total; i = next++) {
                    reasons[size_t(i)] = buildOne(work, pictures.at(i), target);
                    done.add();
                }
            });
        }
        for (int seen = 0; seen < total;) {
            seen = done.waitBeyond(seen);
            onProgress(seen);
        }
    }
    QList<BuildFailure> failures;
    for (int i = 0; i < total; ++i) {
        if (reasons[size_t(i)])
            failures.append({pictures.at(i).source, *reasons[size_t(i)]});
    }
    return failures;
}
