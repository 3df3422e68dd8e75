#include "imaging/exif_orientation.h"
#include "imaging/pictavel_error.h"
#include "imaging/picture_decoders.h"
#include "imaging/picture_file.h"

#include <QSaveFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports fatal errors by calling error_exit, which must not return.
// It jumps back into one of the short functions below that called setjmp
// (they hold only trivially destructible locals); those return false and the
// C++ caller throws.

namespace {

struct JpegErrorJump
{
    jpeg_error_mgr pub; // first member: libjpeg sees only this part
    jmp_buf jump;
};

extern "C" void jpegErrorExit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<JpegErrorJump *>(cinfo->err)->jump, 1);
}

// Warnings are ignored, so a truncated file shows what could be decoded.
extern "C" void jpegEmitMessage(j_common_ptr, int) {}
extern "C" void jpegOutputMessage(j_common_ptr) {}

// A progressive file of thousands of tiny scans would keep the decoder busy
// for minutes; no camera or editor writes more than a few dozen.
constexpr int kMaxScans = 500;
// libjpeg's whole-image buffers (progressive files) may not grow past this.
constexpr long kMaxDecoderMemory = 1536L << 20;

extern "C" void jpegLimitScans(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        cinfo->err->msg_code = JERR_BAD_SCAN_SCRIPT;
        cinfo->err->error_exit(cinfo);
    }
}

void initErrorManager(JpegErrorJump &err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegErrorExit;
    err.pub.emit_message = jpegEmitMessage;
    err.pub.output_message = jpegOutputMessage;
}

PictavelError jpegError(const JpegErrorJump &err)
{
    return PictavelError(QStringLiteral("JPEG error #%1").arg(err.pub.msg_code));
}

class JpegDecoder
{
public:
    JpegDecoder() { initErrorManager(err); }
    ~JpegDecoder()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
    JpegDecoder(const JpegDecoder &) = delete;
    JpegDecoder &operator=(const JpegDecoder &) = delete;

    jpeg_decompress_struct cinfo{};
    JpegErrorJump err{};
    jpeg_progress_mgr progress{};
    bool created = false;
};

bool createDecoder(JpegDecoder &d)
{
    d.cinfo.err = &d.err.pub;
    if (setjmp(d.err.jump))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    d.progress.progress_monitor = jpegLimitScans;
    d.cinfo.progress = &d.progress;
    d.cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    return true;
}

bool readHeader(JpegDecoder &d, const uint8_t *data, size_t size)
{
    if (setjmp(d.err.jump))
        return false;
    jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&d.cinfo, TRUE);
    return true;
}

bool isGreyscale(const JpegDecoder &d)
{
    return d.cinfo.jpeg_color_space == JCS_GRAYSCALE;
}

// Decodes at full size into `pixels` (image_width x image_height words):
// colour straight to BGRA, greyscale quantised to 236 levels through
// `greyRow` (image_width bytes).
bool decodePixels(JpegDecoder &d, uint32_t *pixels, uint8_t *greyRow)
{
    if (setjmp(d.err.jump))
        return false;
    jpeg_decompress_struct &c = d.cinfo;
    c.scale_num = 1;
    c.scale_denom = 1;
    c.do_block_smoothing = TRUE;
    c.dct_method = JDCT_ISLOW;
    const bool grey = c.jpeg_color_space == JCS_GRAYSCALE;
    if (grey) {
        c.out_color_space = JCS_GRAYSCALE;
        c.quantize_colors = TRUE;
        c.desired_number_of_colors = 236;
    } else {
        c.out_color_space = JCS_EXT_BGRA;
    }
    jpeg_start_decompress(&c);
    const size_t width = c.output_width;
    if (grey) {
        uint32_t palette[256] = {};
        for (int i = 0; i < c.actual_number_of_colors && i < 256; ++i)
            palette[i] = 0xFF000000u | uint32_t(c.colormap[0][i]) * 0x010101u;
        while (c.output_scanline < c.output_height) {
            const size_t y = c.output_scanline;
            JSAMPROW row = greyRow;
            if (jpeg_read_scanlines(&c, &row, 1) != 1)
                break;
            uint32_t *out = pixels + y * width;
            for (size_t x = 0; x < width; ++x)
                out[x] = palette[greyRow[x]];
        }
    } else {
        JSAMPROW rows[16];
        while (c.output_scanline < c.output_height) {
            const JDIMENSION first = c.output_scanline;
            const JDIMENSION count = std::min<JDIMENSION>(16, c.output_height - first);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = reinterpret_cast<JSAMPROW>(pixels + (first + i) * width);
            if (jpeg_read_scanlines(&c, rows, count) == 0)
                break;
        }
    }
    jpeg_abort_decompress(&c);
    return true;
}

