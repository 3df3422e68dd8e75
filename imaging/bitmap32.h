#pragma once

#include "imaging/pixel_pool.h"

#include <cstdint>
#include <functional>
#include <vector>

// 0xAARRGGBB; in memory (little-endian) the bytes are blue, green, red, alpha.
using TColor32 = uint32_t;

constexpr TColor32 clBlack32 = 0xFF000000u;
constexpr TColor32 clWhite32 = 0xFFFFFFFFu;

enum TDrawMode { dmOpaque = 0, dmBlend = 1, dmCustom = 2 };
enum TStretchFilter { sfNearest = 0, sfLinear = 1 };

// A rectangle as (left, top, right, bottom), right and bottom exclusive.
struct TRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool hasArea() const { return right > left && bottom > top; }
    bool operator==(const TRect &) const = default;
};

// The largest picture the program makes a pixel area for: the resampling's
// 16.16 steps hold 32767 pixels a side, and 2^28 pixels (1 GiB) is as much
// as a desktop picture program should ever ask for.
constexpr int kMaxBitmapSide = 32767;
#ifdef PICTAVEL_MAX_BITMAP_PIXELS
// Fuzzing builds lower the limit so that each input decodes in milliseconds.
constexpr int64_t kMaxBitmapPixels = PICTAVEL_MAX_BITMAP_PIXELS;
#else
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 28;
#endif

// True when a picture of this size may be given a pixel area.
bool bitmapSizeAllowed(int64_t width, int64_t height);

// Throws "picture too large: W x H" unless bitmapSizeAllowed(): a size
// refused by rule, not a failed allocation.
void checkBitmapSize(int64_t width, int64_t height);

class TBitmap32
{
public:
    TBitmap32() = default;
    ~TBitmap32();
    TBitmap32(const TBitmap32 &) = delete;
    TBitmap32 &operator=(const TBitmap32 &) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_width == 0 || m_height == 0; }

    // Unchanged size: nothing happens. Otherwise a fresh all-zero pixel area
    // (none when a side is 0) and a change notification.
    void setSize(int width, int height);

    // Takes size, pixels, draw mode, master alpha, outer colour and filter of
    // `source`; a null source empties the bitmap. Always notifies.
    void assign(const TBitmap32 *source);

    TColor32 *bits() { return m_pixels.data; }
    const TColor32 *bits() const { return m_pixels.data; }
    TColor32 *scanLine(int y) { return m_pixels.data + size_t(y) * size_t(m_width); }
    const TColor32 *scanLine(int y) const { return m_pixels.data + size_t(y) * size_t(m_width); }
    TColor32 pixel(int x, int y) const { return scanLine(y)[x]; }
    void setPixel(int x, int y, TColor32 c) { scanLine(y)[x] = c; }

    TDrawMode drawMode() const { return m_drawMode; }
    void setDrawMode(TDrawMode mode) { m_drawMode = mode; }
    int masterAlpha() const { return m_masterAlpha; }
    void setMasterAlpha(int alpha) { m_masterAlpha = alpha; }
    TColor32 outerColor() const { return m_outerColor; }
    void setOuterColor(TColor32 color) { m_outerColor = color; }
    TStretchFilter stretchFilter() const { return m_stretchFilter; }
    void setStretchFilter(TStretchFilter filter) { m_stretchFilter = filter; }

    // Sets the alpha byte of every pixel to 255.
    void makeOpaque();

    int addChangeHandler(std::function<void()> handler);
    void removeChangeHandler(int id);
    void notifyChanged();

    // For decoders that fill every pixel themselves: takes the size without
    // zeroing a new pixel area and without notifying. An unchanged size keeps
    // the pixels.
    void setSizeForOverwrite(int width, int height);
    // Takes a pixel area of width x height made by a decoder, without
    // notifying; the old area is released.
    void replacePixels(int width, int height, PixelPool::Block block);
    // Exchanges size and pixel area with `other` and notifies both; draw
    // modes, filters and colours stay with their bitmaps, as after a load.
    void swapPixels(TBitmap32 &other);

private:
    void reallocate(int width, int height, bool zero);
    // False when the size is unchanged.
    bool resize(int width, int height, bool zero);

    int m_width = 0;
    int m_height = 0;
    PixelPool::Block m_pixels;
    TDrawMode m_drawMode = dmOpaque;
    int m_masterAlpha = 255;
    TColor32 m_outerColor = 0;
    TStretchFilter m_stretchFilter = sfNearest;
    std::vector<std::pair<int, std::function<void()>>> m_changeHandlers;
    int m_nextHandlerId = 1;
};

// An owned pixel area taken from the pool, released when it goes.
class PooledPixels
{
public:
    PooledPixels() = default;
    explicit PooledPixels(size_t pixels);
    ~PooledPixels() { PixelPool::release(m_block); }
    PooledPixels(const PooledPixels &) = delete;
    PooledPixels &operator=(const PooledPixels &) = delete;

    uint32_t *data() const { return m_block.data; }
    PixelPool::Block take()
    {
        PixelPool::Block b = m_block;
        m_block = {};
        return b;
    }

private:
    PixelPool::Block m_block;
};
