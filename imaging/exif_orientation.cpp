#include "imaging/exif_orientation.h"

#include <cstring>

namespace {

// Reads TIFF fields in the byte order the segment declares, refusing every
// offset that points outside it.
class TiffReader
{
public:
    TiffReader(const uint8_t *data, size_t size, bool bigEndian)
        : m_data(data), m_size(size), m_bigEndian(bigEndian)
    {
    }

    bool u16(size_t offset, uint32_t &out) const
    {
        if (offset > m_size || m_size - offset < 2)
            return false;
        const uint8_t *p = m_data + offset;
        out = m_bigEndian ? uint32_t(p[0] << 8 | p[1]) : uint32_t(p[1] << 8 | p[0]);
        return true;
    }

    bool u32(size_t offset, uint32_t &out) const
    {
        if (offset > m_size || m_size - offset < 4)
            return false;
        const uint8_t *p = m_data + offset;
        out = m_bigEndian
                  ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
                  : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
        return true;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    bool m_bigEndian;
};

constexpr uint32_t kOrientationTag = 0x0112;
constexpr uint32_t kTypeShort = 3;

} // namespace

int exifOrientation(const uint8_t *data, size_t size)
{
    static const uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < 6 + 8 || std::memcmp(data, kExifHeader, 6) != 0)
        return 1;
    const uint8_t *tiff = data + 6;
    const size_t tiffSize = size - 6;
    bool bigEndian;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        bigEndian = false;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else
        return 1;
    const TiffReader r(tiff, tiffSize, bigEndian);
    uint32_t magic = 0, ifd = 0, count = 0;
    if (!r.u16(2, magic) || magic != 42 || !r.u32(4, ifd) || !r.u16(ifd, count))
        return 1;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = size_t(ifd) + 2 + size_t(i) * 12;
        uint32_t tag = 0, type = 0, n = 0, value = 0;
        if (!r.u16(entry, tag) || !r.u16(entry + 2, type) || !r.u32(entry + 4, n) ||
            !r.u16(entry + 8, value))
            return 1;
        if (tag == kOrientationTag) {
            if (type != kTypeShort || n < 1 || value < 1 || value > 8)
                return 1;
            return int(value);
        }
    }
    return 1;
}
