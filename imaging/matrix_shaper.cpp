#include "imaging/matrix_shaper.h"

#include "imaging/lcms_handles.h"

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
    const LcmsCurve encode(srgbCurve ? cmsReverseToneCurve(srgbCurve) : nullptr);
    if (!encode)
        return nullptr;

    std::unique_ptr<MatrixShaperToSrgb> m(new MatrixShaperToSrgb);
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
                m->m_shares[size_t(in)][size_t(level)][size_t(out)] =
                    int32_t(std::lround(share * linear * kSteps));
            }
        }
    }
    for (int step = 0; step <= kSteps; ++step) {
        const double v =
            cmsEvalToneCurveFloat(encode.get(), cmsFloat32Number(double(step) / kSteps));
        m->m_encode[size_t(step)] = uint8_t(std::clamp(std::lround(v * 255.0), 0L, 255L));
    }
    return m;
}

void MatrixShaperToSrgb::convertRow(uint8_t *row, size_t width) const noexcept
{
    // One vector per level's shares: the three sums and their clamping are
    // one instruction each instead of three.
    using Shares = int32_t __attribute__((vector_size(16)));
    const Shares zero = {0, 0, 0, 0};
    const Shares top = {kSteps, kSteps, kSteps, kSteps};
    for (uint8_t *p = row, *end = row + width * 4; p != end; p += 4) {
        Shares b, g, r;
        std::memcpy(&b, m_shares[2][p[0]].data(), sizeof b);
        std::memcpy(&g, m_shares[1][p[1]].data(), sizeof g);
        std::memcpy(&r, m_shares[0][p[2]].data(), sizeof r);
        Shares linear = r + g + b;
        linear = linear < zero ? zero : linear;
        linear = linear > top ? top : linear;
        p[0] = m_encode[size_t(linear[2])];
        p[1] = m_encode[size_t(linear[1])];
        p[2] = m_encode[size_t(linear[0])];
    }
}
