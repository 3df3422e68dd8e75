#pragma once

#include "imaging/bitmap32.h"

#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>

class AtomicFile;

// The decoders behind LoadPicture, each given the whole file. They check the
// file completely before they change the bitmap.
void loadBmpData(const uint8_t *data, size_t size, TBitmap32 &bitmap);
// `warning`, when given, receives libjpeg's first warning, or nothing. A
// valid `thumbnailBox` asks for the picture only as large as a thumbnail in
// it needs: libjpeg reduces it while decoding as far as it keeps at least
// twice the thumbnail's size each way.
void loadJpegData(const uint8_t *data, size_t size, TBitmap32 &bitmap, QString *warning = nullptr,
                  QSize thumbnailBox = QSize());
// Decodes a JPEG picture a few rows at a time straight into the encoder of
// `file` (open; committed by the caller), which then holds what EncodeJpegInto
// writes for the picture as loadJpegData decodes and shows it, and takes
// `thumb` from the rows as they pass, as MakeThumbnail fits the shown picture
// into `box` by nearest neighbour (an empty box empties it). An upright
// picture needs no picture-sized area; a turned or mirrored one is kept as
// the encoder's planes (EncoderPlanes), 1.5 bytes a pixel. False, touching
// nothing, when memory for those cannot be had. Raises as loadJpegData, or
// the file's error, giving the file up.
bool transcodeJpeg(const uint8_t *data, size_t size, AtomicFile &file, int quality, QSize box,
                   TBitmap32 &thumb, QString *warning = nullptr);
// Whether loadJpegData takes the picture's colours through its embedded ICC
// profile: there is one, its markers add up, and it serves these colours
// (an sRGB profile, which needs no conversion, included).
bool jpegProfileInUse(const uint8_t *data, size_t size);
void loadGifData(const uint8_t *data, size_t size, TBitmap32 &bitmap);
