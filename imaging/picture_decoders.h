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
// For a JPEG picture stored upright: decodes it a few rows at a time straight
// into the encoder of `file` (open; committed by the caller), which then holds
// what EncodeJpegInto writes for the decoded picture, and takes `thumb` from
// the rows as they pass, as MakeThumbnail fits the picture into `box` by
// nearest neighbour (an empty box empties it); no picture-sized area is
// needed. False, touching
// nothing, when the picture is stored turned. Raises as loadJpegData, or
// the file's error, giving the file up.
bool transcodeUprightJpeg(const uint8_t *data, size_t size, AtomicFile &file, int quality,
                          QSize box, TBitmap32 &thumb, QString *warning = nullptr);
// Whether loadJpegData takes the picture's colours through its embedded ICC
// profile: there is one, its markers add up, and it serves these colours
// (an sRGB profile, which needs no conversion, included).
bool jpegProfileInUse(const uint8_t *data, size_t size);
void loadGifData(const uint8_t *data, size_t size, TBitmap32 &bitmap);
