#include "imaging/encoder_planes.h"

#include "imaging/bitmap_turns.h"

#include <algorithm>
#include <cstring>

#include <emmintrin.h>

namespace {

// libjpeg's fixed-point RGB to YCbCr conversion: 16 fraction bits, rounded
// to nearest for Y and just below one half for Cb and Cr, so that their
// largest value still fits a byte.
constexpr int kScaleBits = 16;
constexpr int32_t fix(double x)
{
    return int32_t(x * (1 << kScaleBits) + 0.5);
}
constexpr int32_t kHalf = 1 << (kScaleBits - 1);
constexpr int32_t kChromaOffset = (128 << kScaleBits) + kHalf - 1;

// Y, Cb and Cr of `count` BGRA pixels: a plain loop that the compiler turns
// into vector code, as wide as the function it is compiled into allows.
__attribute__((always_inline)) inline void convertPixels(const uint32_t *row, int count, uint8_t *y,
                                                         uint8_t *cb, uint8_t *cr)
{
    for (int x = 0; x < count; ++x) {
        const int32_t b = int32_t(row[x] & 0xFF);
        const int32_t g = int32_t((row[x] >> 8) & 0xFF);
        const int32_t r = int32_t((row[x] >> 16) & 0xFF);
        y[x] =
            uint8_t((fix(0.29900) * r + fix(0.58700) * g + fix(0.11400) * b + kHalf) >> kScaleBits);
        cb[x] = uint8_t((-fix(0.16874) * r - fix(0.33126) * g + fix(0.50000) * b + kChromaOffset) >>
                        kScaleBits);
        cr[x] = uint8_t((fix(0.50000) * r - fix(0.41869) * g - fix(0.08131) * b + kChromaOffset) >>
                        kScaleBits);
    }
}

__attribute__((target("avx2"))) void convertRowAvx2(const uint32_t *row, int count, uint8_t *y,
                                                    uint8_t *cb, uint8_t *cr)
{
    convertPixels(row, count, y, cb, cr);
}

void convertRowPlain(const uint32_t *row, int count, uint8_t *y, uint8_t *cb, uint8_t *cr)
{
    convertPixels(row, count, y, cb, cr);
}

// Chosen when first called rather than when the program is loaded, as an
// indirect function would be, which sanitizers cannot run that early.
void convertRow(const uint32_t *row, int count, uint8_t *y, uint8_t *cb, uint8_t *cr)
{
    static const auto convert = __builtin_cpu_supports("avx2") ? convertRowAvx2 : convertRowPlain;
    convert(row, count, y, cb, cr);
}

// libjpeg's 2 x 2 average, whose rounding alternates along a row so that
// it leans neither way.
uint8_t downsampled(int sum, int chromaX)
{
    return uint8_t((sum + 1 + (chromaX & 1)) >> 2);
}

int roundUp(int value, int step)
{
    return (value + step - 1) / step * step;
}

} // namespace

EncoderPlanes::~EncoderPlanes()
{
    release();
}

void EncoderPlanes::release()
{
    PixelPool::release(m_block);
    m_block = {};
}

bool EncoderPlanes::start(int width, int height, int orientation)
{
    m_width = width;
    m_height = height;
    m_rowsAdded = 0;
    const OrientationSteps steps = StepsOfOrientation(orientation);
    m_transposed = steps.transposed;
    m_shownWidth = m_transposed ? height : width;
    m_shownHeight = m_transposed ? width : height;
    m_rows = {height, m_transposed ? steps.flipX : steps.flipY};
    m_columns = {width, m_transposed ? steps.flipY : steps.flipX};
    const size_t bytes =
        size_t(width) * size_t(height) + 2 * size_t(m_rows.pairs()) * size_t(m_columns.pairs());
    release();
    m_block = PixelPool::acquire((bytes + 3) / 4);
    if (!m_block.data)
        return false;
    for (auto *v : {&m_pendingCb, &m_pendingCr, &m_cb, &m_cr})
        v->resize(size_t(width));
    const int shownChromaHeight = (m_shownHeight + 1) / 2;
    m_edgeCb.assign(size_t(shownChromaHeight), 0);
    m_edgeCr.assign(size_t(shownChromaHeight), 0);
    // Blocks of 8: one Y sample per pixel, one Cb and Cr per two.
    m_paddedWidth = roundUp(m_shownWidth, 8);
    m_paddedChromaWidth = roundUp(m_shownWidth, 16) / 2;
    m_gathered.resize(16 * size_t(m_paddedWidth) + 16 * size_t(m_paddedChromaWidth));
    return true;
}

