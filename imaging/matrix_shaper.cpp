#include "imaging/matrix_shaper.h"

#include "imaging/lcms_handles.h"
#include "imaging/matrix_shaper_avx512.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// The profile's colorants as the columns of its RGB-to-XYZ (D50) matrix.
bool colorants(cmsHPROFILE p, Matrix &m)
{
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                     cmsSigBlueColorantTag};
    for (int c = 0; c < 3; ++c) {
        const auto *xyz = static_cast<const cmsCIEXYZ *>(cmsReadTag(p, tags[c]));
        if (!xyz)
            return false;
        m[0][c] = xyz->X;
        m[1][c] = xyz->Y;
        m[2][c] = xyz->Z;
    }
    return true;
}

// The pixel's sRGB blue, green and red levels for a packed sum of its shares,
// as the low three bytes of a little-endian BGRA word.
inline uint64_t encodedLevels(const uint8_t *encode, uint64_t sum)
{
    return uint64_t(encode[(sum >> 32) & 0xFFFF]) | uint64_t(encode[(sum >> 16) & 0xFFFF]) << 8 |
           uint64_t(encode[sum & 0xFFFF]) << 16;
}

bool invert(const Matrix &a, Matrix &inv)
{
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (std::abs(det) < 1e-9)
        return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            // The cofactor of (c, r), over the determinant.
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1]) / det;
        }
    return true;
}

} // namespace

