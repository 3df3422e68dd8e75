#pragma once

#include "imaging/bitmap32.h"

#include <QStringList>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Decodes the pictures of a list ahead of their turn on worker threads, so
// that a caller who loads them one by one in list order finds each one
// ready. Beyond the picture the caller holds, at most `workers` pictures are
// decoded or being decoded, so that workers + 1 pictures are the most it
// keeps in memory.
class PicturePrefetch
{
public:
    PicturePrefetch(const QStringList &paths, int workers);
    // Lets each worker finish the picture in hand, then ends them.
    ~PicturePrefetch();
    PicturePrefetch(const PicturePrefetch &) = delete;
    PicturePrefetch &operator=(const PicturePrefetch &) = delete;

    // LoadPicture(path, bitmap), with the picture a worker decoded when
    // `path` lies ahead in the list; the paths before it are passed over. A
    // missing file or a damaged picture is loaded on the calling thread, so
    // that it does and raises what it would without the workers, in its turn.
    void load(const QString &path, TBitmap32 &bitmap);

private:
    // True when `bitmap` took the decoded picture of `path`.
    bool take(const QString &path, TBitmap32 &bitmap);

    enum class State { Waiting, Decoded, Unusable };
    struct Slot
    {
        State state = State::Waiting;
        std::unique_ptr<TBitmap32> picture;
    };

    void work();

    const QStringList m_paths;
    const int m_ahead;
    std::vector<Slot> m_slots;
    // The first path no worker has claimed, and the first one the caller has
    // not passed.
    qsizetype m_next = 0;
    qsizetype m_passed = 0;
    bool m_stopping = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_workers;
};
