#include "base/atomic_file.h"
#include "base/pictavel_error.h"
#include "imaging/bitmap_turns.h"
#include "imaging/colour_profile.h"
#include "imaging/encoder_planes.h"
#include "imaging/exif_orientation.h"
#include "imaging/jpeg_error.h"
#include "imaging/picture_decoders.h"
#include "imaging/picture_file.h"
#include "imaging/stretch_copy.h"
#include "imaging/thumbnail.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jerror.h>

// libjpeg's errors jump back into the short functions below that called
// setjmp (see jpeg_error.h); those return false and the C++ caller throws.

namespace {

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

class JpegDecoder
{
public:
    JpegDecoder() { cinfo.err = jpegErrorJump(err); }
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
    // The ICC profile, split over as many APP2 markers as it needs.
    jpeg_save_markers(&d.cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&d.cinfo, TRUE);
    return true;
}

struct FreeDeleter
{
    void operator()(JOCTET *p) const { std::free(p); }
};
using IccBytes = std::unique_ptr<JOCTET, FreeDeleter>;

// The embedded profile's bytes (libjpeg's malloc), or null when there is
// none or its markers do not add up to one.
bool readIccProfile(JpegDecoder &d, JOCTET *&icc, unsigned int &size)
{
    icc = nullptr;
    size = 0;
    if (setjmp(d.err.jump))
        return false;
    if (!jpeg_read_icc_profile(&d.cinfo, &icc, &size))
        icc = nullptr;
    return true;
}

// a * b / 255 rounded, for a and b up to 255.
uint32_t mulDiv255(uint32_t a, uint32_t b)
{
    const uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// Turns `width` CMYK samples, decoded where their BGRA pixels belong, into
// those pixels. Files with Adobe's marker hold the inks inverted (0 is full
// ink); others hold them as they are.
void cmykRowToBgra(uint8_t *row, size_t width, bool inverted)
{
    const uint32_t flip = inverted ? 0 : 255;
    for (uint8_t *p = row, *end = row + width * 4; p != end; p += 4) {
        const uint32_t k = p[3] ^ flip;
        const uint32_t r = mulDiv255(p[0] ^ flip, k);
        const uint32_t g = mulDiv255(p[1] ^ flip, k);
        const uint32_t b = mulDiv255(p[2] ^ flip, k);
        p[0] = uint8_t(b);
        p[1] = uint8_t(g);
        p[2] = uint8_t(r);
        p[3] = 255;
    }
}

DecodedColours decodedColours(const JpegDecoder &d)
{
    switch (d.cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        return DecodedColours::Grey;
    case JCS_CMYK:
    case JCS_YCCK:
        return d.cinfo.saw_Adobe_marker ? DecodedColours::InvertedCmyk : DecodedColours::Cmyk;
    default:
        return DecodedColours::Bgra;
    }
}

// Takes each batch of decoded rows, `count` rows of the picture from `first`
// on, one after another; a plain function, since libjpeg's errors may jump
// past it.
struct RowTaker
{
    void (*take)(void *context, const uint32_t *rows, JDIMENSION first, JDIMENSION count);
    void *context;
};

// Where decoded rows go: an upright picture's straight into its pixels, a
// turned one's through a strip of a few rows that is then turned into place,
// so that no second picture-sized area is needed; or, without pixels, each
// batch through the strip to a taker.
class DecodedRows
{
public:
    DecodedRows(uint32_t *pixels, int width, int height, int orientation)
        : m_pixels(pixels), m_width(width), m_height(height), m_orientation(orientation)
    {
        if (m_orientation != 1)
            sizeStrip();
    }
    DecodedRows(int width, int height, RowTaker taker)
        : m_pixels(nullptr), m_width(width), m_height(height), m_orientation(1), m_taker(taker)
    {
        sizeStrip();
    }

    static constexpr int kRows = 16;

    // Where stored rows from `first` on, up to kRows of them, are decoded.
    uint32_t *rowsAt(JDIMENSION first) const
    {
        return m_orientation == 1 && m_pixels ? m_pixels + size_t(first) * size_t(m_width)
                                              : strip().data();
    }
    // Rows decoded at rowsAt(first) are complete.
    void place(JDIMENSION first, JDIMENSION count) const
    {
        if (!m_pixels)
            m_taker.take(m_taker.context, strip().data(), first, count);
        else if (m_orientation != 1)
            OrientRows(strip().data(), m_width, m_height, int(first), int(count), m_orientation,
                       m_pixels);
    }

private:
    static std::vector<uint32_t> &strip()
    {
        thread_local std::vector<uint32_t> rows;
        return rows;
    }

    void sizeStrip() const
    {
        if (strip().size() < size_t(kRows) * size_t(m_width))
            strip().resize(size_t(kRows) * size_t(m_width));
    }

    uint32_t *m_pixels;
    int m_width, m_height, m_orientation;
    RowTaker m_taker{};
};

std::vector<uint8_t> &greyRowBuffer()
{
    thread_local std::vector<uint8_t> rows;
    return rows;
}

// Decodes at the output size (output_width x output_height words) into
// `out`: colour straight to BGRA, CMYK and YCCK as CMYK converted row by row
// in place, greyscale quantised to 236 levels. With `toSrgb`, each batch of
// rows goes through the embedded profile's conversion as it is decoded, and
// greyscale keeps all 256 levels, each given its converted colour.
bool decodePixels(JpegDecoder &d, const DecodedRows &out, const SrgbConversion *toSrgb)
{
    if (setjmp(d.err.jump))
        return false;
    jpeg_decompress_struct &c = d.cinfo;
    c.do_block_smoothing = TRUE;
    c.dct_method = JDCT_ISLOW;
    const bool grey = c.jpeg_color_space == JCS_GRAYSCALE;
    // libjpeg turns YCCK into CMYK itself, but neither into BGRA.
    const bool cmyk = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
    if (grey) {
        c.out_color_space = JCS_GRAYSCALE;
        c.quantize_colors = toSrgb ? FALSE : TRUE;
        c.desired_number_of_colors = 236;
    } else {
        c.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    }
    jpeg_start_decompress(&c);
    const size_t width = c.output_width;
    uint32_t palette[256] = {};
    std::vector<uint8_t> &greyRows = greyRowBuffer();
    if (grey) {
        if (toSrgb)
            std::copy(toSrgb->greyPalette().begin(), toSrgb->greyPalette().end(), palette);
        else
            for (int i = 0; i < c.actual_number_of_colors && i < 256; ++i)
                palette[i] = 0xFF000000u | uint32_t(c.colormap[0][i]) * 0x010101u;
        if (greyRows.size() < DecodedRows::kRows * width)
            greyRows.resize(DecodedRows::kRows * width);
    }
    const bool inverted = c.saw_Adobe_marker;
    JSAMPROW rows[DecodedRows::kRows];
    while (c.output_scanline < c.output_height) {
        const JDIMENSION first = c.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(DecodedRows::kRows, c.output_height - first);
        uint32_t *decoded = out.rowsAt(first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = grey ? greyRows.data() + i * width
                           : reinterpret_cast<JSAMPROW>(decoded + i * width);
        const JDIMENSION read = jpeg_read_scanlines(&c, rows, count);
        if (read == 0)
            break;
        for (JDIMENSION i = 0; i < read; ++i) {
            if (grey) {
                const uint8_t *in = rows[i];
                uint32_t *pixel = decoded + i * width;
                for (size_t x = 0; x < width; ++x)
                    pixel[x] = palette[in[x]];
            } else if (toSrgb) {
                toSrgb->convertRow(rows[i], width);
            } else if (cmyk) {
                cmykRowToBgra(rows[i], width, inverted);
            }
        }
        out.place(first, read);
    }
    jpeg_abort_decompress(&c);
    return true;
}

// Makes libjpeg reduce the picture by 1/denom while it decodes it.
bool scaleOutput(JpegDecoder &d, unsigned denom)
{
    if (setjmp(d.err.jump))
        return false;
    d.cinfo.scale_num = 1;
    d.cinfo.scale_denom = denom;
    jpeg_calc_output_dimensions(&d.cinfo);
    return true;
}

// The largest reduction libjpeg makes while it decodes that keeps at least
// twice the thumbnail's size each way, for a picture shown at `shown`.
unsigned thumbnailReduction(QSize shown, QSize box)
{
    const QSize thumb = ThumbnailSize(shown.width(), shown.height(), box.width(), box.height());
    for (unsigned denom : {8u, 4u, 2u}) {
        const int w = int((unsigned(shown.width()) + denom - 1) / denom);
        const int h = int((unsigned(shown.height()) + denom - 1) / denom);
        if (w >= 2 * thumb.width() && h >= 2 * thumb.height())
            return denom;
    }
    return 1;
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

} // namespace

QSize JpegFileSize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(64 * 1024);
    JpegDecoder d;
    if (!createDecoder(d) ||
        !readHeader(d, reinterpret_cast<const uint8_t *>(head.constData()), size_t(head.size())))
        return {};
    return QSize(int(d.cinfo.image_width), int(d.cinfo.image_height));
}

bool jpegProfileInUse(const uint8_t *data, size_t size)
{
    JpegDecoder d;
    JOCTET *iccData = nullptr;
    unsigned int iccSize = 0;
    if (!createDecoder(d) || !readHeader(d, data, size) || !readIccProfile(d, iccData, iccSize) ||
        !iccData)
        return false;
    const IccBytes icc(iccData);
    return srgbConversionFor(icc.get(), iccSize, decodedColours(d)).ignored.isEmpty();
}

namespace {

// What a decoder needs of a file's header besides libjpeg's own reading.
struct JpegHeader
{
    int orientation = 1;
    // A profile that cannot serve leaves the numbers as they are.
    ProfileConversion profile;
};

// Reads the header of `data` into `d`; raises what libjpeg finds wrong.
JpegHeader readJpegHeader(JpegDecoder &d, const uint8_t *data, size_t size)
{
    if (!createDecoder(d) || !readHeader(d, data, size))
        throw jpegError(d.err);
    checkBitmapSize(d.cinfo.image_width, d.cinfo.image_height);
    JpegHeader header;
    header.orientation = savedOrientation(d);
    JOCTET *iccData = nullptr;
    unsigned int iccSize = 0;
    if (!readIccProfile(d, iccData, iccSize))
        throw jpegError(d.err);
    const IccBytes icc(iccData);
    if (icc)
        header.profile = srgbConversionFor(icc.get(), iccSize, decodedColours(d));
    return header;
}

// libjpeg's first warning, then why the profile was left unused.
QString decoderWarning(const JpegDecoder &d, const JpegHeader &header)
{
    QString warning = QString::fromLocal8Bit(d.err.firstWarning);
    if (!header.profile.ignored.isEmpty())
        warning += (warning.isEmpty() ? QString() : QStringLiteral("; ")) + header.profile.ignored;
    return warning;
}

} // namespace

void loadJpegData(const uint8_t *data, size_t size, TBitmap32 &bitmap, QString *warning,
                  QSize thumbnailBox)
{
    JpegDecoder d;
    const JpegHeader header = readJpegHeader(d, data, size);
    const int orientation = header.orientation;
    if (thumbnailBox.isValid()) {
        const QSize full =
            OrientedSize(int(d.cinfo.image_width), int(d.cinfo.image_height), orientation);
        if (!scaleOutput(d, thumbnailReduction(full, thumbnailBox)))
            throw jpegError(d.err);
    }
    const int w = int(d.cinfo.image_width * d.cinfo.scale_num + d.cinfo.scale_denom - 1) /
                  int(d.cinfo.scale_denom);
    const int h = int(d.cinfo.image_height * d.cinfo.scale_num + d.cinfo.scale_denom - 1) /
                  int(d.cinfo.scale_denom);
    const QSize shown = OrientedSize(w, h, orientation);
    const SrgbConversion *toSrgb = header.profile.conversion.get();
    const bool sameSize =
        !bitmap.empty() && bitmap.width() == shown.width() && bitmap.height() == shown.height();
    if (!sameSize) {
        // A fresh pixel area is written directly; if decoding fails it is
        // cleared, as a new area reads all zero.
        bitmap.setSizeForOverwrite(shown.width(), shown.height());
        if (!decodePixels(d, DecodedRows(bitmap.bits(), w, h, orientation), toSrgb)) {
            std::memset(bitmap.bits(), 0, size_t(w) * size_t(h) * sizeof(TColor32));
            bitmap.notifyChanged();
            throw jpegError(d.err);
        }
    } else {
        // The bitmap's pixels must survive a failed decode.
        PooledPixels decoded(size_t(w) * size_t(h));
        if (!decodePixels(d, DecodedRows(decoded.data(), w, h, orientation), toSrgb))
            throw jpegError(d.err);
        bitmap.replacePixels(shown.width(), shown.height(), decoded.take());
    }
    if (warning)
        *warning = decoderWarning(d, header);
    bitmap.notifyChanged();
}

namespace {

struct JpegFileDestination
{
    jpeg_destination_mgr pub; // first member: libjpeg sees only this part
    AtomicFile *file;
    std::vector<uint8_t> *buffer;
    bool writeFailed;
};

bool flushDestination(JpegFileDestination *d, size_t bytes)
{
    if (bytes == 0)
        return true;
    return d->file->write(d->buffer->data(), bytes);
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
    JpegEncoder() { cinfo.err = jpegErrorJump(err); }
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
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_compress(&e.cinfo);
    e.created = true;
    return true;
}

// Holding a setjmp: starts compressing a width x height picture into e's
// file, of BGRA words as they lie in memory, or with `fromPlanes` of the
// planes the encoder would make of them (EncoderPlanes), which it then
// encodes alike.
void startCompress(JpegEncoder &e, int width, int height, int quality, bool fromPlanes)
{
    jpeg_compress_struct &c = e.cinfo;
    e.dest.pub.init_destination = jpegInitDestination;
    e.dest.pub.empty_output_buffer = jpegEmptyOutputBuffer;
    e.dest.pub.term_destination = jpegTermDestination;
    c.dest = &e.dest.pub;
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    // BGRA's fourth byte is skipped.
    c.input_components = fromPlanes ? 3 : 4;
    c.in_color_space = fromPlanes ? JCS_YCbCr : JCS_EXT_BGRX;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    c.raw_data_in = fromPlanes ? TRUE : FALSE;
    jpeg_start_compress(&c, TRUE);
}

bool encodePixels(JpegEncoder &e, const TBitmap32 &bitmap, int quality)
{
    if (setjmp(e.err.jump))
        return false;
    jpeg_compress_struct &c = e.cinfo;
    startCompress(e, bitmap.width(), bitmap.height(), quality, false);
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

std::optional<StatStamp> WriteJpegFile(const QString &path, const TBitmap32 &bitmap, int quality,
                                       AtomicBatch *batch)
{
    // A JPEG file holds at least one pixel; an empty one would only look
    // like a picture.
    if (bitmap.empty())
        throw PictavelError(QStringLiteral("Cannot write file %1: the picture is empty").arg(path));
    AtomicFile file(path, batch);
    if (!file.open())
        throw file.error();
    EncodeJpegInto(file, bitmap, quality);
    if (!file.commit())
        throw file.error();
    return file.stamp();
}

void EncodeJpegInto(AtomicFile &file, const TBitmap32 &bitmap, int quality)
{
    thread_local std::vector<uint8_t> buffer(256 * 1024);
    JpegEncoder e;
    e.dest.file = &file;
    e.dest.buffer = &buffer;
    if (!createEncoder(e) || !encodePixels(e, bitmap, quality)) {
        file.cancel();
        if (e.dest.writeFailed)
            throw file.error();
        throw jpegError(e.err);
    }
}

namespace {

// A pixel of the thumbnail and the stored pixel it takes.
struct ThumbSample
{
    int storedX, storedY;
    int x, y;
};

// The decoded rows of a picture on their way: an upright one's into the
// encoder, a turned one's into the encoder's planes; and the pixels of them
// that the thumbnail takes.
struct TranscodedRows
{
    JpegEncoder *encoder;
    EncoderPlanes *planes;
    int width;
    TBitmap32 *thumb;
    // By stored row.
    const std::vector<ThumbSample> *samples;
    size_t nextSample;
};

void takeTranscodedRows(void *context, const uint32_t *rows, JDIMENSION first, JDIMENSION count)
{
    auto &t = *static_cast<TranscodedRows *>(context);
    if (t.planes) {
        t.planes->addRows(rows, int(first), int(count));
    } else {
        JSAMPROW scanlines[DecodedRows::kRows];
        for (JDIMENSION i = 0; i < count; ++i)
            scanlines[i] =
                reinterpret_cast<JSAMPROW>(const_cast<uint32_t *>(rows + i * size_t(t.width)));
        jpeg_write_scanlines(&t.encoder->cinfo, scanlines, count);
    }
    const std::vector<ThumbSample> &samples = *t.samples;
    for (; t.nextSample < samples.size() && samples[t.nextSample].storedY < int(first + count);
         ++t.nextSample) {
        const ThumbSample &s = samples[t.nextSample];
        t.thumb->scanLine(s.y)[s.x] =
            rows[size_t(s.storedY - int(first)) * size_t(t.width) + size_t(s.storedX)];
    }
}

// Holding a setjmp: gives the encoder the planes of a whole turned picture.
void encodePlanes(JpegEncoder &e, EncoderPlanes &planes, int quality)
{
    jpeg_compress_struct &c = e.cinfo;
    if (!planes.complete())
        ERREXIT(&c, JERR_TOO_LITTLE_DATA);
    startCompress(e, planes.shownWidth(), planes.shownHeight(), quality, true);
    for (int row = 0; row < planes.shownHeight(); row += 16) {
        const EncoderPlanes::Rows &rows = planes.shownRows(row);
        JSAMPARRAY image[3] = {const_cast<JSAMPARRAY>(rows.y), const_cast<JSAMPARRAY>(rows.cb),
                               const_cast<JSAMPARRAY>(rows.cr)};
        jpeg_write_raw_data(&c, image, 16);
    }
}

enum class Transcoding { Done, DecoderFailed, EncoderFailed };

// Decodes d's picture through `rows` into the encoder and the thumbnail. An
// encoder's error jumps back here, past the decoder's frames.
Transcoding transcodePixels(JpegDecoder &d, TranscodedRows &rows, int height, int quality,
                            const SrgbConversion *toSrgb)
{
    if (setjmp(rows.encoder->err.jump))
        return Transcoding::EncoderFailed;
    if (!rows.planes)
        startCompress(*rows.encoder, rows.width, height, quality, false);
    if (!decodePixels(d, DecodedRows(rows.width, height, {takeTranscodedRows, &rows}), toSrgb))
        return Transcoding::DecoderFailed;
    if (rows.planes)
        encodePlanes(*rows.encoder, *rows.planes, quality);
    jpeg_finish_compress(&rows.encoder->cinfo);
    return Transcoding::Done;
}

// The stored pixels that MakeThumbnail takes by nearest neighbour for a
// thumbnail fitting the shown picture into `box`, by stored row.
std::vector<ThumbSample> &thumbSamples(int width, int height, int orientation, QSize fit)
{
    thread_local std::vector<ThumbSample> samples;
    thread_local std::vector<int> rows, columns;
    samples.clear();
    if (fit.isEmpty())
        return samples;
    const QSize shown = OrientedSize(width, height, orientation);
    NearestSourceIndices(rows, shown.height(), fit.height());
    NearestSourceIndices(columns, shown.width(), fit.width());
    for (int y = 0; y < fit.height(); ++y)
        for (int x = 0; x < fit.width(); ++x) {
            const QPoint p =
                StoredPixelAt(columns[size_t(x)], rows[size_t(y)], width, height, orientation);
            samples.push_back({p.x(), p.y(), x, y});
        }
    std::stable_sort(
        samples.begin(), samples.end(),
        [](const ThumbSample &a, const ThumbSample &b) { return a.storedY < b.storedY; });
    return samples;
}

} // namespace

bool transcodeJpeg(const uint8_t *data, size_t size, AtomicFile &file, int quality, QSize box,
                   TBitmap32 &thumb, QString *warning)
{
    JpegDecoder d;
    const JpegHeader header = readJpegHeader(d, data, size);
    const int width = int(d.cinfo.image_width);
    const int height = int(d.cinfo.image_height);
    thread_local EncoderPlanes planes;
    const bool turned = header.orientation != 1;
    if (turned && !planes.start(width, height, header.orientation))
        return false;
    const QSize shown = OrientedSize(width, height, header.orientation);
    const QSize fit = box.isEmpty()
                          ? QSize(0, 0)
                          : ThumbnailSize(shown.width(), shown.height(), box.width(), box.height());
    thumb.setSize(fit.width(), fit.height());
    const std::vector<ThumbSample> &samples = thumbSamples(width, height, header.orientation, fit);
    thread_local std::vector<uint8_t> buffer(256 * 1024);
    JpegEncoder e;
    e.dest.file = &file;
    e.dest.buffer = &buffer;
    TranscodedRows rows{&e, turned ? &planes : nullptr, width, &thumb, &samples, 0};
    const Transcoding result = createEncoder(e) ? transcodePixels(d, rows, height, quality,
                                                                  header.profile.conversion.get())
                                                : Transcoding::EncoderFailed;
    planes.release();
    if (result != Transcoding::Done) {
        file.cancel();
        if (result == Transcoding::DecoderFailed)
            throw jpegError(d.err);
        if (e.dest.writeFailed)
            throw file.error();
        throw jpegError(e.err);
    }
    if (warning)
        *warning = decoderWarning(d, header);
    thumb.notifyChanged();
    return true;
}
