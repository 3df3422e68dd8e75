#include "imaging/colour_profile.h"

#include "imaging/lcms_handles.h"
#include "imaging/matrix_shaper.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Perceptual with black point compensation, as photographs are usually
// shown; lcms's one-pixel cache only costs time on photographs, whose
// neighbouring pixels rarely repeat exactly.
constexpr cmsUInt32Number kIntent = INTENT_PERCEPTUAL;
constexpr cmsUInt32Number kFlags = cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE;

// Distinct profiles kept before the cache starts afresh; conversions in use
// live on in their holders.
constexpr size_t kMaxCached = 32;

cmsUInt32Number inputFormat(DecodedColours colours)
{
    switch (colours) {
    case DecodedColours::Bgra:
        return TYPE_BGRA_8;
    case DecodedColours::Cmyk:
        return TYPE_CMYK_8;
    case DecodedColours::InvertedCmyk:
        return TYPE_CMYK_8_REV;
    case DecodedColours::Grey:
        return TYPE_GRAY_8;
    }
    return TYPE_BGRA_8;
}

cmsColorSpaceSignature expectedSpace(DecodedColours colours)
{
    switch (colours) {
    case DecodedColours::Bgra:
        return cmsSigRgbData;
    case DecodedColours::Cmyk:
    case DecodedColours::InvertedCmyk:
        return cmsSigCmykData;
    case DecodedColours::Grey:
        return cmsSigGrayData;
    }
    return cmsSigRgbData;
}

bool nearlyEqual(uint32_t a, uint32_t b)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > 1)
            return false;
    return true;
}

} // namespace

struct SrgbConversionData
{
    LcmsTransform transform;
    // The same conversion from tables, for RGB matrix-shaper profiles, when
    // it agrees with lcms's.
    std::unique_ptr<MatrixShaperToSrgb> fast;
    DecodedColours colours = DecodedColours::Bgra;
    std::array<uint32_t, 256> greyPalette{};
};

SrgbConversion::SrgbConversion(std::unique_ptr<SrgbConversionData> data) : m_data(std::move(data))
{
}

SrgbConversion::~SrgbConversion() = default;

void SrgbConversion::convertRow(uint8_t *row, size_t width) const noexcept
{
    if (m_data->fast) {
        m_data->fast->convertRow(row, width);
        return;
    }
    // lcms converts in place when a pixel takes as many bytes in as out.
    cmsDoTransform(m_data->transform.get(), row, row, cmsUInt32Number(width));
    // Only BGRA input carries its alpha through; CMYK leaves K there.
    if (m_data->colours != DecodedColours::Bgra)
        for (uint8_t *p = row + 3, *end = row + width * 4; p < end; p += 4)
            *p = 255;
}

const std::array<uint32_t, 256> &SrgbConversion::greyPalette() const
{
    return m_data->greyPalette;
}

namespace {

// Colours spread over the whole cube, every grey among them.
std::vector<uint32_t> sampleColours(uint32_t step)
{
    std::vector<uint32_t> colours;
    for (uint32_t r = 0; r < 256; r += step)
        for (uint32_t g = 0; g < 256; g += step)
            for (uint32_t b = 0; b < 256; b += step)
                colours.push_back(0xFF000000u | r << 16 | g << 8 | b);
    for (uint32_t v = 0; v < 256; ++v)
        colours.push_back(0xFF000000u | v * 0x010101u);
    return colours;
}

// True when the tables give what lcms gives, within one level, over a dense
// sample of colours.
bool fastAgrees(const SrgbConversionData &d)
{
    std::vector<uint32_t> colours = sampleColours(5);
    std::vector<uint32_t> expected(colours.size());
    cmsDoTransform(d.transform.get(), colours.data(), expected.data(),
                   cmsUInt32Number(colours.size()));
    d.fast->convertRow(reinterpret_cast<uint8_t *>(colours.data()), colours.size());
    for (size_t i = 0; i < colours.size(); ++i)
        if (!nearlyEqual(colours[i], expected[i]))
            return false;
    return true;
}

// True when the conversion moves no colour by more than one level: an sRGB
// profile, whatever its maker, then costs nothing.
bool isIdentity(const SrgbConversionData &d)
{
    if (d.colours == DecodedColours::Grey) {
        for (uint32_t v = 0; v < 256; ++v)
            if (!nearlyEqual(d.greyPalette[v], v * 0x010101u))
                return false;
        return true;
    }
    if (d.colours != DecodedColours::Bgra)
        return false;
    const std::vector<uint32_t> in = sampleColours(15);
    std::vector<uint32_t> out(in.size());
    cmsDoTransform(d.transform.get(), in.data(), out.data(), cmsUInt32Number(in.size()));
    for (size_t i = 0; i < in.size(); ++i)
        if (!nearlyEqual(in[i], out[i]))
            return false;
    return true;
}

ProfileConversion makeConversion(const uint8_t *icc, size_t size, DecodedColours colours)
{
    LcmsProfile profile(cmsOpenProfileFromMem(icc, cmsUInt32Number(size)));
    if (!profile)
        return {nullptr, QStringLiteral("its colour profile cannot be read and is ignored")};
    const cmsProfileClassSignature kind = cmsGetDeviceClass(profile.get());
    if (cmsGetColorSpace(profile.get()) != expectedSpace(colours) || kind == cmsSigLinkClass ||
        kind == cmsSigAbstractClass || kind == cmsSigNamedColorClass)
        return {nullptr,
                QStringLiteral("its colour profile does not fit its colours and is ignored")};
    LcmsProfile srgb(cmsCreate_sRGBProfile());
    auto data = std::make_unique<SrgbConversionData>();
    data->colours = colours;
    data->transform.reset(cmsCreateTransform(profile.get(), inputFormat(colours), srgb.get(),
                                             TYPE_BGRA_8, kIntent, kFlags));
    if (!data->transform)
        return {nullptr, QStringLiteral("its colour profile cannot be used and is ignored")};
    if (colours == DecodedColours::Grey) {
        uint8_t levels[256];
        for (int v = 0; v < 256; ++v)
            levels[v] = uint8_t(v);
        cmsDoTransform(data->transform.get(), levels, data->greyPalette.data(), 256);
        for (uint32_t &p : data->greyPalette)
            p |= 0xFF000000u;
    }
    if (isIdentity(*data))
        return {};
    if (colours == DecodedColours::Bgra) {
        data->fast = MatrixShaperToSrgb::make(profile.get());
        if (data->fast && !fastAgrees(*data))
            data->fast.reset();
    }
    return {std::make_shared<const SrgbConversion>(std::move(data)), {}};
}

} // namespace

ProfileConversion srgbConversionFor(const uint8_t *icc, size_t size, DecodedColours colours)
{
    static std::mutex mutex;
    static std::unordered_map<std::string, ProfileConversion> cache;
    std::string key(1, char(colours));
    key.append(reinterpret_cast<const char *>(icc), size);
    // Made under the lock: two threads meeting a new profile make it once.
    const std::lock_guard lock(mutex);
    if (const auto it = cache.find(key); it != cache.end())
        return it->second;
    if (cache.size() >= kMaxCached)
        cache.clear();
    return cache.emplace(std::move(key), makeConversion(icc, size, colours)).first->second;
}
