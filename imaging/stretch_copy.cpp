#include "imaging/stretch_copy.h"

#include "base/pictavel_error.h"
#include "imaging/colour_blend.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

int32_t MulDivRound(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return -1;
    int64_t p;
    if (__builtin_mul_overflow(a, b, &p))
        return -1;
    const bool negative = (p < 0) != (c < 0);
    const uint64_t up = p < 0 ? uint64_t(0) - uint64_t(p) : uint64_t(p);
    const uint64_t uc = c < 0 ? uint64_t(0) - uint64_t(c) : uint64_t(c);
    const uint64_t q = (up + uc / 2) / uc;
    if (q > uint64_t(std::numeric_limits<int32_t>::max()) + (negative ? 1 : 0))
        return -1;
    const int64_t result = negative ? -int64_t(q) : int64_t(q);
    return int32_t(result);
}

namespace {

struct CopyGeometry
{
    TRect s;    // source rectangle
    TRect d;    // destination rectangle, unclipped
    TRect clip; // destination pixels written
};

// Source indices of the clip's columns (or rows) for the nearest filter,
// stepped in 16.16 fixed point from the clip's first pixel.
void nearestIndices(std::vector<int> &out, int clipStart, int dStart, int sStart, int sSize,
                    int dSize, int count)
{
    const uint32_t step = uint32_t((uint64_t(sSize) << 16) / uint64_t(dSize));
    const uint32_t start =
        dSize == 1
            ? 0u
            : uint32_t(MulDivRound(int64_t(clipStart - dStart) * (sSize - 1), 65535, dSize - 1));
    out.resize(size_t(count));
    uint32_t f = start;
    for (int k = 0; k < count; ++k, f += step)
        out[size_t(k)] = sStart + std::min(int(f >> 16), sSize - 1);
}

struct LinearTap
{
    int first;  // index of the first (left or upper) tap
    int second; // index of the second tap
    uint32_t w; // weight of the first tap, 0..255
};

void linearTaps(std::vector<LinearTap> &out, int clipStart, int dStart, int sStart, int sSize,
                int dSize, int count)
{
    const uint32_t step = uint32_t((uint64_t(sSize - 1) << 16) / uint64_t(dSize));
    const uint32_t start =
        uint32_t(MulDivRound(int64_t(clipStart - dStart) * (sSize - 1), 65535, dSize));
    out.resize(size_t(count));
    uint32_t f = start;
    for (int k = 0; k < count; ++k, f += step) {
        const int i = std::min(int(f >> 16), sSize - 1);
        out[size_t(k)] = {sStart + i, sStart + std::min(i + 1, sSize - 1),
                          255u - ((f >> 8) & 255u)};
    }
}

void copyOneToOne(const TBitmap32 &source, TBitmap32 &destination, const CopyGeometry &g)
{
    const int dx = g.clip.left - g.d.left;
    const int dy = g.clip.top - g.d.top;
    const size_t bytes = size_t(g.clip.width()) * sizeof(TColor32);
    for (int y = g.clip.top; y < g.clip.bottom; ++y) {
        const TColor32 *src = source.scanLine(g.s.top + dy + (y - g.clip.top)) + g.s.left + dx;
        std::memmove(destination.scanLine(y) + g.clip.left, src, bytes);
    }
}

void copyNearest(const TBitmap32 &source, TBitmap32 &destination, const CopyGeometry &g)
{
    // The index tables are per thread so that repeated copies reuse them.
    thread_local std::vector<int> columns, rows;
    nearestIndices(columns, g.clip.left, g.d.left, g.s.left, g.s.width(), g.d.width(),
                   g.clip.width());
    nearestIndices(rows, g.clip.top, g.d.top, g.s.top, g.s.height(), g.d.height(), g.clip.height());
    const int width = g.clip.width();
    const int *col = columns.data();
    for (int k = 0; k < g.clip.height(); ++k) {
        const TColor32 *src = source.scanLine(rows[size_t(k)]);
        TColor32 *dst = destination.scanLine(g.clip.top + k) + g.clip.left;
        for (int j = 0; j < width; ++j)
            dst[j] = src[col[j]];
    }
}

void copyLinear(const TBitmap32 &source, TBitmap32 &destination, const CopyGeometry &g)
{
    thread_local std::vector<LinearTap> columns, rows;
    linearTaps(columns, g.clip.left, g.d.left, g.s.left, g.s.width(), g.d.width(), g.clip.width());
    linearTaps(rows, g.clip.top, g.d.top, g.s.top, g.s.height(), g.d.height(), g.clip.height());
    const int width = g.clip.width();
    const LinearTap *col = columns.data();
    for (int k = 0; k < g.clip.height(); ++k) {
        const LinearTap &row = rows[size_t(k)];
        const TColor32 *upper = source.scanLine(row.first);
        const TColor32 *lower = source.scanLine(row.second);
        const uint32_t wy = row.w;
        TColor32 *dst = destination.scanLine(g.clip.top + k) + g.clip.left;
        for (int j = 0; j < width; ++j) {
            const LinearTap &c = col[j];
            const TColor32 left = CombineWeighted(upper[c.first], lower[c.first], wy);
            const TColor32 right = CombineWeighted(upper[c.second], lower[c.second], wy);
            dst[j] = CombineWeighted(left, right, c.w);
        }
    }
}

} // namespace

void NearestSourceIndices(std::vector<int> &out, int sourceSize, int destinationSize)
{
    nearestIndices(out, 0, 0, 0, sourceSize, destinationSize, destinationSize);
}

void StretchCopy(const TBitmap32 &source, TBitmap32 &destination, const TRect &d)
{
    StretchCopy(source, destination, d, TRect{0, 0, source.width(), source.height()});
}

void StretchCopy(const TBitmap32 &source, TBitmap32 &destination, const TRect &d, const TRect &s)
{
    if (source.empty() || destination.empty())
        return;
    if (!s.hasArea())
        return;
    if (s.left < 0 || s.top < 0 || s.right > source.width() || s.bottom > source.height())
        throw PictavelError(QStringLiteral("Source rectangle is invalid"));
    if (!d.hasArea())
        return;
    // Wider rectangles would overflow the 16.16 steps.
    if (int64_t(d.width()) > std::numeric_limits<int32_t>::max() / 2 ||
        int64_t(d.height()) > std::numeric_limits<int32_t>::max() / 2)
        return;
    const TRect clip{std::max(d.left, 0), std::max(d.top, 0),
                     std::min(d.right, destination.width()),
                     std::min(d.bottom, destination.height())};
    if (!clip.hasArea())
        return;

    if (&source == &destination) {
        TBitmap32 copy;
        copy.assign(&source);
        StretchCopy(copy, destination, d, s);
        return;
    }

    const CopyGeometry g{s, d, clip};
    if (s.width() == d.width() && s.height() == d.height())
        copyOneToOne(source, destination, g);
    else if (source.stretchFilter() == sfLinear)
        copyLinear(source, destination, g);
    else
        copyNearest(source, destination, g);
    destination.notifyChanged();
}
