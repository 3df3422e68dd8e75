#include "imaging/pixel_pool.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <sanitizer/asan_interface.h>
#include <sys/mman.h>
#include <vector>

namespace PixelPool {
namespace {

// Blocks below this size come cheaply from the heap and are not kept.
constexpr size_t kMinKeptBytes = size_t(1) << 20;
constexpr size_t kMaxKeptBlocks = 4;
constexpr size_t kHugePageBytes = size_t(2) << 20;
constexpr size_t kMaxKeptBytes = size_t(256) << 20;

bool isMapped(const Block &b)
{
    return b.capacity * sizeof(uint32_t) >= kMinKeptBytes;
}

// Large blocks are mapped and unmapped here rather than by malloc, whose
// heap may keep a freed block resident: a block the pool lets go must leave
// the process.
Block mapBlock(size_t pixels)
{
    const size_t bytes =
        (pixels * sizeof(uint32_t) + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    // Mapped one huge page longer and cut to a huge-page boundary, so that
    // the first touch faults once per 2 MB instead of once per 4 KB.
    const size_t mapped = bytes + kHugePageBytes;
    void *p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return {};
    const auto start = reinterpret_cast<uintptr_t>(p);
    const uintptr_t aligned = (start + kHugePageBytes - 1) & ~uintptr_t(kHugePageBytes - 1);
    if (aligned > start)
        munmap(p, aligned - start);
    if (const size_t tail = start + mapped - (aligned + bytes))
        munmap(reinterpret_cast<void *>(aligned + bytes), tail);
    madvise(reinterpret_cast<void *>(aligned), bytes, MADV_HUGEPAGE);
    return {reinterpret_cast<uint32_t *>(aligned), bytes / sizeof(uint32_t)};
}

// Under AddressSanitizer a mapped block is readable only as far as the
// picture it serves, and not at all while it is kept, so that a write past
// the picture or a use after release is reported as on the heap.
void handOut(const Block &b, size_t pixels)
{
    ASAN_UNPOISON_MEMORY_REGION(b.data, pixels * sizeof(uint32_t));
    ASAN_POISON_MEMORY_REGION(b.data + pixels, (b.capacity - pixels) * sizeof(uint32_t));
}

void freeBlock(const Block &b)
{
    // The addresses may be mapped again by anyone.
    ASAN_UNPOISON_MEMORY_REGION(b.data, b.capacity * sizeof(uint32_t));
    if (isMapped(b))
        munmap(b.data, b.capacity * sizeof(uint32_t));
    else
        std::free(b.data);
}

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
            freeBlock(b);
    }
};

std::vector<Block> &keptBlocks()
{
    static KeptBlocks kept;
    return kept.blocks;
}

// The largest block mapped so far, in pixels.
size_t &largestMapped()
{
    static size_t largest = 0;
    return largest;
}

size_t bytesOf(const std::vector<Block> &blocks)
{
    size_t total = 0;
    for (const Block &b : blocks)
        total += b.capacity * sizeof(uint32_t);
    return total;
}

void freeSmallest(std::vector<Block> &blocks)
{
    const auto smallest =
        std::min_element(blocks.begin(), blocks.end(),
                         [](const Block &a, const Block &b) { return a.capacity < b.capacity; });
    freeBlock(*smallest);
    blocks.erase(smallest);
}

} // namespace

Block acquire(size_t pixels)
{
    if (pixels == 0)
        return {};
    if (pixels * sizeof(uint32_t) < kMinKeptBytes) {
        void *p = std::malloc(pixels * sizeof(uint32_t));
        return p ? Block{static_cast<uint32_t *>(p), pixels} : Block{};
    }
    size_t mapped = 0;
    {
        std::lock_guard lock(poolMutex());
        auto &blocks = keptBlocks();
        // The smallest kept block that holds the picture serves it, however
        // much larger: its pages are resident already, and a fresh one would
        // be faulted in on top of them.
        auto best = blocks.end();
        for (auto b = blocks.begin(); b != blocks.end(); ++b)
            if (b->capacity >= pixels && (best == blocks.end() || b->capacity < best->capacity))
                best = b;
        if (best != blocks.end()) {
            const Block b = *best;
            blocks.erase(best);
            handOut(b, pixels);
            return b;
        }
        // None does, so a new block is mapped, and the smallest kept one
        // goes first: the pool then never holds more blocks than were in use
        // at one time, each no larger than the largest picture. The new
        // block is as large as the largest one before it: only the pages a
        // picture touches are faulted in, so a smaller picture costs no
        // more, and the larger pictures that follow it (from another thread
        // as well) find their block instead of faulting in a new one.
        if (!blocks.empty())
            freeSmallest(blocks);
        largestMapped() = std::max(largestMapped(), pixels);
        mapped = largestMapped();
    }
    const Block b = mapBlock(mapped);
    if (b.data)
        handOut(b, pixels);
    return b;
}

void release(Block block)
{
    if (!block.data)
        return;
    const size_t bytes = block.capacity * sizeof(uint32_t);
    if (isMapped(block) && bytes <= kMaxKeptBytes) {
        ASAN_POISON_MEMORY_REGION(block.data, bytes);
        std::lock_guard lock(poolMutex());
        auto &blocks = keptBlocks();
        blocks.push_back(block);
        // Beyond the limits the smallest blocks go first: a larger one serves
        // every picture a smaller one does.
        while (blocks.size() > kMaxKeptBlocks || bytesOf(blocks) > kMaxKeptBytes)
            freeSmallest(blocks);
        return;
    }
    freeBlock(block);
}

void trim()
{
    std::lock_guard lock(poolMutex());
    for (const Block &b : keptBlocks())
        freeBlock(b);
    keptBlocks().clear();
    largestMapped() = 0;
}

} // namespace PixelPool
