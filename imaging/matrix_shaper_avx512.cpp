#include "imaging/matrix_shaper_avx512.h"

#include <immintrin.h>
#include <initializer_list>

#define PICTAVEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace {

PICTAVEL_AVX512 inline __m512i loadTable(const void *p)
{
    return _mm512_load_si512(p);
}

// table[index] for 64 byte indices; `upper` holds their top bits.
PICTAVEL_AVX512 inline __m512i lookUp(const uint8_t *table, __m512i index, __mmask64 upper)
{
    const __m512i low = _mm512_permutex2var_epi8(loadTable(table), index, loadTable(table + 64));
    const __m512i high =
        _mm512_permutex2var_epi8(loadTable(table + 128), index, loadTable(table + 192));
    return _mm512_mask_blend_epi8(upper, low, high);
}

// Raises each of `level` by `step` where `sum` reaches `start`.
PICTAVEL_AVX512 inline void climb(__m512i &level, __m512i sum, __m512i start, short step)
{
    level = _mm512_mask_add_epi16(level, _mm512_cmpge_epu16_mask(sum, start), level,
                                  _mm512_set1_epi16(step));
}

// Replaces each of N vectors of 32 sums of linear-light shares by their sRGB
// levels, found by a binary search among the sums at which the levels start. Each step is
// taken for all N at once: one vector's steps wait for each other, N of them
// keep the processor busy meanwhile.
template <int N>
PICTAVEL_AVX512 inline void levelsOf(__m512i (&sum)[N], const ShaperVectorTables &t)
{
    // The upper five bits of each level, then the level itself.
    __m512i level[N];
    const __m512i half = _mm512_set1_epi16(short(t.startOfHalf));
#pragma GCC unroll 16
    for (int n = 0; n < N; ++n)
        level[n] =
            _mm512_maskz_mov_epi16(_mm512_cmpge_epu16_mask(sum[n], half), _mm512_set1_epi16(16));
#pragma GCC unroll 5
    for (int i = 0; i < 5; ++i) {
        const __m512i starts = loadTable(t.byStep[i]);
#pragma GCC unroll 16
        for (int n = 0; n < N; ++n) {
            const __m512i start = _mm512_permutexvar_epi16(level[n], starts);
            if (i == 4)
                level[n] = _mm512_add_epi16(level[n], level[n]);
            climb(level[n], sum[n], start, short(i < 4 ? 8 >> i : 1));
        }
    }
    const __m512i twos[2] = {loadTable(t.byStepOf2), loadTable(t.byStepOf2 + 32)};
#pragma GCC unroll 16
    for (int n = 0; n < N; ++n) {
        const __m512i start = _mm512_permutex2var_epi16(twos[0], level[n], twos[1]);
        level[n] = _mm512_add_epi16(level[n], level[n]);
        climb(level[n], sum[n], start, 1);
    }
    const __m512i ones[4] = {loadTable(t.byStepOf1), loadTable(t.byStepOf1 + 32),
                             loadTable(t.byStepOf1 + 64), loadTable(t.byStepOf1 + 96)};
    const __m512i secondHalf = _mm512_set1_epi16(64);
#pragma GCC unroll 16
    for (int n = 0; n < N; ++n) {
        const __m512i start =
            _mm512_mask_blend_epi16(_mm512_test_epi16_mask(level[n], secondHalf),
                                    _mm512_permutex2var_epi16(ones[0], level[n], ones[1]),
                                    _mm512_permutex2var_epi16(ones[2], level[n], ones[3]));
        level[n] = _mm512_add_epi16(level[n], level[n]);
        climb(level[n], sum[n], start, 1);
        sum[n] = level[n];
    }
}

// Where each byte of a channel's plane comes from. The plane holds the 64
// pixels in the order that the byte and word interleaves at the end put
// back in place: its byte 16q + 4k + d is pixel 16k + 4q + d. Its first half
// is taken from pixels 0-7, 16-23, 32-39 and 48-55, its second from the
// others, each half as 32 pixels in two registers.
PICTAVEL_AVX512 inline __m512i planeIndex(int channel)
{
    alignas(64) uint8_t index[64];
    for (int lane = 0; lane < 64; ++lane) {
        const int q = (lane >> 4) & 1, k = (lane >> 2) & 3, d = lane & 3;
        index[lane] = uint8_t(4 * (8 * k + 4 * q + d) + channel);
    }
    return _mm512_load_si512(index);
}

// A channel's plane of 64 pixels, from the four registers of pixels that
// planeIndex() takes them from.
PICTAVEL_AVX512 inline __m512i plane(const __m512i (&q)[4], __m512i index)
{
    return _mm512_mask_mov_epi8(_mm512_permutex2var_epi8(q[0], index, q[1]), 0xFFFFFFFF00000000ull,
                                _mm512_permutex2var_epi8(q[2], index, q[3]));
}

struct PlaneIndices
{
    __m512i blue, green, red;
};

// One input channel's 16-bit shares of one output channel, as low and high
// bytes in plane order.
struct Shares
{
    __m512i low, high;
};

PICTAVEL_AVX512 inline Shares sharesOf(const ShaperVectorTables &t, int out, int in, __m512i plane,
                                       __mmask64 top)
{
    return {lookUp(t.shareLow[out][in], plane, top), lookUp(t.shareHigh[out][in], plane, top)};
}

// The 16-bit sums of shares of the plane's bytes 16q + 0-7 (`half` 0) or
// 16q + 8-15 (`half` 1).
PICTAVEL_AVX512 inline __m512i wordsOf(const Shares &s, int half)
{
    return half == 0 ? _mm512_unpacklo_epi8(s.low, s.high) : _mm512_unpackhi_epi8(s.low, s.high);
}

