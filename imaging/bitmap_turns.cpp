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

OrientationSteps StepsOfOrientation(int orientation)
{
    OrientationSteps steps;
    steps.transposed = swapsSides(orientation);
    steps.flipX = orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7;
    steps.flipY = orientation == 3 || orientation == 4 || orientation == 7 || orientation == 8;
    return steps;
}

QPoint StoredPixelAt(int x, int y, int width, int height, int orientation)
{
    const OrientationSteps steps = StepsOfOrientation(orientation);
    const QSize shown = OrientedSize(width, height, orientation);
    const int u = steps.flipX ? shown.width() - 1 - x : x;
    const int v = steps.flipY ? shown.height() - 1 - y : y;
    return steps.transposed ? QPoint(v, u) : QPoint(u, v);
}

namespace {

// Where stored pixel (x, y) goes: destination[start + x * stepX + y * stepY].
// The mirrors and turns differ only in these three numbers.
struct Placement
{
    ptrdiff_t start, stepX, stepY;
};

Placement placementOf(int orientation, ptrdiff_t w, ptrdiff_t h)
{
    const OrientationSteps steps = StepsOfOrientation(orientation);
    const ptrdiff_t shownWidth = steps.transposed ? h : w;
    const ptrdiff_t shownHeight = steps.transposed ? w : h;
    // Along shown x and shown y, before rows and columns trade places.
    const ptrdiff_t stepAcross = steps.flipX ? -1 : 1;
    const ptrdiff_t stepDown = steps.flipY ? -shownWidth : shownWidth;
    const ptrdiff_t start =
        (steps.flipX ? shownWidth - 1 : 0) + (steps.flipY ? (shownHeight - 1) * shownWidth : 0);
    return steps.transposed ? Placement{start, stepDown, stepAcross}
                            : Placement{start, stepAcross, stepDown};
}

} // namespace

void OrientRows(const TColor32 *rows, int width, int height, int first, int count, int orientation,
                TColor32 *destination)
{
    if (width <= 0 || count <= 0)
        return;
    const ptrdiff_t w = width;
    const Placement p = placementOf(orientation, w, height);
    if (!swapsSides(orientation)) {
        // Whole rows stay rows, read forwards or backwards.
        for (int y = first; y < first + count; ++y, rows += w) {
            TColor32 *out = destination + (p.start + ptrdiff_t(y) * p.stepY);
            if (p.stepX == 1)
                std::memcpy(out, rows, size_t(w) * sizeof(TColor32));
            else
                for (ptrdiff_t x = 0; x < w; ++x)
                    out[-x] = rows[x];
        }
        return;
    }
    // Rows become columns. In bands of a few rows each stored column lands
    // as one short run in a shown row, and the band stays in the cache while
    // it is read across.
    constexpr int kBand = 16;
    for (int band = first; band < first + count; band += kBand) {
        const int rowsInBand = std::min(kBand, first + count - band);
        const TColor32 *bandRows = rows + ptrdiff_t(band - first) * w;
        for (ptrdiff_t x = 0; x < w; ++x) {
            // Indices rather than pointers: a step past the band's last row
            // may lead outside either area.
            const ptrdiff_t out = p.start + x * p.stepX + ptrdiff_t(band) * p.stepY;
            for (int i = 0; i < rowsInBand; ++i)
                destination[out + i * p.stepY] = bandRows[x + i * w];
        }
    }
}
