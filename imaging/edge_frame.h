#pragma once

#include "imaging/bitmap32.h"

// One ring of a raised bevel on rect (right and bottom exclusive): its top
// row and left column lightened with white, its bottom row and right column
// darkened with black, by `contrast` per cent (light alpha contrast x 512 div
// 100, dark alpha contrast x 255 div 100, at most 255). The top-right and
// bottom-left corner pixels belong to the rows. Pixels outside the bitmap are
// left out.
void RaisedFrame(TBitmap32 &bitmap, const TRect &rect, int contrast);

// The edge frame of a saved picture: five rings from `outer` inwards, with
// contrasts 35, 27, 19, 11 and 3.
void DrawEdgeFrame(TBitmap32 &bitmap, const TRect &outer);
