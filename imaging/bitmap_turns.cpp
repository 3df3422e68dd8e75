#include "imaging/bitmap_turns.h"

#include <algorithm>
#include <cstring>

namespace {

bool swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

} // namespace

QSize OrientedSize(int width, int height, int orientation)
{
    return swapsSides(orientation) ? QSize(height, width) : QSize(width, height);
}

void OrientPixels(const TColor32 *source, int width, int height, int orientation,
                  TColor32 *destination)
{
    if (width <= 0 || height <= 0)
        return;
    const size_t w = size_t(width);
    const size_t h = size_t(height);
    // Each shown pixel (x, y) reads the stored pixel start + x * stepX +
    // y * stepY; the mirrors and turns differ only in these three numbers.
    ptrdiff_t start = 0, stepX = 1, stepY = ptrdiff_t(w);
    switch (orientation) {
    case 2:
        start = ptrdiff_t(w - 1);
        stepX = -1;
        break;
    case 3:
        start = ptrdiff_t(w * h - 1);
        stepX = -1;
        stepY = -ptrdiff_t(w);
        break;
    case 4:
        start = ptrdiff_t((h - 1) * w);
        stepY = -ptrdiff_t(w);
        break;
    case 5:
        stepX = ptrdiff_t(w);
        stepY = 1;
        break;
    case 6:
        start = ptrdiff_t((h - 1) * w);
        stepX = -ptrdiff_t(w);
        stepY = 1;
        break;
    case 7:
        start = ptrdiff_t(w * h - 1);
        stepX = -ptrdiff_t(w);
        stepY = -1;
        break;
    case 8:
        start = ptrdiff_t(w - 1);
        stepX = ptrdiff_t(w);
        stepY = -1;
        break;
    default:
        std::memcpy(destination, source, w * h * sizeof(TColor32));
        return;
    }
    const QSize shown = OrientedSize(width, height, orientation);
    const int dw = shown.width();
    const int dh = shown.height();
    // The turns read across rows; tiles keep both sides in the cache.
    constexpr int kTile = 32;
    for (int ty = 0; ty < dh; ty += kTile) {
        const int ey = std::min(ty + kTile, dh);
        for (int tx = 0; tx < dw; tx += kTile) {
            const int ex = std::min(tx + kTile, dw);
            for (int y = ty; y < ey; ++y) {
                // An index rather than a pointer: the step past a row's last
                // pixel may lead outside the area.
                ptrdiff_t in = start + ptrdiff_t(y) * stepY + ptrdiff_t(tx) * stepX;
                TColor32 *out = destination + size_t(y) * size_t(dw);
                for (int x = tx; x < ex; ++x, in += stepX)
                    out[x] = source[in];
            }
        }
    }
}