// Turns a w x h picture as the EXIF orientation says; orientations 5 to 8
// swap width and height.
void orientPixels(const uint32_t *src, int w, int h, int orientation, uint32_t *dst)
{
    const bool swap = orientation >= 5;
    const int dw = swap ? h : w;
    const int dh = swap ? w : h;
    constexpr int kTile = 32;
    for (int ty = 0; ty < dh; ty += kTile) {
        for (int tx = 0; tx < dw; tx += kTile) {
            const int ey = std::min(ty + kTile, dh);
            const int ex = std::min(tx + kTile, dw);
            for (int y = ty; y < ey; ++y) {
                uint32_t *out = dst + size_t(y) * size_t(dw);
                for (int x = tx; x < ex; ++x) {
                    int sx = x, sy = y;
                    switch (orientation) {
                    case 2:
                        sx = w - 1 - x;
                        break;
                    case 3:
                        sx = w - 1 - x;
                        sy = h - 1 - y;
                        break;
                    case 4:
                        sy = h - 1 - y;
                        break;
                    case 5:
                        sx = y;
                        sy = x;
                        break;
                    case 6:
                        sx = y;
                        sy = h - 1 - x;
                        break;
                    case 7:
                        sx = w - 1 - y;
                        sy = h - 1 - x;
                        break;
                    case 8:
                        sx = w - 1 - y;
                        sy = x;
                        break;
                    default:
                        break;
                    }
                    out[x] = src[size_t(sy) * size_t(w) + size_t(sx)];
                }
            }
        }
    }
}

int savedOrientation(const JpegDecoder &d)
{
    for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) {
            const int o = exifOrientation(m->data, m->data_length);
            if (o != 1)
                return o;
        }
    }
    return 1;
}

std::vector<uint8_t> &greyRowBuffer()
{
    thread_local std::vector<uint8_t> row;
    return row;
}

} // namespace

void loadJpegData(const uint8_t *data, size_t size, TBitmap32 &bitmap)
{
    JpegDecoder d;
    if (!createDecoder(d) || !readHeader(d, data, size))
        throw jpegError(d.err);
    const int w = int(d.cinfo.image_width);
    const int h = int(d.cinfo.image_height);
    checkBitmapSize(w, h);
    const int orientation = savedOrientation(d);
    const bool swap = orientation >= 5;
    std::vector<uint8_t> &greyRow = greyRowBuffer();
    if (isGreyscale(d) && greyRow.size() < size_t(w))
        greyRow.resize(size_t(w));

    const bool sameSize =
        !bitmap.empty() && bitmap.width() == (swap ? h : w) && bitmap.height() == (swap ? w : h);
    if (orientation == 1 && !sameSize) {
        // A fresh pixel area is written directly; if decoding fails it is
        // cleared, as a new area reads all zero.
        bitmap.setSizeForOverwrite(w, h);
        if (!decodePixels(d, bitmap.bits(), greyRow.data())) {
            std::memset(bitmap.bits(), 0, size_t(w) * size_t(h) * sizeof(TColor32));
            bitmap.notifyChanged();
            throw jpegError(d.err);
        }
    } else {
        // The bitmap's pixels must survive a failed decode, and turning needs
        // a second area anyway.
        PooledPixels decoded(size_t(w) * size_t(h));
        if (!decodePixels(d, decoded.data(), greyRow.data())) {
            bitmap.setSize(swap ? h : w, swap ? w : h);
            throw jpegError(d.err);
        }
        if (orientation == 1) {
            bitmap.replacePixels(w, h, decoded.take());
        } else {
            PooledPixels turned(size_t(w) * size_t(h));
            orientPixels(decoded.data(), w, h, orientation, turned.data());
            bitmap.replacePixels(swap ? h : w, swap ? w : h, turned.take());
        }
    }
    bitmap.notifyChanged();
}

