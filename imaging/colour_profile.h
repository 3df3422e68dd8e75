#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

// The samples a decoder hands over for conversion, as they lie in memory.
enum class DecodedColours {
    Bgra,         // B, G, R, 255 per pixel (libjpeg-turbo's JCS_EXT_BGRA)
    Cmyk,         // C, M, Y, K per pixel, 0 no ink
    InvertedCmyk, // C, M, Y, K per pixel, 255 no ink, as Adobe's files hold them
    Grey,         // one byte per pixel
};

struct SrgbConversionData;

// The conversion of one embedded ICC profile's numbers to sRGB (perceptual,
// black point compensation, 8 bits per channel), shared by every thread that
// decodes a picture carrying that profile.
class SrgbConversion
{
public:
    explicit SrgbConversion(std::unique_ptr<SrgbConversionData> data);
    ~SrgbConversion();
    SrgbConversion(const SrgbConversion &) = delete;
    SrgbConversion &operator=(const SrgbConversion &) = delete;

    // Turns `width` pixels of Bgra or (inverted) Cmyk samples, in place, into
    // BGRA words with alpha 255. Safe to call from several threads at once.
    void convertRow(uint8_t *row, size_t width) const noexcept;
    // For Grey samples: the BGRA word of each of the 256 levels.
    const std::array<uint32_t, 256> &greyPalette() const;

private:
    std::unique_ptr<SrgbConversionData> m_data;
};

struct ProfileConversion
{
    // Null when the numbers are sRGB already or the profile is not used.
    std::shared_ptr<const SrgbConversion> conversion;
    // Why a profile was left unused (unreadable, or not for these colours);
    // empty otherwise.
    QString ignored;
};

// The conversion for the ICC profile `icc` of a picture whose decoded samples
// are `colours`. Made once per distinct profile and kept; thread-safe. Never
// throws for a bad profile: it is reported in `ignored` instead.
ProfileConversion srgbConversionFor(const uint8_t *icc, size_t size, DecodedColours colours);
