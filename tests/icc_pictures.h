#pragma once

// Colour profiles made with lcms, JPEG files that carry them, and lcms's own
// conversion of known numbers to sRGB to check the decoder against.

#include "imaging/jpeg_error.h"
#include "imaging/lcms_handles.h"
#include "tests/libjpeg_objects.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <lcms2.h>

namespace icc {

using Profile = LcmsProfile;
using Curve = LcmsCurve;

struct PipelineFree
{
    void operator()(cmsPipeline *p) const { cmsPipelineFree(p); }
};

inline QByteArray bytes(cmsHPROFILE p)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    QByteArray b(qsizetype(size), '\0');
    cmsSaveProfileToMem(p, b.data(), &size);
    return b;
}

inline Profile rgbProfile(const cmsCIExyY &white, const cmsCIExyYTRIPLE &primaries, double gamma)
{
    const Curve curve(cmsBuildGamma(nullptr, gamma));
    cmsToneCurve *curves[3] = {curve.get(), curve.get(), curve.get()};
    return Profile(cmsCreateRGBProfile(&white, &primaries, curves));
}

// Adobe RGB (1998): D65, gamma 563/256.
inline Profile adobeRgb()
{
    return rgbProfile({0.3127, 0.3290, 1.0}, {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}},
                      563.0 / 256.0);
}

// ProPhoto's wide gamut: D50, gamma 1.8.
inline Profile proPhoto()
{
    return rgbProfile({0.3457, 0.3585, 1.0},
                      {{0.7347, 0.2653, 1}, {0.1596, 0.8404, 1}, {0.0366, 0.0001, 1}}, 1.8);
}

inline Profile greyProfile(double gamma)
{
    const Curve curve(cmsBuildGamma(nullptr, gamma));
    return Profile(cmsCreateGrayProfile(cmsD50_xyY(), curve.get()));
}

