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

// The payload of an APP1 Exif segment whose first directory gives the
// picture's orientation, in either byte order.
inline QByteArray exifWithOrientation(int orientation, bool bigEndian)
{
    QByteArray e("Exif\0\0", 6);
    const auto u16 = [&](uint32_t v) {
        const char high = char(v >> 8), low = char(v & 0xFF);
        e.append(bigEndian ? high : low);
        e.append(bigEndian ? low : high);
    };
    const auto u32 = [&](uint32_t v) {
        u16(bigEndian ? v >> 16 : v & 0xFFFF);
        u16(bigEndian ? v & 0xFFFF : v >> 16);
    };
    e.append(bigEndian ? "MM" : "II");
    u16(42);
    u32(8);
    u16(2);      // two entries, the orientation second
    u16(0x011A); // XResolution, a RATIONAL pointing nowhere we read
    u16(5);
    u32(1);
    u32(0);
    u16(0x0112);
    u16(3);
    u32(1);
    u16(uint32_t(orientation));
    u16(0);
    u32(0);
    return e;
}

// A JPEG marker segment of the given code and payload.
inline QByteArray jpegSegment(uint8_t marker, const QByteArray &payload)
{
    const int length = int(payload.size()) + 2;
    return QByteArray("\xFF", 1) + char(marker) + char(length >> 8) + char(length & 0xFF) + payload;
}

// The file a kept original publishes: its pieces joined.
inline QByteArray keptBytes(const KeptOriginal &kept)
{
    QByteArray bytes;
    for (const QByteArrayView piece : kept.pieces)
        bytes += piece;
    return bytes;
}