std::unique_ptr<MatrixShaperToSrgb> MatrixShaperToSrgb::make(void *profile)
{
    if (cmsGetColorSpace(profile) != cmsSigRgbData || !cmsIsMatrixShaper(profile) ||
        cmsIsCLUT(profile, INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT))
        return nullptr;
    const LcmsProfile srgb(cmsCreate_sRGBProfile());
    Matrix toXyz, srgbToXyz, fromXyz;
    if (!colorants(profile, toXyz) || !colorants(srgb.get(), srgbToXyz) ||
        !invert(srgbToXyz, fromXyz))
        return nullptr;
    const cmsTagSignature curveTags[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    const auto *srgbCurve =
        static_cast<const cmsToneCurve *>(cmsReadTag(srgb.get(), cmsSigRedTRCTag));
    const LcmsCurve encodeCurve(srgbCurve ? cmsReverseToneCurve(srgbCurve) : nullptr);
    if (!encodeCurve)
        return nullptr;

    // Each share of linear light, by input channel, level and output channel.
    std::array<std::array<std::array<int32_t, 3>, 256>, 3> shares{};
    for (int in = 0; in < 3; ++in) {
        const auto *curve = static_cast<const cmsToneCurve *>(cmsReadTag(profile, curveTags[in]));
        if (!curve)
            return nullptr;
        for (int level = 0; level < 256; ++level) {
            const double linear = cmsEvalToneCurveFloat(curve, cmsFloat32Number(level / 255.0));
            for (int out = 0; out < 3; ++out) {
                double share = 0;
                for (int k = 0; k < 3; ++k)
                    share += fromXyz[out][k] * toXyz[k][in];
                shares[size_t(in)][size_t(level)][size_t(out)] =
                    int32_t(std::lround(share * linear * kSteps));
            }
        }
    }
    // The bias of each input channel's shares in each output channel: what
    // makes the lowest of them 0, and for the red input whatever more makes
    // the three output channels' biases add up alike.
    std::array<std::array<int64_t, 3>, 3> bias{};
    std::array<int64_t, 3> total{}, highest{};
    for (size_t in = 0; in < 3; ++in)
        for (size_t out = 0; out < 3; ++out) {
            int64_t low = 0, high = 0;
            for (const auto &level : shares[in]) {
                low = std::min<int64_t>(low, level[out]);
                high = std::max<int64_t>(high, level[out]);
            }
            bias[in][out] = -low;
            total[out] += -low;
            highest[out] += high - low;
        }
    const int64_t commonBias = *std::max_element(total.begin(), total.end());
    for (size_t out = 0; out < 3; ++out) {
        bias[0][out] += commonBias - total[out];
        highest[out] += commonBias - total[out];
    }
    const int64_t largestSum = *std::max_element(highest.begin(), highest.end());
    const auto feedsNone = [&](size_t in, size_t out) {
        return std::all_of(shares[in].begin(), shares[in].end(),
                           [out](const auto &level) { return level[out] == 0; });
    };
    const bool ownChannelsOnly =
        feedsNone(0, 1) && feedsNone(0, 2) && feedsNone(2, 0) && feedsNone(2, 1);
    // A profile whose sums would not fit 16 bits is left to lcms.
    if (largestSum > 0xFFFF)
        return nullptr;

    std::unique_ptr<MatrixShaperToSrgb> m(new MatrixShaperToSrgb);
    for (size_t in = 0; in < 3; ++in)
        for (size_t level = 0; level < 256; ++level) {
            uint64_t packed = 0;
            for (size_t out = 0; out < 3; ++out)
                packed |= uint64_t(shares[in][level][out] + bias[in][out]) << (16 * out);
            m->m_packed[in][level] = packed;
        }
    std::array<uint8_t, kSteps + 1> encode{};
    for (int step = 0; step <= kSteps; ++step) {
        const double v =
            cmsEvalToneCurveFloat(encodeCurve.get(), cmsFloat32Number(double(step) / kSteps));
        encode[size_t(step)] = uint8_t(std::clamp(std::lround(v * 255.0), 0L, 255L));
    }
    m->m_encode.resize(size_t(largestSum) + 1);
    for (int64_t sum = 0; sum <= largestSum; ++sum)
        m->m_encode[size_t(sum)] = encode[size_t(std::clamp<int64_t>(sum - commonBias, 0, kSteps))];
    if (ownChannelsOnly)
        m->makePairTables();
    m->makeVectorTables(ownChannelsOnly);
    return m;
}

MatrixShaperToSrgb::~MatrixShaperToSrgb() = default;

void MatrixShaperToSrgb::makePairTables()
{
    // A red or blue input that feeds no other channel adds nothing but its
    // constant bias there, so level 0 stands for every level of it.
    const uint8_t *encode = m_encode.data();
    m_greenRedByGreenRed.resize(size_t(1) << 16);
    m_blueByBlueGreen.resize(size_t(1) << 16);
    for (size_t high = 0; high < 256; ++high)
        for (size_t low = 0; low < 256; ++low) {
            const size_t pair = low | high << 8;
            const uint64_t redGreen = m_packed[0][high] + m_packed[1][low] + m_packed[2][0];
            m_greenRedByGreenRed[pair] = uint16_t(encodedLevels(encode, redGreen) >> 8);
            const uint64_t greenBlue = m_packed[0][0] + m_packed[1][high] + m_packed[2][low];
            m_blueByBlueGreen[pair] = uint8_t(encodedLevels(encode, greenBlue));
        }
}

void MatrixShaperToSrgb::makeVectorTables(bool ownChannels)
{
    // The search for each level needs the levels to rise with the sum, and
    // every sum below 0xFFFF, which marks a level no sum reaches.
    const size_t largestSum = m_encode.size() - 1;
    if (!shaperVectorsSupported() || largestSum >= 0xFFFF ||
        !std::is_sorted(m_encode.begin(), m_encode.end()))
        return;
    auto t = std::make_unique<ShaperVectorTables>();
    t->ownChannels = ownChannels;
    const auto share = [this](size_t in, size_t level, int out) {
        return uint16_t(m_packed[in][level] >> (16 * out));
    };
    for (size_t out = 0; out < 3; ++out)
        for (size_t in = 0; in < 3; ++in)
            for (size_t level = 0; level < 256; ++level) {
                uint16_t value = share(in, level, int(out));
                // Own channels: red's constant share of blue, or blue's of
                // red, goes with green's.
                if (ownChannels && in == 1 && out != 1)
                    value = uint16_t(value + share(2 - out, 0, int(out)));
                t->shareLow[out][in][level] = uint8_t(value);
                t->shareHigh[out][in][level] = uint8_t(value >> 8);
            }
    if (ownChannels)
        for (size_t level = 0; level < 256; ++level)
            t->green[level] =
                m_encode[size_t(share(0, 0, 1) + share(1, level, 1) + share(2, 0, 1))];
    std::array<uint16_t, 256> start;
    start.fill(0xFFFF);
    int reached = -1;
    for (size_t sum = 0; sum <= largestSum; ++sum)
        while (reached < int(m_encode[sum]))
            start[size_t(++reached)] = uint16_t(sum);
    const auto startOf = [&start](size_t level) {
        return level < start.size() ? start[level] : uint16_t(0xFFFF);
    };
    t->startOfHalf = start[128];
    for (size_t i = 0; i < 5; ++i)
        for (size_t upper = 0; upper < 32; ++upper)
            t->byStep[i][upper] = startOf(8 * upper + (size_t(64) >> i));
    for (size_t upper = 0; upper < 64; ++upper)
        t->byStepOf2[upper] = startOf(4 * upper + 2);
    for (size_t upper = 0; upper < 128; ++upper)
        t->byStepOf1[upper] = startOf(2 * upper + 1);
    m_vectorTables = std::move(t);
}

void MatrixShaperToSrgb::convertRowByPairs(uint8_t *row, size_t width) const noexcept
{
    const uint16_t *greenRed = m_greenRedByGreenRed.data();
    const uint8_t *blue = m_blueByBlueGreen.data();
    const auto levelsOf = [&](uint64_t pixel) {
        return uint64_t(blue[pixel & 0xFFFF]) | uint64_t(greenRed[(pixel >> 8) & 0xFFFF]) << 8;
    };
    size_t i = 0;
    for (; i + 2 <= width; i += 2) {
        uint64_t two;
        std::memcpy(&two, row + 4 * i, sizeof two);
        two = (two & 0xFF000000FF000000ull) | levelsOf(two) | levelsOf(two >> 32) << 32;
        std::memcpy(row + 4 * i, &two, sizeof two);
    }
    if (i < width) {
        uint32_t pixel;
        std::memcpy(&pixel, row + 4 * i, sizeof pixel);
        pixel = (pixel & 0xFF000000u) | uint32_t(levelsOf(pixel));
        std::memcpy(row + 4 * i, &pixel, sizeof pixel);
    }
}

void MatrixShaperToSrgb::convertRow(uint8_t *row, size_t width) const noexcept
{
    if (m_vectorTables) {
        const size_t converted = convertShaperAvx512(*m_vectorTables, row, width);
        row += 4 * converted;
        width -= converted;
    }
    if (!m_blueByBlueGreen.empty()) {
        convertRowByPairs(row, width);
        return;
    }
    convertRowBySums(row, width);
}

void MatrixShaperToSrgb::convertRowBySums(uint8_t *row, size_t width) const noexcept
{
    // Pixels are read and written two at a time, whole: byte stores would
    // each wait for the table loads before them.
    const uint8_t *encode = m_encode.data();
    const auto &blue = m_packed[2], &green = m_packed[1], &red = m_packed[0];
    const auto sumOf = [&](uint64_t pixel) {
        return blue[pixel & 0xFF] + green[(pixel >> 8) & 0xFF] + red[(pixel >> 16) & 0xFF];
    };
    size_t i = 0;
    for (; i + 2 <= width; i += 2) {
        uint64_t two;
        std::memcpy(&two, row + 4 * i, sizeof two);
        two = (two & 0xFF000000FF000000ull) | encodedLevels(encode, sumOf(two)) |
              encodedLevels(encode, sumOf(two >> 32)) << 32;
        std::memcpy(row + 4 * i, &two, sizeof two);
    }
    if (i < width) {
        uint32_t pixel;
        std::memcpy(&pixel, row + 4 * i, sizeof pixel);
        pixel = (pixel & 0xFF000000u) | uint32_t(encodedLevels(encode, sumOf(pixel)));
        std::memcpy(row + 4 * i, &pixel, sizeof pixel);
    }
}
