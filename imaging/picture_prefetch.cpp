#include "imaging/picture_prefetch.h"

#include "imaging/picture_file.h"

#include <QFileInfo>

PicturePrefetch::PicturePrefetch(const QStringList &paths, int workers)
    : m_paths(paths), m_ahead(std::max(workers, 1)), m_slots(size_t(paths.size()))
{
    m_workers.reserve(size_t(m_ahead));
    for (int i = 0; i < m_ahead; ++i)
        m_workers.emplace_back([this] { work(); });
}

PicturePrefetch::~PicturePrefetch()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
}

void PicturePrefetch::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] {
            return m_stopping || (m_next < m_paths.size() && m_next < m_passed + m_ahead);
        });
        if (m_stopping)
            return;
        const qsizetype index = m_next++;
        lock.unlock();

        // Each picture gets a bitmap of its own; its pixel area comes from
        // the pool, so no fresh memory is touched once the first ones exist.
        auto picture = std::make_unique<TBitmap32>();
        bool decoded = false;
        const QString &path = m_paths.at(index);
        if (QFileInfo(path).isFile()) {
            try {
                LoadPicture(path, *picture);
                decoded = !picture->empty();
            } catch (...) {
                // The caller meets the error when it loads the file itself.
            }
        }

        lock.lock();
        Slot &slot = m_slots[size_t(index)];
        slot.state = decoded ? State::Decoded : State::Unusable;
        if (decoded && index >= m_passed)
            slot.picture = std::move(picture);
        m_changed.notify_all();
    }
}

bool PicturePrefetch::take(const QString &path, TBitmap32 &bitmap)
{
    std::unique_lock lock(m_mutex);
    qsizetype index = m_passed;
    while (index < m_paths.size() && m_paths.at(index) != path)
        ++index;
    if (index == m_paths.size())
        return false;
    for (qsizetype i = m_passed; i < index; ++i)
        m_slots[size_t(i)].picture.reset();
    if (index >= m_next) {
        // No worker has started it: the caller is as quick on its own.
        m_passed = m_next = index + 1;
        m_changed.notify_all();
        return false;
    }
    m_passed = index;
    m_changed.notify_all();

    Slot &slot = m_slots[size_t(index)];
    m_changed.wait(lock, [&slot] { return slot.state != State::Waiting; });
    std::unique_ptr<TBitmap32> picture = std::move(slot.picture);
    lock.unlock();
    // The caller's former pixel area goes back to the pool before a worker
    // may start the next picture, which then reuses it.
    const bool decoded = picture != nullptr;
    if (decoded)
        bitmap.swapPixels(*picture);
    picture.reset();
    lock.lock();
    m_passed = index + 1;
    m_changed.notify_all();
    return decoded;
}

void PicturePrefetch::load(const QString &path, TBitmap32 &bitmap)
{
    if (!take(path, bitmap))
        LoadPicture(path, bitmap);
}
