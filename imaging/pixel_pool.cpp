#include "imaging/pixel_pool.h"

#include <cstdlib>
#include <mutex>
#include <sys/mman.h>
#include <vector>

namespace PixelPool {
namespace {

// Blocks below this size come cheaply from the heap and are not kept.
constexpr size_t kMinKeptBytes = size_t(1) << 20;
constexpr size_t kMaxKeptBlocks = 4;
constexpr size_t kHugePageBytes = size_t(2) << 20;
constexpr size_t kMaxKeptBytes = size_t(256) << 20;

std::mutex &poolMutex()
{
    static std::mutex m;
    return m;
}

struct KeptBlocks
{
    std::vector<Block> blocks;
    ~KeptBlocks()
    {
        for (const Block &b : blocks)
            std::free(b.data);
    }
};

std::vector<Block> &keptBlocks()
{
    static KeptBlocks kept;
    return kept.blocks;
}

size_t bytesOf(const std::vector<Block> &blocks)
{
    size_t total = 0;
    for (const Block &b : blocks)
        total += b.capacity * sizeof(uint32_t);
    return total;
}

} // namespace

Block acquire(size_t pixels)
{
    if (pixels == 0)
        return {};
    if (pixels * sizeof(uint32_t) >= kMinKeptBytes) {
        std::lock_guard lock(poolMutex());
        auto &blocks = keptBlocks();
        // Best fit, but never more than twice the need: a small picture must
        // not sit on a block made for a large one.
        int best = -1;
        for (size_t i = 0; i < blocks.size(); ++i) {
            const size_t cap = blocks[i].capacity;
            if (cap >= pixels && cap / 2 <= pixels &&
                (best < 0 || cap < blocks[size_t(best)].capacity))
                best = int(i);
        }
        if (best >= 0) {
            Block b = blocks[size_t(best)];
            blocks.erase(blocks.begin() + best);
            return b;
        }
    }
    const size_t bytes = pixels * sizeof(uint32_t);
    if (bytes >= kHugePageBytes) {
        // Whole huge pages: the first touch of a fresh area then faults once
        // per 2 MB instead of once per 4 KB.
        const size_t rounded = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
        void *p = std::aligned_alloc(kHugePageBytes, rounded);
        if (!p)
            return {};
        madvise(p, rounded, MADV_HUGEPAGE);
        return {static_cast<uint32_t *>(p), rounded / sizeof(uint32_t)};
    }
    void *p = std::malloc(bytes);
    if (!p)
        return {};
    return {static_cast<uint32_t *>(p), pixels};
}

void release(Block block)
{
    if (!block.data)
        return;
    const size_t bytes = block.capacity * sizeof(uint32_t);
    if (bytes >= kMinKeptBytes && bytes <= kMaxKeptBytes) {
        std::lock_guard lock(poolMutex());
        auto &blocks = keptBlocks();
        blocks.push_back(block);
        while (blocks.size() > kMaxKeptBlocks || bytesOf(blocks) > kMaxKeptBytes) {
            std::free(blocks.front().data);
            blocks.erase(blocks.begin());
        }
        return;
    }
    std::free(block.data);
}

void trim()
{
    std::lock_guard lock(poolMutex());
    for (const Block &b : keptBlocks())
        std::free(b.data);
    keptBlocks().clear();
}

} // namespace PixelPool
