#pragma once

#include "tests/libjpeg_objects.h"

#include <QString>

#include <cstdint>
#include <vector>

// The floor the program is measured against: the same jobs written straight
// on libjpeg-turbo, in RGB, with every buffer reused. A libjpeg error raises
// PictavelError.
class DirectJpeg
{
public:
    DirectJpeg();

    // The whole file into the kept RGB buffer, at full size or reduced by
    // libjpeg's DCT scaling to 1/scaleDenom.
    void decode(const QString &path, int &w, int &h, int scaleDenom = 1);
    // The decoded picture fitted into box x box by nearest neighbour.
    void thumbnail(int w, int h, int box);
    // The decoded picture as a quality 90 file.
    void encode(const QString &out, int w, int h);
    // The last thumbnail as a quality 90 file.
    void encodeThumbnail(const QString &out);

private:
    bool create();
    bool decodeRgb(size_t size, int &w, int &h, int scaleDenom);
    bool encodeRgb(FILE *f, const uint8_t *rgb, int w, int h);

    Decompressor m_dec;
    Compressor m_enc;
    std::vector<uint8_t> m_file, m_rgb, m_thumb;
    int m_thumbWidth = 0;
    int m_thumbHeight = 0;
};
