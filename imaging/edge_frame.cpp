#include "imaging/edge_frame.h"

#include "imaging/colour_blend.h"

#include <algorithm>

namespace {

TColor32 withAlpha(TColor32 rgb, int alpha)
{
    return (TColor32(std::clamp(alpha, 0, 255)) << 24) | (rgb & 0xFFFFFFu);
}

void blendRow(TBitmap32 &bitmap, int y, int x1, int x2, TColor32 colour)
{
    if (y < 0 || y >= bitmap.height())
        return;
    TColor32 *p = bitmap.scanLine(y) + std::max(x1, 0);
    TColor32 *const end = bitmap.scanLine(y) + std::min(x2, bitmap.width());
    for (; p < end; ++p)
        *p = BlendOver(colour, *p);
}

void blendColumn(TBitmap32 &bitmap, int x, int y1, int y2, TColor32 colour)
{
    if (x < 0 || x >= bitmap.width())
        return;
    const int first = std::max(y1, 0);
    const int last = std::min(y2, bitmap.height());
    const size_t stride = size_t(bitmap.width());
    TColor32 *p = first < last ? bitmap.scanLine(first) + x : nullptr;
    for (int y = first; y < last; ++y, p += stride)
        *p = BlendOver(colour, *p);
}

} // namespace

void RaisedFrame(TBitmap32 &bitmap, const TRect &r, int contrast)
{
    if (bitmap.empty() || r.right <= r.left || r.bottom <= r.top || r.left >= bitmap.width() ||
        r.top >= bitmap.height() || r.right <= 0 || r.bottom <= 0)
        return;
    const TColor32 light = withAlpha(clWhite32, contrast * 512 / 100);
    const TColor32 dark = withAlpha(clBlack32, contrast * 255 / 100);
    blendRow(bitmap, r.top, r.left, r.right, light);
    blendRow(bitmap, r.bottom - 1, r.left, r.right, dark);
    blendColumn(bitmap, r.left, r.top + 1, r.bottom - 1, light);
    blendColumn(bitmap, r.right - 1, r.top + 1, r.bottom - 1, dark);
    bitmap.notifyChanged();
}

void DrawEdgeFrame(TBitmap32 &bitmap, const TRect &outer)
{
    TRect r = outer;
    for (int ring = 0; ring < 5; ++ring) {
        RaisedFrame(bitmap, r, 35 - 8 * ring);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
}
