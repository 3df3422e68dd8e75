#include "bench/direct_jpeg.h"

#include "base/pictavel_error.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {

constexpr JDIMENSION kBatch = 16;

// Points `rows` at the next rows of an RGB buffer; returns how many.
JDIMENSION rowBatch(JSAMPROW *rows, const uint8_t *rgb, size_t stride, JDIMENSION first,
                    JDIMENSION total)
{
    const JDIMENSION n = std::min(kBatch, total - first);
    for (JDIMENSION i = 0; i < n; ++i)
        rows[i] = const_cast<uint8_t *>(rgb) + (first + i) * stride;
    return n;
}

} // namespace

DirectJpeg::DirectJpeg()
{
    if (!create())
        throw PictavelError(QStringLiteral("libjpeg cannot start"));
}

bool DirectJpeg::create()
{
    if (setjmp(m_dec.err.jump))
        return false;
    jpeg_create_decompress(&m_dec.d);
    if (setjmp(m_enc.err.jump))
        return false;
    jpeg_create_compress(&m_enc.c);
    return true;
}

void DirectJpeg::decode(const QString &path, int &w, int &h, int scaleDenom)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw PictavelError(QStringLiteral("Cannot open file %1").arg(path));
    const qint64 size = f.size();
    if (m_file.size() < size_t(size))
        m_file.resize(size_t(size));
    if (f.read(reinterpret_cast<char *>(m_file.data()), size) != size)
        throw PictavelError(QStringLiteral("Cannot read file %1").arg(path));
    if (!decodeRgb(size_t(size), w, h, scaleDenom))
        throw jpegError(m_dec.err);
}

void DirectJpeg::thumbnail(int w, int h, int box)
{
    const float rx = float(box) / float(w), ry = float(box) / float(h);
    m_thumbWidth = rx >= ry ? int(w * ry + 0.5) : box;
    m_thumbHeight = rx >= ry ? box : int(h * rx + 0.5);
    m_thumb.resize(size_t(m_thumbWidth) * size_t(m_thumbHeight) * 3);
    for (int y = 0; y < m_thumbHeight; ++y) {
        const uint8_t *src = m_rgb.data() + size_t(y * h / m_thumbHeight) * size_t(w) * 3;
        uint8_t *dst = m_thumb.data() + size_t(y) * size_t(m_thumbWidth) * 3;
        for (int x = 0; x < m_thumbWidth; ++x)
            std::memcpy(dst + x * 3, src + size_t(x * w / m_thumbWidth) * 3, 3);
    }
}

void DirectJpeg::encode(const QString &out, int w, int h)
{
    FilePtr f(std::fopen(QFile::encodeName(out).constData(), "wb"));
    if (!f)
        throw PictavelError(QStringLiteral("Cannot create file %1").arg(out));
    if (!encodeRgb(f.get(), m_rgb.data(), w, h))
        throw jpegError(m_enc.err);
}

void DirectJpeg::encodeThumbnail(const QString &out)
{
    FilePtr f(std::fopen(QFile::encodeName(out).constData(), "wb"));
    if (!f)
        throw PictavelError(QStringLiteral("Cannot create file %1").arg(out));
    if (!encodeRgb(f.get(), m_thumb.data(), m_thumbWidth, m_thumbHeight))
        throw jpegError(m_enc.err);
}

bool DirectJpeg::decodeRgb(size_t size, int &w, int &h, int scaleDenom)
{
    jpeg_decompress_struct &d = m_dec.d;
    if (setjmp(m_dec.err.jump)) {
        jpeg_abort_decompress(&d);
        return false;
    }
    jpeg_mem_src(&d, m_file.data(), (unsigned long)size);
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    d.dct_method = JDCT_ISLOW;
    d.scale_num = 1;
    d.scale_denom = unsigned(scaleDenom);
    jpeg_start_decompress(&d);
    w = int(d.output_width);
    h = int(d.output_height);
    const size_t stride = size_t(w) * 3;
    if (m_rgb.size() < stride * size_t(h))
        m_rgb.resize(stride * size_t(h));
    JSAMPROW rows[kBatch];
    while (d.output_scanline < d.output_height) {
        const JDIMENSION n =
            rowBatch(rows, m_rgb.data(), stride, d.output_scanline, d.output_height);
        jpeg_read_scanlines(&d, rows, n);
    }
    jpeg_finish_decompress(&d);
    return true;
}

bool DirectJpeg::encodeRgb(FILE *f, const uint8_t *rgb, int w, int h)
{
    jpeg_compress_struct &c = m_enc.c;
    if (setjmp(m_enc.err.jump)) {
        jpeg_abort_compress(&c);
        return false;
    }
    jpeg_stdio_dest(&c, f);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    const size_t stride = size_t(w) * 3;
    JSAMPROW rows[kBatch];
    while (c.next_scanline < c.image_height) {
        const JDIMENSION n = rowBatch(rows, rgb, stride, c.next_scanline, c.image_height);
        jpeg_write_scanlines(&c, rows, n);
    }
    jpeg_finish_compress(&c);
    return true;
}