uint8_t *EncoderPlanes::cbPlane() const
{
    return reinterpret_cast<uint8_t *>(m_block.data) + size_t(m_width) * size_t(m_height);
}

uint8_t *EncoderPlanes::crPlane() const
{
    return cbPlane() + size_t(m_rows.pairs()) * size_t(m_columns.pairs());
}

void EncoderPlanes::addRows(const uint32_t *rows, int first, int count)
{
    for (int i = 0; i < count; ++i)
        addRow(rows + size_t(i) * size_t(m_width), first + i);
    m_rowsAdded = first + count;
}

void EncoderPlanes::addRow(const uint32_t *row, int y)
{
    uint8_t *luma = reinterpret_cast<uint8_t *>(m_block.data) + size_t(y) * size_t(m_width);
    convertRow(row, m_width, luma, m_cb.data(), m_cr.data());
    if (m_transposed && m_rows.shown(y) == m_shownWidth - 1) {
        // This stored row is the last shown column; shown rows run along it.
        for (int pair = 0; pair < m_columns.pairs(); ++pair) {
            const int t = m_columns.stored(2 * pair);
            const int u = m_columns.partner(t);
            m_edgeCb[size_t(pair)] = uint16_t(m_cb[size_t(t)] + m_cb[size_t(u)]);
            m_edgeCr[size_t(pair)] = uint16_t(m_cr[size_t(t)] + m_cr[size_t(u)]);
        }
    }
    const int partner = m_rows.partner(y);
    const int pair = m_rows.shown(y) / 2;
    if (partner == y) {
        addRowPair(m_cb.data(), m_cr.data(), m_cb.data(), m_cr.data(), pair);
    } else if (partner > y) {
        m_pendingCb.swap(m_cb);
        m_pendingCr.swap(m_cr);
    } else {
        addRowPair(m_pendingCb.data(), m_pendingCr.data(), m_cb.data(), m_cr.data(), pair);
    }
}

void EncoderPlanes::addRowPair(const uint8_t *cb0, const uint8_t *cr0, const uint8_t *cb1,
                               const uint8_t *cr1, int pair)
{
    const int pairs = m_columns.pairs();
    uint8_t *cb = cbPlane() + size_t(pair) * size_t(pairs);
    uint8_t *cr = crPlane() + size_t(pair) * size_t(pairs);
    // Shown chroma x runs along the stored row, or is the pair's own.
    const int across = m_transposed ? 0 : 1;
    const int along = m_transposed ? pair : 0;
    const auto put = [&](int column, int t, int u) {
        const int chromaX = along + across * column;
        cb[column] = downsampled(cb0[t] + cb0[u] + cb1[t] + cb1[u], chromaX);
        cr[column] = downsampled(cr0[t] + cr0[u] + cr1[t] + cr1[u], chromaX);
    };
    const int whole = m_columns.length / 2;
    const int last = m_columns.length - 1;
    if (m_columns.flipped)
        for (int column = 0; column < whole; ++column)
            put(column, last - 2 * column, last - 2 * column - 1);
    else
        for (int column = 0; column < whole; ++column)
            put(column, 2 * column, 2 * column + 1);
    if (whole < pairs) {
        // The last shown column alone, which libjpeg repeats.
        const int t = m_columns.stored(2 * whole);
        put(whole, t, t);
    }
    if (!m_transposed) {
        const int t = m_columns.stored(m_shownWidth - 1);
        m_edgeCb[size_t(pair)] = uint16_t(cb0[t] + cb1[t]);
        m_edgeCr[size_t(pair)] = uint16_t(cr0[t] + cr1[t]);
    }
}

