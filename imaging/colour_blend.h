#pragma once

#include "imaging/bitmap32.h"

#include <cstdint>

// The channel arithmetic works on two channels at a time: each lane of
// 0x00FF00FF holds one 8-bit channel, and x * w + y * (256 - w) + 128 never
// exceeds 16 bits per lane, so the packed result equals the per-channel one.

// Mixes x (weight w, 0..255) with y, every channel alpha included:
// (x * w + y * (256 - w) + 128) >> 8.
inline TColor32 CombineWeighted(TColor32 x, TColor32 y, uint32_t w)
{
    const uint32_t v = 256 - w;
    const uint32_t rb =
        (((x & 0x00FF00FFu) * w + (y & 0x00FF00FFu) * v + 0x00800080u) >> 8) & 0x00FF00FFu;
    const uint32_t ag =
        ((((x >> 8) & 0x00FF00FFu) * w + ((y >> 8) & 0x00FF00FFu) * v + 0x00800080u)) & 0xFF00FF00u;
    return rb | ag;
}

// Writes f over b with f's alpha as its weight; alpha 0 keeps b, 255 gives f.
// (b * 256 + (f - b) * a + 128) >> 8 is the same sum as CombineWeighted(f, b, a).
inline TColor32 BlendOver(TColor32 f, TColor32 b)
{
    const uint32_t a = f >> 24;
    if (a == 0)
        return b;
    if (a == 255)
        return f;
    return CombineWeighted(f, b, a);
}
