#include "bench/bench_profiles.h"

#include "imaging/lcms_handles.h"

#include <memory>

namespace {

QByteArray rgbProfile(const cmsCIExyY &white, const cmsCIExyYTRIPLE &primaries, double gamma)
{
    const LcmsCurve curve(cmsBuildGamma(nullptr, gamma));
    cmsToneCurve *curves[3] = {curve.get(), curve.get(), curve.get()};
    const LcmsProfile p(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsUInt32Number size = 0;
    if (!p || !cmsSaveProfileToMem(p.get(), nullptr, &size))
        return {};
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(p.get(), bytes.data(), &size);
    return bytes;
}

} // namespace

QByteArray adobeRgbLikeProfile()
{
    return rgbProfile({0.3127, 0.3290, 1.0}, {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}},
                      563.0 / 256.0);
}

QByteArray proPhotoLikeProfile()
{
    return rgbProfile({0.3457, 0.3585, 1.0},
                      {{0.7347, 0.2653, 1}, {0.1596, 0.8404, 1}, {0.0366, 0.0001, 1}}, 1.8);
}