namespace detail {

// A printer's inks, crudely: each ink takes away its third of the light,
// black takes away all; sampled into Lab through sRGB.
inline cmsInt32Number sampleInks(const cmsUInt16Number in[], cmsUInt16Number out[], void *toLab)
{
    const double k = 1.0 - in[3] / 65535.0;
    const double rgb[3] = {(1.0 - in[0] / 65535.0) * k, (1.0 - in[1] / 65535.0) * k,
                           (1.0 - in[2] / 65535.0) * k};
    cmsCIELab lab;
    cmsDoTransform(toLab, rgb, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return TRUE;
}

} // namespace detail

namespace detail {

// A profile whose only conversion is a grid of `channels` inputs sampled
// into Lab by `sample`, between identity curves (lcms stores a grid between
// curves only).
inline Profile gridProfile(cmsColorSpaceSignature space, int channels, cmsSAMPLER16 sample,
                           void *cargo)
{
    Profile p(cmsCreateProfilePlaceholder(nullptr));
    cmsSetProfileVersion(p.get(), 4.3);
    cmsSetDeviceClass(p.get(), cmsSigOutputClass);
    cmsSetColorSpace(p.get(), space);
    cmsSetPCS(p.get(), cmsSigLabData);
    const std::unique_ptr<cmsPipeline, PipelineFree> lut(
        cmsPipelineAlloc(nullptr, cmsUInt32Number(channels), 3));
    cmsStage *grid = cmsStageAllocCLut16bit(nullptr, 9, cmsUInt32Number(channels), 3, nullptr);
    cmsStageSampleCLut16bit(grid, sample, cargo, 0);
    cmsPipelineInsertStage(lut.get(), cmsAT_END,
                           cmsStageAllocToneCurves(nullptr, cmsUInt32Number(channels), nullptr));
    cmsPipelineInsertStage(lut.get(), cmsAT_END, grid);
    cmsPipelineInsertStage(lut.get(), cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsWriteTag(p.get(), cmsSigAToB0Tag, lut.get());
    cmsWriteTag(p.get(), cmsSigMediaWhitePointTag, cmsD50_XYZ());
    return p;
}

using ToLab = LcmsTransform;

inline ToLab toLab(cmsHPROFILE from, cmsUInt32Number format)
{
    Profile lab(cmsCreateLab4Profile(nullptr));
    return ToLab(
        cmsCreateTransform(from, format, lab.get(), TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0));
}

inline cmsInt32Number sampleThrough(const cmsUInt16Number in[], cmsUInt16Number out[], void *toLab)
{
    cmsCIELab lab;
    cmsDoTransform(toLab, in, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return TRUE;
}

} // namespace detail

// A CMYK output profile (ink values to Lab only, which is all a picture's
// profile is read for).
inline Profile cmykProfile()
{
    Profile srgb(cmsCreate_sRGBProfile());
    const detail::ToLab toLab = detail::toLab(srgb.get(), TYPE_RGB_DBL);
    return detail::gridProfile(cmsSigCmykData, 4, detail::sampleInks, toLab.get());
}

// An RGB profile that converts through a grid rather than a matrix: Adobe
// RGB sampled.
inline Profile rgbGridProfile()
{
    Profile adobe = adobeRgb();
    const detail::ToLab toLab = detail::toLab(adobe.get(), TYPE_RGB_16);
    return detail::gridProfile(cmsSigRgbData, 3, detail::sampleThrough, toLab.get());
}

// lcms's conversion of `count` pixels of `format` to sRGB BGRA words with
// alpha 255, as a picture carrying `from` should come out.
inline std::vector<uint32_t> toSrgb(cmsHPROFILE from, cmsUInt32Number format, const void *in,
                                    size_t count)
{
    Profile srgb(cmsCreate_sRGBProfile());
    LcmsTransform t(cmsCreateTransform(from, format, srgb.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                       cmsFLAGS_BLACKPOINTCOMPENSATION));
    std::vector<uint32_t> out(count, 0);
    cmsDoTransform(t.get(), in, out.data(), cmsUInt32Number(count));
    for (uint32_t &p : out)
        p |= 0xFF000000u;
    return out;
}

// The APP2 segments that carry `profile` in `parts` pieces, in the order
// they are written (`reversed`: the last piece first).
inline QList<QByteArray> markers(const QByteArray &profile, int parts = 1, bool reversed = false)
{
    QList<QByteArray> segments;
    const qsizetype piece = (profile.size() + parts - 1) / parts;
    for (int i = 0; i < parts; ++i) {
        QByteArray s("ICC_PROFILE", 12);
        s.append(char(i + 1));
        s.append(char(parts));
        s.append(profile.mid(i * piece, piece));
        if (reversed)
            segments.prepend(s);
        else
            segments.append(s);
    }
    return segments;
}

struct JpegShape
{
    int width, height;
    int components;     // 1 grey, 3 RGB, 4 CMYK
    bool adobeInverted; // CMYK with Adobe's marker, inks stored inverted
    int quality;
};

using SampleFn = std::function<uint8_t(int x, int y, int k)>;

namespace detail {

inline bool compress(Compressor &e, FILE *f, const JpegShape &s, const uint8_t *samples,
                     const QList<QByteArray> &app2)
{
    jpeg_compress_struct &c = e.c;
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = JDIMENSION(s.width);
    c.image_height = JDIMENSION(s.height);
    c.input_components = s.components;
    c.in_color_space = s.components == 1 ? JCS_GRAYSCALE : s.components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    if (s.components == 4)
        c.write_Adobe_marker = s.adobeInverted;
    jpeg_set_quality(&c, s.quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    for (const QByteArray &segment : app2)
        jpeg_write_marker(&c, JPEG_APP0 + 2, reinterpret_cast<const JOCTET *>(segment.constData()),
                          unsigned(segment.size()));
    const size_t stride = size_t(s.width) * size_t(s.components);
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = const_cast<JSAMPROW>(samples + c.next_scanline * stride);
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    return true;
}

} // namespace detail

// Writes a JPEG file of `shape` whose component k at (x, y) is sample(x, y,
// k), with the given APP2 segments.
inline bool writeJpeg(const QString &path, const JpegShape &shape, const SampleFn &sample,
                      const QList<QByteArray> &app2 = {})
{
    std::vector<uint8_t> samples;
    samples.reserve(size_t(shape.width) * size_t(shape.height) * size_t(shape.components));
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x)
            for (int k = 0; k < shape.components; ++k)
                samples.push_back(sample(x, y, k));
    FilePtr f(std::fopen(QFile::encodeName(path).constData(), "wb"));
    if (!f)
        return false;
    Compressor e;
    return detail::compress(e, f.get(), shape, samples.data(), app2);
}

} // namespace icc
