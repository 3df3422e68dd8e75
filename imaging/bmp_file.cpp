#include "base/pictavel_error.h"
#include "imaging/picture_decoders.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

[[noreturn]] void invalidBitmap()
{
    throw PictavelError(QStringLiteral("Bitmap image is not valid"));
}

uint32_t le16(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t le32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// One channel of a bit-field pixel, widened or narrowed to 8 bits.
struct Channel
{
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m = 0) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
            // A mask with holes is read as if it were contiguous from its
            // lowest bit; its value still scales into 0..255 below.
        }
    }

    uint32_t value(uint32_t pixel) const
    {
        if (!mask)
            return 0;
        const uint32_t v = (pixel & mask) >> shift;
        return uint32_t((uint64_t(v) * 255 + max / 2) / max);
    }
};

struct BmpHeader
{
    int width = 0;
    int height = 0; // always positive here
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    bool hasMasks = false;
    size_t paletteOffset = 0;
    int paletteEntrySize = 4;
    size_t paletteCount = 0;
    size_t dataOffset = 0;
};

BmpHeader parseHeader(const uint8_t *data, size_t size)
{
    BmpHeader h;
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        invalidBitmap();
    h.dataOffset = le32(data + 10);
    const uint32_t infoSize = le32(data + 14);
    if (infoSize < 12 || infoSize > size - 14)
        invalidBitmap();
    const uint8_t *info = data + 14;
    int64_t width, height;
    uint32_t planes, clrUsed = 0;
    if (infoSize == 12) {
        width = le16(info + 4);
        height = le16(info + 6);
        planes = le16(info + 8);
        h.bitCount = int(le16(info + 10));
        h.paletteEntrySize = 3;
    } else if (infoSize >= 40) {
        width = int32_t(le32(info + 4));
        height = int32_t(le32(info + 8));
        planes = le16(info + 12);
        h.bitCount = int(le16(info + 14));
        h.compression = le32(info + 16);
        clrUsed = le32(info + 32);
    } else {
        invalidBitmap();
    }
    if (planes != 1)
        invalidBitmap();
    if (height < 0) {
        h.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0)
        invalidBitmap();
    checkBitmapSize(width, height);
    h.width = int(width);
    h.height = int(height);

    size_t afterInfo = 14 + infoSize;
    switch (h.compression) {
    case BI_RGB:
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 &&
            h.bitCount != 24 && h.bitCount != 32)
            invalidBitmap();
        break;
    case BI_RLE8:
        if (h.bitCount != 8 || h.topDown)
            invalidBitmap();
        break;
    case BI_RLE4:
        if (h.bitCount != 4 || h.topDown)
            invalidBitmap();
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: {
        if (h.bitCount != 16 && h.bitCount != 32)
            invalidBitmap();
        const size_t maskCount = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
        // Version 2 and later headers hold the masks; a plain info header is
        // followed by them.
        const uint8_t *maskAt = info + 40;
        if (infoSize < 40 + maskCount * 4) {
            if (size - afterInfo < maskCount * 4)
                invalidBitmap();
            afterInfo += maskCount * 4;
        }
        for (size_t i = 0; i < maskCount; ++i)
            h.masks[i] = le32(maskAt + 4 * i);
        if (infoSize >= 56 && h.compression == BI_BITFIELDS)
            h.masks[3] = le32(info + 52);
        h.hasMasks = true;
        break;
    }
    default:
        invalidBitmap();
    }

    h.paletteOffset = afterInfo;
    if (h.bitCount <= 8) {
        const size_t full = size_t(1) << h.bitCount;
        h.paletteCount = (clrUsed == 0 || clrUsed > full) ? full : clrUsed;
        if (h.paletteOffset > size ||
            (size - h.paletteOffset) / size_t(h.paletteEntrySize) < h.paletteCount)
            invalidBitmap();
    }
    if (h.dataOffset < afterInfo || h.dataOffset >= size)
        invalidBitmap();
    return h;
}