namespace {

struct JpegFileDestination
{
    jpeg_destination_mgr pub; // first member: libjpeg sees only this part
    QSaveFile *file;
    std::vector<uint8_t> *buffer;
    bool writeFailed;
};

bool flushDestination(JpegFileDestination *d, size_t bytes)
{
    if (bytes == 0)
        return true;
    return d->file->write(reinterpret_cast<const char *>(d->buffer->data()), qint64(bytes)) ==
           qint64(bytes);
}

extern "C" void jpegInitDestination(j_compress_ptr cinfo)
{
    auto *d = reinterpret_cast<JpegFileDestination *>(cinfo->dest);
    d->pub.next_output_byte = d->buffer->data();
    d->pub.free_in_buffer = d->buffer->size();
}

extern "C" boolean jpegEmptyOutputBuffer(j_compress_ptr cinfo)
{
    auto *d = reinterpret_cast<JpegFileDestination *>(cinfo->dest);
    if (!flushDestination(d, d->buffer->size())) {
        d->writeFailed = true;
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    jpegInitDestination(cinfo);
    return TRUE;
}

extern "C" void jpegTermDestination(j_compress_ptr cinfo)
{
    auto *d = reinterpret_cast<JpegFileDestination *>(cinfo->dest);
    if (!flushDestination(d, d->buffer->size() - d->pub.free_in_buffer)) {
        d->writeFailed = true;
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

class JpegEncoder
{
public:
    JpegEncoder() { initErrorManager(err); }
    ~JpegEncoder()
    {
        if (created)
            jpeg_destroy_compress(&cinfo);
    }
    JpegEncoder(const JpegEncoder &) = delete;
    JpegEncoder &operator=(const JpegEncoder &) = delete;

    jpeg_compress_struct cinfo{};
    JpegErrorJump err{};
    JpegFileDestination dest{};
    bool created = false;
};

bool createEncoder(JpegEncoder &e)
{
    e.cinfo.err = &e.err.pub;
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_compress(&e.cinfo);
    e.created = true;
    return true;
}

bool encodePixels(JpegEncoder &e, const TBitmap32 &bitmap, int quality)
{
    if (setjmp(e.err.jump))
        return false;
    jpeg_compress_struct &c = e.cinfo;
    e.dest.pub.init_destination = jpegInitDestination;
    e.dest.pub.empty_output_buffer = jpegEmptyOutputBuffer;
    e.dest.pub.term_destination = jpegTermDestination;
    c.dest = &e.dest.pub;
    c.image_width = JDIMENSION(bitmap.width());
    c.image_height = JDIMENSION(bitmap.height());
    // The pixels are read as they lie in memory; the fourth byte is skipped.
    c.input_components = 4;
    c.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    JSAMPROW rows[16];
    while (c.next_scanline < c.image_height) {
        const JDIMENSION first = c.next_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(16, c.image_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] =
                reinterpret_cast<JSAMPROW>(const_cast<TColor32 *>(bitmap.scanLine(int(first + i))));
        jpeg_write_scanlines(&c, rows, count);
    }
    jpeg_finish_compress(&c);
    return true;
}

} // namespace

void WriteJpegFile(const QString &path, const TBitmap32 &bitmap, int quality)
{
    const PictavelError cannotCreate(QStringLiteral("Cannot create file %1").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotCreate;
    if (!bitmap.empty()) {
        thread_local std::vector<uint8_t> buffer(256 * 1024);
        JpegEncoder e;
        e.dest.file = &file;
        e.dest.buffer = &buffer;
        if (!createEncoder(e) || !encodePixels(e, bitmap, quality)) {
            file.cancelWriting();
            if (e.dest.writeFailed)
                throw cannotCreate;
            throw jpegError(e.err);
        }
    }
    if (!file.commit())
        throw cannotCreate;
}
