#pragma once

#include "imaging/bitmap32.h"

#include <cstdint>
#include <vector>

// a * b / c, rounded to nearest with halves away from zero; -1 when c is 0 or
// the quotient does not fit 32 bits.
int32_t MulDivRound(int64_t a, int64_t b, int64_t c);

// Draws the rectangle `s` of `source` (all of it without `s`) into the
// rectangle `d` of `destination`, resampled with the source's StretchFilter
// when the sizes differ, and notifies the destination's change. Throws
// "Source rectangle is invalid" when `s` leaves the source.
void StretchCopy(const TBitmap32 &source, TBitmap32 &destination, const TRect &d);
void StretchCopy(const TBitmap32 &source, TBitmap32 &destination, const TRect &d, const TRect &s);

// The source column (or row) each of `destinationSize` columns (rows) takes
// when StretchCopy draws all of a source `sourceSize` wide (high) into all of
// a destination by nearest neighbour.
void NearestSourceIndices(std::vector<int> &out, int sourceSize, int destinationSize);
