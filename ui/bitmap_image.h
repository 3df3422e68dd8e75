#pragma once

#include "imaging/bitmap32.h"

#include <QImage>

// The bitmap's pixels as a QImage over the same memory, for painting and
// saving; valid while the bitmap keeps its size. An empty bitmap gives a null
// image.
QImage bitmapImage(const TBitmap32 &bitmap, QImage::Format format = QImage::Format_ARGB32);
