#pragma once

#include <cstddef>
#include <cstdint>

// Large pixel areas are kept for reuse instead of being returned to the
// system: on these machines the first touch of freshly mapped memory costs
// more than decoding a photo, so a program that loads picture after picture
// must not fault in a new 48 MB block each time.
namespace PixelPool {

struct Block
{
    uint32_t *data = nullptr;
    size_t capacity = 0; // in pixels
};

// A block of at least `pixels` words; its content is unspecified. Returns a
// null block when memory cannot be had.
Block acquire(size_t pixels);
void release(Block block);

// Frees every kept block (tests and memory measurements).
void trim();

} // namespace PixelPool