namespace {

// Gathers `rows` shown rows from a plane kept in stored order, `stride`
// bytes a stored row: shown row i takes, along shown x, the samples of
// stored column columns[i] in the stored rows storedRow(x).
template <class StoredRow>
void gatherTransposed(const uint8_t *plane, size_t stride, const int *columns, int rows, int from,
                      int width, StoredRow storedRow, uint8_t *const *out)
{
    for (int x = from; x < width; ++x) {
        const uint8_t *stored = plane + size_t(storedRow(x)) * stride;
        for (int i = 0; i < rows; ++i)
            out[i][x] = stored[columns[i]];
    }
}

// Swaps rows and columns of a 16 x 16 block of bytes.
void transpose16(const __m128i in[16], __m128i out[16])
{
    __m128i a[16], b[16];
    // a[8 q + k]: columns 8 q to 8 q + 7 of rows 2 k and 2 k + 1.
    for (int k = 0; k < 8; ++k) {
        a[k] = _mm_unpacklo_epi8(in[2 * k], in[2 * k + 1]);
        a[k + 8] = _mm_unpackhi_epi8(in[2 * k], in[2 * k + 1]);
    }
    // b[4 g + m]: columns 4 g to 4 g + 3 of rows 4 m to 4 m + 3.
    for (int q = 0; q < 2; ++q)
        for (int m = 0; m < 4; ++m) {
            b[8 * q + m] = _mm_unpacklo_epi16(a[8 * q + 2 * m], a[8 * q + 2 * m + 1]);
            b[8 * q + m + 4] = _mm_unpackhi_epi16(a[8 * q + 2 * m], a[8 * q + 2 * m + 1]);
        }
    // a[2 p + n]: columns 2 p and 2 p + 1 of rows 8 n to 8 n + 7.
    for (int g = 0; g < 4; ++g)
        for (int n = 0; n < 2; ++n) {
            a[4 * g + n] = _mm_unpacklo_epi32(b[4 * g + 2 * n], b[4 * g + 2 * n + 1]);
            a[4 * g + n + 2] = _mm_unpackhi_epi32(b[4 * g + 2 * n], b[4 * g + 2 * n + 1]);
        }
    for (int p = 0; p < 8; ++p) {
        out[2 * p] = _mm_unpacklo_epi64(a[2 * p], a[2 * p + 1]);
        out[2 * p + 1] = _mm_unpackhi_epi64(a[2 * p], a[2 * p + 1]);
    }
}

// gatherTransposed() of all `Rows` (16 or 8) shown rows at once, whose
// stored columns follow each other from `lowest` on, upwards or
// (`reversed`) downwards, 16 shown pixels at a time; returns how far along
// shown x it got.
template <int Rows, class StoredRow>
int gatherTransposedBlocks(const uint8_t *plane, size_t stride, int lowest, bool reversed,
                           int width, StoredRow storedRow, uint8_t *const *out)
{
    static_assert(Rows == 16 || Rows == 8);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i in[16], turned[16];
        for (int r = 0; r < 16; ++r) {
            const auto *stored = reinterpret_cast<const __m128i *>(
                plane + size_t(storedRow(x + r)) * stride + size_t(lowest));
            in[r] = Rows == 16 ? _mm_loadu_si128(stored) : _mm_loadl_epi64(stored);
        }
        transpose16(in, turned);
        for (int j = 0; j < Rows; ++j)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out[reversed ? Rows - 1 - j : j] + x),
                             turned[j]);
    }
    return x;
}

void copyRow(const uint8_t *stored, int width, bool reversed, uint8_t *out)
{
    if (!reversed)
        std::memcpy(out, stored, size_t(width));
    else
        for (int x = 0; x < width; ++x)
            out[x] = stored[width - 1 - x];
}

} // namespace

