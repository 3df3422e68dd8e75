#pragma once

#include "imaging/bitmap32.h"

// Makes `dst` `width` x `height` pixels, each the average of the whole area of
// `src` that it covers: an exact box filter, in which a source pixel on the
// edge of that area counts with the part of it that lies inside. The same
// picture gives the same result wherever it comes from, reduced or enlarged;
// every channel, alpha too, is averaged and rounded. An empty source or size
// gives an empty result.
void BoxResample(const TBitmap32 &src, TBitmap32 &dst, int width, int height);
