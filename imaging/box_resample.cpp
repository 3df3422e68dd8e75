#include "imaging/box_resample.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Where one result column or row lies on the source, in units of 1/n of a
// source pixel, where n is the result's length: from `first` with its weight,
// over whole pixels of weight n, to `last` with its weight. A span within
// one source pixel has first == last and one weight.
struct Span
{
    int first;
    int last;
    uint32_t firstWeight;
    uint32_t lastWeight;
};

std::vector<Span> &spansOf(std::vector<Span> &spans, int sourceLength, int resultLength)
{
    spans.resize(size_t(resultLength));
    const int64_t n = resultLength;
    for (int x = 0; x < resultLength; ++x) {
        const int64_t from = int64_t(x) * sourceLength;
        const int64_t to = from + sourceLength;
        Span &span = spans[size_t(x)];
        span.first = int(from / n);
        span.last = int((to - 1) / n);
        if (span.first == span.last) {
            span.firstWeight = span.lastWeight = uint32_t(sourceLength);
        } else {
            span.firstWeight = uint32_t((span.first + 1) * n - from);
            span.lastWeight = uint32_t(to - span.last * n);
        }
    }
    return spans;
}

inline void addPixel(uint32_t *sum, TColor32 p, uint32_t weight)
{
    sum[0] += (p & 0xFF) * weight;
    sum[1] += ((p >> 8) & 0xFF) * weight;
    sum[2] += ((p >> 16) & 0xFF) * weight;
    sum[3] += (p >> 24) * weight;
}

} // namespace

void BoxResample(const TBitmap32 &src, TBitmap32 &dst, int width, int height)
{
    const int sw = src.width();
    const int sh = src.height();
    if (src.empty() || width <= 0 || height <= 0) {
        dst.setSize(0, 0);
        return;
    }
    dst.setSizeForOverwrite(width, height);

    thread_local std::vector<Span> columns;
    thread_local std::vector<Span> rows;
    thread_local std::vector<uint32_t> rowSums;
    thread_local std::vector<uint64_t> areaSums;
    spansOf(columns, sw, width);
    spansOf(rows, sh, height);
    rowSums.resize(size_t(width) * 4);
    areaSums.assign(size_t(width) * size_t(height) * 4, 0);

    // Each source row, reduced along x, adds its share to the result rows
    // it lies in.
    int firstRow = 0;
    for (int y = 0; y < sh; ++y) {
        const TColor32 *line = src.scanLine(y);
        uint32_t *sum = rowSums.data();
        for (const Span &c : columns) {
            sum[0] = sum[1] = sum[2] = sum[3] = 0;
            if (c.first == c.last) {
                addPixel(sum, line[c.first], c.firstWeight);
            } else {
                // The whole pixels count with weight n: summed first, scaled once.
                uint32_t whole[4] = {0, 0, 0, 0};
                for (int x = c.first + 1; x < c.last; ++x)
                    addPixel(whole, line[x], 1);
                for (int k = 0; k < 4; ++k)
                    sum[k] = whole[k] * uint32_t(width);
                addPixel(sum, line[c.first], c.firstWeight);
                addPixel(sum, line[c.last], c.lastWeight);
            }
            sum += 4;
        }
        while (rows[size_t(firstRow)].last < y)
            ++firstRow;
        for (int r = firstRow; r < height && rows[size_t(r)].first <= y; ++r) {
            const Span &span = rows[size_t(r)];
            const uint64_t weight = span.first == span.last ? span.firstWeight
                                    : y == span.first       ? span.firstWeight
                                    : y == span.last        ? span.lastWeight
                                                            : uint64_t(height);
            uint64_t *area = areaSums.data() + size_t(r) * size_t(width) * 4;
            for (size_t k = 0; k < size_t(width) * 4; ++k)
                area[k] += rowSums[k] * weight;
        }
    }

    const uint64_t total = uint64_t(sw) * uint64_t(sh);
    const uint64_t half = total / 2;
    const uint64_t *area = areaSums.data();
    for (int y = 0; y < height; ++y) {
        TColor32 *out = dst.scanLine(y);
        for (int x = 0; x < width; ++x, area += 4) {
            out[x] = TColor32((area[0] + half) / total) | TColor32((area[1] + half) / total) << 8 |
                     TColor32((area[2] + half) / total) << 16 |
                     TColor32((area[3] + half) / total) << 24;
        }
    }
    dst.notifyChanged();
}
