#pragma once

#include "imaging/bitmap32.h"

#include <QString>

#include <cstddef>
#include <cstdint>

// The decoders behind LoadPicture, each given the whole file. They check the
// file completely before they change the bitmap.
void loadBmpData(const uint8_t *data, size_t size, TBitmap32 &bitmap);
// `warning`, when given, receives libjpeg's first warning, or nothing.
void loadJpegData(const uint8_t *data, size_t size, TBitmap32 &bitmap, QString *warning = nullptr);
void loadGifData(const uint8_t *data, size_t size, TBitmap32 &bitmap);
