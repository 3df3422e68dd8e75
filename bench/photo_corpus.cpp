#include "bench/photo_corpus.h"

#include "base/pictavel_error.h"
#include "tests/libjpeg_objects.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace {

void makePhotoRow(std::vector<uint8_t> &row, int width, int height, int y, uint32_t seed)
{
    uint32_t state = seed * 2654435761u + uint32_t(y) * 40503u;
    for (int x = 0; x < width; ++x) {
        state = state * 1664525u + 1013904223u;
        const int noise = int(state >> 28) - 8;
        const int u = x * 256 / width, v = y * 256 / height;
        const bool edge = ((x / 97 + y / 83 + int(seed)) % 7) == 0;
        const int r = (u + v / 2 + (edge ? 60 : 0)) / 2 + 40 + noise;
        const int g = (v + ((x * 3 + y) % 200)) / 2 + 20 + noise;
        const int b = ((u ^ v) & 0xFF) / 3 + 60 + (edge ? -40 : 0) + noise;
        row[size_t(x) * 3] = uint8_t(std::clamp(r, 0, 255));
        row[size_t(x) * 3 + 1] = uint8_t(std::clamp(g, 0, 255));
        row[size_t(x) * 3 + 2] = uint8_t(std::clamp(b, 0, 255));
    }
}

// An EXIF block holding only the orientation tag: a little-endian TIFF
// header, one SHORT entry, no next directory.
QByteArray exifOrientation(int orientation)
{
    QByteArray exif("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24);
    exif += char(orientation);
    exif += QByteArray(7, '\0');
    return exif;
}

bool compressCorpusJpeg(Compressor &e, FILE *f, int width, int height, uint32_t seed,
                        const QByteArray &icc, int orientation, std::vector<uint8_t> &row)
{
    jpeg_compress_struct &c = e.c;
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    if (orientation != 1) {
        const QByteArray exif = exifOrientation(orientation);
        jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET *>(exif.constData()),
                          unsigned(exif.size()));
    }
    if (!icc.isEmpty())
        jpeg_write_icc_profile(&c, reinterpret_cast<const JOCTET *>(icc.constData()),
                               unsigned(icc.size()));
    while (c.next_scanline < c.image_height) {
        makePhotoRow(row, width, height, int(c.next_scanline), seed);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    return true;
}

} // namespace

void writeCorpusJpeg(const QString &path, int width, int height, uint32_t seed,
                     const QByteArray &icc, int orientation)
{
    FilePtr f(std::fopen(QFile::encodeName(path).constData(), "wb"));
    if (!f)
        throw PictavelError(QStringLiteral("Cannot create file %1").arg(path));
    Compressor e;
    std::vector<uint8_t> row(size_t(width) * 3);
    if (!compressCorpusJpeg(e, f.get(), width, height, seed, icc, orientation, row))
        throw jpegError(e.err);
}