template <int N> PICTAVEL_AVX512 inline __m512i sumOf(const Shares (&shares)[N], int half)
{
    __m512i sum = wordsOf(shares[0], half);
    for (int n = 1; n < N; ++n)
        sum = _mm512_add_epi16(sum, wordsOf(shares[n], half));
    return sum;
}

// Converts B blocks of 64 pixels at `at`; their searches go side by side.
// With own channels, sRGB red and blue are each a sum of two shares and
// green a lookup; otherwise each channel is a sum of three shares.
template <int B, bool OwnChannels>
PICTAVEL_AVX512 inline void convertBlocks(const ShaperVectorTables &t, const PlaneIndices &planes,
                                          uint8_t *at)
{
    // Per block: red's two halves, blue's, then green's or green's levels.
    constexpr int kSums = OwnChannels ? 4 : 6;
    __m512i sums[kSums * B], greens[B];
#pragma GCC unroll 4
    for (int b = 0; b < B; ++b) {
        __m512i p[4];
        for (int i = 0; i < 4; ++i)
            p[i] = _mm512_loadu_si512(at + 256 * b + 64 * i);
        // Pixels 0-7 and 16-23, 32-39 and 48-55, then the others.
        const __m512i q[4] = {_mm512_maskz_shuffle_i64x2(0xFF, p[0], p[1], 0x44),
                              _mm512_maskz_shuffle_i64x2(0xFF, p[2], p[3], 0x44),
                              _mm512_maskz_shuffle_i64x2(0xFF, p[0], p[1], 0xEE),
                              _mm512_maskz_shuffle_i64x2(0xFF, p[2], p[3], 0xEE)};
        const __m512i blue = plane(q, planes.blue), green = plane(q, planes.green),
                      red = plane(q, planes.red);
        const __mmask64 blueTop = _mm512_movepi8_mask(blue), greenTop = _mm512_movepi8_mask(green),
                        redTop = _mm512_movepi8_mask(red);
        __m512i *sum = sums + kSums * b;
        if constexpr (OwnChannels) {
            const Shares toRed[2] = {sharesOf(t, 0, 0, red, redTop),
                                     sharesOf(t, 0, 1, green, greenTop)};
            const Shares toBlue[2] = {sharesOf(t, 2, 2, blue, blueTop),
                                      sharesOf(t, 2, 1, green, greenTop)};
            sum[0] = sumOf(toRed, 0);
            sum[1] = sumOf(toRed, 1);
            sum[2] = sumOf(toBlue, 0);
            sum[3] = sumOf(toBlue, 1);
            greens[b] = lookUp(t.green, green, greenTop);
        } else {
            const __m512i in[3] = {red, green, blue};
            const __mmask64 top[3] = {redTop, greenTop, blueTop};
            for (int out : {0, 2, 1}) {
                const Shares shares[3] = {sharesOf(t, out, 0, in[0], top[0]),
                                          sharesOf(t, out, 1, in[1], top[1]),
                                          sharesOf(t, out, 2, in[2], top[2])};
                const int first = out == 0 ? 0 : out == 2 ? 2 : 4;
                sum[first] = sumOf(shares, 0);
                sum[first + 1] = sumOf(shares, 1);
            }
        }
    }
    levelsOf(sums, t);
    const __m512i alpha = _mm512_set1_epi32(int(0xFF000000u));
#pragma GCC unroll 4
    for (int b = 0; b < B; ++b) {
        const __m512i *level = sums + kSums * b;
        const __m512i blue = _mm512_packus_epi16(level[2], level[3]);
        const __m512i green = OwnChannels ? greens[b] : _mm512_packus_epi16(level[4], level[5]);
        const __m512i blueGreen[2] = {_mm512_unpacklo_epi8(blue, green),
                                      _mm512_unpackhi_epi8(blue, green)};
        const __m512i converted[4] = {_mm512_unpacklo_epi16(blueGreen[0], level[0]),
                                      _mm512_unpackhi_epi16(blueGreen[0], level[0]),
                                      _mm512_unpacklo_epi16(blueGreen[1], level[1]),
                                      _mm512_unpackhi_epi16(blueGreen[1], level[1])};
        // Alpha from the pixel, read again, the levels from the conversion.
        for (int i = 0; i < 4; ++i) {
            uint8_t *pixels = at + 256 * b + 64 * i;
            _mm512_storeu_si512(pixels, _mm512_ternarylogic_epi32(alpha, _mm512_loadu_si512(pixels),
                                                                  converted[i], 0xEA));
        }
    }
}

template <bool OwnChannels>
PICTAVEL_AVX512 size_t convertRow(const ShaperVectorTables &t, uint8_t *row, size_t width)
{
    const PlaneIndices planes{planeIndex(0), planeIndex(1), planeIndex(2)};
    const size_t blocks = width / 64;
    size_t b = 0;
    for (; b + 2 <= blocks; b += 2)
        convertBlocks<2, OwnChannels>(t, planes, row + 256 * b);
    if (b < blocks)
        convertBlocks<1, OwnChannels>(t, planes, row + 256 * b);
    return blocks * 64;
}

} // namespace

bool shaperVectorsSupported()
{
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}

PICTAVEL_AVX512 size_t convertShaperAvx512(const ShaperVectorTables &t, uint8_t *row,
                                           size_t width) noexcept
{
    return t.ownChannels ? convertRow<true>(t, row, width) : convertRow<false>(t, row, width);
}
