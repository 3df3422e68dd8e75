#pragma once

#include "imaging/bitmap32.h"

#include <cstdint>

// a * b / c, rounded to nearest with halves away from zero; -1 when c is 0 or
// the quotient does not fit 32 bits.
int32_t MulDivRound(int64_t a, int64_t b, int64_t c);

// Draws the rectangle `s` of `source` (all of it without `s`) into the
// rectangle `d` of `destination`, resampled with the source's StretchFilter
// when the sizes differ, and notifies the destination's change. Throws
// "Source rectangle is invalid" when `s` leaves the source.
void StretchCopy(const TBitmap32 &source, TBitmap32 &destination, const TRect &d);
void StretchCopy(const TBitmap32 &source, TBitmap32 &destination, const TRect &d, const TRect &s);
