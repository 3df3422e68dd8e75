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
// The address space of a mapped block: the largest picture a bitmap may hold.
constexpr size_t kReservedBytes = size_t(1) << 30;

bool isMapped(const Block &b)
{
    return b.capacity * sizeof(uint32_t) >= kMinKeptBytes;
}

size_t roundedToHugePages(size_t bytes)
{
    return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

// Large blocks are mapped and unmapped here rather than by malloc, whose
// heap may keep a freed block resident: a block the pool lets go must leave
// the process. Each holds the address space of the largest picture, of which
// only the first `pixels` can be written, so that it can grow in place.
Block mapBlock(size_t pixels)
{
    const size_t bytes = roundedToHugePages(pixels * sizeof(uint32_t));
    const size_t reserved = std::max(bytes, kReservedBytes);
    // Mapped one huge page longer and cut to a huge-page boundary, so that
    // the first touch faults once per 2 MB instead of once per 4 KB.
    const size_t mapped = reserved + kHugePageBytes;
    void *p = mmap(nullptr, mapped, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return {};
    const auto start = reinterpret_cast<uintptr_t>(p);
    const uintptr_t aligned = (start + kHugePageBytes - 1) & ~uintptr_t(kHugePageBytes - 1);
    if (aligned > start)
        munmap(p, aligned - start);
    if (const size_t tail = start + mapped - (aligned + reserved))
        munmap(reinterpret_cast<void *>(aligned + reserved), tail);
    auto *data = reinterpret_cast<uint32_t *>(aligned);
    madvise(data, reserved, MADV_HUGEPAGE);
    if (mprotect(data, bytes, PROT_READ | PROT_WRITE) != 0) {
        munmap(data, reserved);
        return {};
    }
    return {data, bytes / sizeof(uint32_t), reserved};
}

// Makes `b` writable as far as `pixels`, keeping what it holds; false when
// its address space is too small or the system refuses.
bool growBlock(Block &b, size_t pixels)
{
    const size_t bytes = roundedToHugePages(pixels * sizeof(uint32_t));
    const size_t had = b.capacity * sizeof(uint32_t);
    if (bytes > b.reservedBytes)
        return false;
    if (bytes > had &&
        mprotect(reinterpret_cast<char *>(b.data) + had, bytes - had, PROT_READ | PROT_WRITE) != 0)
        return false;
    b.capacity = std::max(had, bytes) / sizeof(uint32_t);
    return true;
}

// Under AddressSanitizer a mapped block is readable only as far as the
// picture it serves, and not at all while it is kept, so that a write past
// the picture or a use after release is reported as on the heap.
void handOut(Block &b, size_t pixels)
{
    b.touched = std::max(b.touched, pixels);
    ASAN_UNPOISON_MEMORY_REGION(b.data, pixels * sizeof(uint32_t));
    ASAN_POISON_MEMORY_REGION(b.data + pixels, (b.capacity - pixels) * sizeof(uint32_t));
}

void freeBlock(const Block &b)
{
    // The addresses may be mapped again by anyone.
    ASAN_UNPOISON_MEMORY_REGION(b.data, b.capacity * sizeof(uint32_t));
    if (isMapped(b))
        munmap(b.data, b.reservedBytes);
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
        // A kept block that holds the picture serves it, however much
        // larger: its pages are resident already, and a fresh one would be
        // faulted in on top of them. Of those whose resident pages cover the
        // picture, the one with the fewest serves, keeping the others for
        // larger pictures (another thread's as well); when none covers it,
        // the one with the most, which faults in the fewest.
        const auto better = [pixels](const Block &a, const Block &b) {
            const bool aCovers = a.touched >= pixels, bCovers = b.touched >= pixels;
            if (aCovers != bCovers)
                return aCovers;
            return aCovers ? a.touched < b.touched : a.touched > b.touched;
        };
        auto best = blocks.end();
        for (auto b = blocks.begin(); b != blocks.end(); ++b)
            if (b->capacity >= pixels && (best == blocks.end() || better(*b, *best)))
                best = b;
        if (best != blocks.end()) {
            Block b = *best;
            blocks.erase(best);
            handOut(b, pixels);
            return b;
        }
        // None does. The kept block with the most resident pages grows to
        // serve it, keeping them: in a set of mixed sizes a worker that met
        // small pictures first does not fault in a whole new block for each
        // larger one. It grows, or a new block is mapped, as far as the largest
        // picture so far: only the pages a picture touches are faulted in,
        // so a smaller picture costs no more, and the larger pictures that
        // follow it (from another thread as well) find their block.
        largestMapped() = std::max(largestMapped(), pixels);
        mapped = largestMapped();
        const auto largest =
            std::max_element(blocks.begin(), blocks.end(),
                             [](const Block &a, const Block &b) { return a.touched < b.touched; });
        if (largest != blocks.end()) {
            Block b = *largest;
            blocks.erase(largest);
            if (growBlock(b, mapped)) {
                handOut(b, pixels);
                return b;
            }
            freeBlock(b);
        }
    }
    Block b = mapBlock(mapped);
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