void readPalette(const uint8_t *data, const BmpHeader &h, uint32_t palette[256])
{
    std::fill(palette, palette + 256, 0xFF000000u);
    for (size_t i = 0; i < h.paletteCount; ++i) {
        const uint8_t *p = data + h.paletteOffset + i * size_t(h.paletteEntrySize);
        palette[i] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
}

void decodeUncompressed(const uint8_t *data, size_t size, const BmpHeader &h, uint32_t *pixels)
{
    const size_t stride = ((size_t(h.width) * size_t(h.bitCount) + 31) / 32) * 4;
    if ((size - h.dataOffset) / stride < size_t(h.height))
        invalidBitmap();
    uint32_t palette[256];
    if (h.bitCount <= 8)
        readPalette(data, h, palette);

    uint32_t masks[4] = {0x7C00, 0x03E0, 0x001F, 0};
    if (h.hasMasks)
        std::copy(h.masks, h.masks + 4, masks);
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    // The usual 32-bit layout is taken as it lies, fourth byte and all.
    const bool plain32 =
        h.bitCount == 32 &&
        (!h.hasMasks || (masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF));

    const size_t w = size_t(h.width);
    for (int row = 0; row < h.height; ++row) {
        const uint8_t *src = data + h.dataOffset + size_t(row) * stride;
        const int y = h.topDown ? row : h.height - 1 - row;
        uint32_t *out = pixels + size_t(y) * w;
        switch (h.bitCount) {
        case 1:
            for (size_t x = 0; x < w; ++x)
                out[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (size_t x = 0; x < w; ++x)
                out[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
            break;
        case 8:
            for (size_t x = 0; x < w; ++x)
                out[x] = palette[src[x]];
            break;
        case 24:
            for (size_t x = 0; x < w; ++x, src += 3)
                out[x] = 0xFF000000u | uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
            break;
        case 16:
        case 32:
            if (plain32) {
                std::memcpy(out, src, w * 4);
                break;
            }
            for (size_t x = 0; x < w; ++x) {
                const uint32_t p = h.bitCount == 16 ? le16(src + 2 * x) : le32(src + 4 * x);
                const uint32_t a = (h.bitCount == 32 && alpha.mask) ? alpha.value(p) : 255;
                out[x] = a << 24 | red.value(p) << 16 | green.value(p) << 8 | blue.value(p);
            }
            break;
        }
    }
}

// Run-length files: pixels that the stream skips are black.
void decodeRle(const uint8_t *data, size_t size, const BmpHeader &h, uint32_t *pixels)
{
    uint32_t palette[256];
    readPalette(data, h, palette);
    const bool four = h.compression == BI_RLE4;
    const size_t w = size_t(h.width);
    std::fill(pixels, pixels + w * size_t(h.height), 0xFF000000u);
    size_t pos = h.dataOffset;
    int x = 0;
    int y = 0; // counted from the bottom row
    auto put = [&](int index) {
        if (x < h.width && y < h.height)
            pixels[size_t(h.height - 1 - y) * w + size_t(x)] = palette[index];
        ++x;
    };
    while (true) {
        if (size - pos < 2)
            invalidBitmap();
        const int count = data[pos];
        const int value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // delta
            if (size - pos < 2)
                invalidBitmap();
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else { // absolute run, padded to a 16-bit boundary
            const size_t bytes = four ? (size_t(value) + 1) / 2 : size_t(value);
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (size - pos < padded)
                invalidBitmap();
            for (int i = 0; i < value; ++i)
                put(four ? ((i & 1) ? data[pos + size_t(i / 2)] & 15
                                    : data[pos + size_t(i / 2)] >> 4)
                         : data[pos + size_t(i)]);
            pos += padded;
        }
        // Past the top row nothing more can be drawn.
        if (y >= h.height)
            return;
        x = std::min(x, h.width);
    }
}

} // namespace

void loadBmpData(const uint8_t *data, size_t size, TBitmap32 &bitmap)
{
    const BmpHeader h = parseHeader(data, size);
    PooledPixels pixels(size_t(h.width) * size_t(h.height));
    if (h.compression == BI_RLE4 || h.compression == BI_RLE8)
        decodeRle(data, size, h, pixels.data());
    else
        decodeUncompressed(data, size, h, pixels.data());
    bitmap.replacePixels(h.width, h.height, pixels.take());
    bitmap.notifyChanged();
}