const EncoderPlanes::Rows &EncoderPlanes::shownRows(int first)
{
    const int rows = std::min(16, m_shownHeight - first);
    const int chromaFirst = first / 2;
    const int chromaHeight = (m_shownHeight + 1) / 2;
    const int chromaRows = std::min(8, chromaHeight - chromaFirst);
    const int chromaWidth = (m_shownWidth + 1) / 2;
    uint8_t *buffer = m_gathered.data();
    for (int i = 0; i < 16; ++i)
        m_shown.y[i] = buffer + size_t(std::min(i, rows - 1)) * size_t(m_paddedWidth);
    uint8_t *chroma = buffer + 16 * size_t(m_paddedWidth);
    for (int i = 0; i < 8; ++i) {
        const size_t row = size_t(std::min(i, chromaRows - 1));
        m_shown.cb[i] = chroma + row * size_t(m_paddedChromaWidth);
        m_shown.cr[i] = chroma + (8 + row) * size_t(m_paddedChromaWidth);
    }
    const uint8_t *luma = reinterpret_cast<const uint8_t *>(m_block.data);
    const int pairs = m_columns.pairs();
    if (m_transposed) {
        // Shown rows are stored columns, taken a band at a time so that each
        // stored row is read once per band.
        int columns[16];
        for (int i = 0; i < rows; ++i)
            columns[i] = m_columns.stored(first + i);
        const auto storedRow = [this](int x) {
            return m_rows.stored(x);
        };
        const int done = rows < 16 ? 0
                                   : gatherTransposedBlocks<16>(
                                         luma, size_t(m_width), std::min(columns[0], columns[15]),
                                         m_columns.flipped, m_shownWidth, storedRow, m_shown.y);
        gatherTransposed(luma, size_t(m_width), columns, rows, done, m_shownWidth, storedRow,
                         m_shown.y);
        // Chroma pairs are kept in shown order, stored rows' pairs first.
        for (int i = 0; i < chromaRows; ++i)
            columns[i] = chromaFirst + i;
        const auto pairAt = [](int x) {
            return x;
        };
        for (const auto &[plane, out] :
             {std::pair(cbPlane(), m_shown.cb), std::pair(crPlane(), m_shown.cr)}) {
            const int chromaDone =
                chromaRows < 8 ? 0
                               : gatherTransposedBlocks<8>(plane, size_t(pairs), chromaFirst, false,
                                                           chromaWidth, pairAt, out);
            gatherTransposed(plane, size_t(pairs), columns, chromaRows, chromaDone, chromaWidth,
                             pairAt, out);
        }
    } else {
        for (int i = 0; i < rows; ++i)
            copyRow(luma + size_t(m_rows.stored(first + i)) * size_t(m_width), m_shownWidth,
                    m_columns.flipped, m_shown.y[i]);
        for (int i = 0; i < chromaRows; ++i) {
            std::memcpy(m_shown.cb[i], cbPlane() + size_t(chromaFirst + i) * size_t(pairs),
                        size_t(chromaWidth));
            std::memcpy(m_shown.cr[i], crPlane() + size_t(chromaFirst + i) * size_t(pairs),
                        size_t(chromaWidth));
        }
    }
    // libjpeg repeats the last column to whole blocks before it downsamples.
    for (int i = 0; i < rows; ++i)
        std::fill(m_shown.y[i] + m_shownWidth, m_shown.y[i] + m_paddedWidth,
                  m_shown.y[i][m_shownWidth - 1]);
    for (int i = 0; i < chromaRows; ++i) {
        const size_t edge = size_t(chromaFirst + i);
        for (int x = chromaWidth; x < m_paddedChromaWidth; ++x) {
            m_shown.cb[i][x] = downsampled(2 * m_edgeCb[edge], x);
            m_shown.cr[i][x] = downsampled(2 * m_edgeCr[edge], x);
        }
    }
    return m_shown;
}
