#pragma once

#include "imaging/bitmap32.h"

#include <QSize>

// The size MakeThumbnail gives a picture of this size in this box.
QSize ThumbnailSize(int pictureWidth, int pictureHeight, int maxWidth, int maxHeight);

// Makes `thumb` the picture reduced (or enlarged) to fit maxWidth x maxHeight
// as an image control in resize mode shows it, resampled with the picture's
// StretchFilter, which the thumb takes too, or, when `smooth`, by averaging
// the whole area each thumbnail pixel covers. An empty picture or box gives
// an empty thumb.
void MakeThumbnail(const TBitmap32 &picture, int maxWidth, int maxHeight, TBitmap32 &thumb,
                   bool smooth = false);
