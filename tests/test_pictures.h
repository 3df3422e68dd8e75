#pragma once

#include "imaging/bitmap32.h"
#include "imaging/kept_original.h"
#include "imaging/picture_file.h"

#include <QByteArray>

#include <QString>

#include <cstdint>

// A JPEG picture of a pattern that differs with `seed` from row to row and
// from column to column, so that a turn, a crop or another picture shows.
inline void writeTestJpeg(const QString &path, int width, int height, uint32_t seed = 1,
                          int quality = 90)
{
    TBitmap32 bitmap;
    bitmap.setSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.setPixel(x, y,
                            0xFF000000u | uint32_t((uint32_t(x) * seed) % 256) << 16 |
                                uint32_t((y * 3 + x) % 256) << 8 | uint32_t((x ^ y) % 256));
    WriteJpegFile(path, bitmap, quality);
}

// The file a kept original publishes: its pieces joined.
inline QByteArray keptBytes(const KeptOriginal &kept)
{
    QByteArray bytes;
    for (const QByteArrayView piece : kept.pieces)
        bytes += piece;
    return bytes;
}
