#pragma once

#include <cstddef>
#include <cstdint>

// Large pixel areas are kept for reuse instead of being returned to the
// system: on these machines the first touch of freshly mapped memory costs
// more than decoding a photo, so a program that loads picture after picture
// must not fault in a new 48 MB block each time.
//
// A kept block serves any picture it holds. When none is large enough, the
// largest kept one grows in place, keeping the pages it has; a block is
// mapped only when none is kept. The pool then never holds more blocks than
// were in use at one time, each no larger than the largest picture (rounded
// up to 2 MB).
namespace PixelPool {

struct Block
{
    uint32_t *data = nullptr;
    size_t capacity = 0; // in pixels
    // The address space a mapped block holds, which it may grow into, and
    // the most pixels it has served, whose pages are resident; the pool's
    // own.
    size_t reservedBytes = 0;
    size_t touched = 0;
};

// A block of at least `pixels` words; its content is unspecified. Returns a
// null block when memory cannot be had.
Block acquire(size_t pixels);
void release(Block block);

// Frees every kept block (tests and memory measurements).
void trim();

} // namespace PixelPool
