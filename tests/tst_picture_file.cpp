#include "base/atomic_file.h"
#include "base/pictavel_error.h"
#include "icc_pictures.h"
#include "imaging/bitmap32.h"
#include "imaging/jpeg_error.h"
#include "imaging/kept_original.h"
#include "imaging/picture_decoders.h"
#include "imaging/picture_file.h"
#include "imaging/picture_prefetch.h"
#include "imaging/thumbnail.h"
#include "test_files.h"
#include "test_pictures.h"
#include "tests/libjpeg_objects.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <gif_lib.h>

namespace {

using PixelFn = std::function<TColor32(int, int)>;

void putLe16(QByteArray &b, uint32_t v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

void putLe32(QByteArray &b, uint32_t v)
{
    putLe16(b, v & 0xFFFF);
    putLe16(b, v >> 16);
}

// A BMP file: file header, 40-byte info header (or the 12-byte core header),
// optional masks and palette, then `bits` as given.
QByteArray makeBmp(int width, int height, int bitCount, uint32_t compression,
                   const QByteArray &extra, const QByteArray &bits, bool coreHeader = false)
{
    QByteArray info;
    if (coreHeader) {
        putLe32(info, 12);
        putLe16(info, uint32_t(width));
        putLe16(info, uint32_t(height));
        putLe16(info, 1);
        putLe16(info, uint32_t(bitCount));
    } else {
        putLe32(info, 40);
        putLe32(info, uint32_t(width));
        putLe32(info, uint32_t(height));
        putLe16(info, 1);
        putLe16(info, uint32_t(bitCount));
        putLe32(info, compression);
        putLe32(info, uint32_t(bits.size()));
        putLe32(info, 2835);
        putLe32(info, 2835);
        putLe32(info, 0);
        putLe32(info, 0);
    }
    QByteArray file("BM");
    const uint32_t offset = uint32_t(14 + info.size() + extra.size());
    putLe32(file, offset + uint32_t(bits.size()));
    putLe32(file, 0);
    putLe32(file, offset);
    return file + info + extra + bits;
}

constexpr TColor32 kPalette[4] = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF3050A0};

QByteArray paletteBytes(int count, bool triples = false)
{
    QByteArray p;
    for (int i = 0; i < count; ++i) {
        const TColor32 c = kPalette[i % 4];
        p.append(char(c & 0xFF));
        p.append(char((c >> 8) & 0xFF));
        p.append(char((c >> 16) & 0xFF));
        if (!triples)
            p.append(char(0));
    }
    return p;
}

// Rows bottom-up (or top-down), each padded to 4 bytes, from a function
// giving the bytes of one pixel row.
QByteArray packRows(int height, bool topDown, const std::function<QByteArray(int y)> &row)
{
    QByteArray out;
    for (int i = 0; i < height; ++i) {
        QByteArray r = row(topDown ? i : height - 1 - i);
        while (r.size() % 4)
            r.append(char(0));
        out += r;
    }
    return out;
}

int indexAt(int x, int y, int colours)
{
    return (x + 2 * y) % colours;
}

QByteArray indexedRow(int width, int bitCount, int y)
{
    QByteArray r((width * bitCount + 7) / 8, 0);
    for (int x = 0; x < width; ++x) {
        const int idx = indexAt(x, y, bitCount == 1 ? 2 : 4);
        if (bitCount == 8)
            r[x] = char(idx);
        else if (bitCount == 4)
            r[x / 2] = char(r[x / 2] | (idx << ((x & 1) ? 0 : 4)));
        else
            r[x / 8] = char(r[x / 8] | (idx << (7 - (x & 7))));
    }
    return r;
}

TColor32 rgb24At(int x, int y)
{
    return 0xFF000000u | uint32_t(x * 40) << 16 | uint32_t(y * 50) << 8 |
           uint32_t((x * y * 10) & 255);
}

uint32_t expand(uint32_t v, uint32_t max)
{
    return (v * 255 + max / 2) / max;
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

void expectPixels(const TBitmap32 &b, int w, int h, const PixelFn &expected)
{
    QCOMPARE(b.width(), w);
    QCOMPARE(b.height(), h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (b.pixel(x, y) != expected(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(b.pixel(x, y), 8, 16)
                                     .arg(expected(x, y), 8, 16)));
}

// A bitmap the failed loads must leave exactly as it is.
void fillSentinel(TBitmap32 &b)
{
    b.setSize(3, 2);
    for (int i = 0; i < 6; ++i)
        b.bits()[i] = 0x01020304u * TColor32(i + 1);
}

bool isSentinel(const TBitmap32 &b)
{
    if (b.width() != 3 || b.height() != 2)
        return false;
    for (int i = 0; i < 6; ++i)
        if (b.bits()[i] != 0x01020304u * TColor32(i + 1))
            return false;
    return true;
}

struct JpegLayout
{
    int width, height;
    int components;      // 1 grey, 2 unnamed, 3 RGB, 4 CMYK as Adobe stores it
    J_COLOR_SPACE coded; // JCS_UNKNOWN: libjpeg's default for the input
    bool adobeMarker;    // with CMYK or YCCK coding
    bool progressive;
};

// The libjpeg side of writeJpegDirect; `samples` holds the rows one after
// another.
bool compressSamples(Compressor &e, FILE *f, const JpegLayout &l, const uint8_t *samples,
                     const QByteArray &app1)
{
    jpeg_compress_struct &c = e.c;
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = JDIMENSION(l.width);
    c.image_height = JDIMENSION(l.height);
    c.input_components = l.components;
    c.in_color_space = l.components == 1   ? JCS_GRAYSCALE
                       : l.components == 3 ? JCS_RGB
                       : l.components == 4 ? JCS_CMYK
                                           : JCS_UNKNOWN;
    jpeg_set_defaults(&c);
    if (l.coded != JCS_UNKNOWN) {
        jpeg_set_colorspace(&c, l.coded);
        c.write_Adobe_marker = l.adobeMarker;
    }
    jpeg_set_quality(&c, 95, TRUE);
    if (l.progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    if (!app1.isEmpty())
        jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET *>(app1.constData()),
                          unsigned(app1.size()));
    const size_t stride = size_t(l.width) * size_t(l.components);
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = const_cast<JSAMPROW>(samples + c.next_scanline * stride);
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    return true;
}

// Writes a JPEG with libjpeg directly, `sample(x, y, k)` giving component k
// of each pixel, with an optional APP1 segment.
bool writeJpegDirect(const QString &path, int w, int h, int components,
                     const std::function<uint8_t(int, int, int)> &sample,
                     const QByteArray &app1 = QByteArray(), bool progressive = false,
                     J_COLOR_SPACE coded = JCS_UNKNOWN, bool adobeMarker = true)
{
    std::vector<uint8_t> samples(size_t(w) * size_t(h) * size_t(components));
    uint8_t *p = samples.data();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < components; ++k)
                *p++ = sample(x, y, k);
    FilePtr f(std::fopen(QFile::encodeName(path).constData(), "wb"));
    if (!f)
        return false;
    Compressor e;
    return compressSamples(e, f.get(), {w, h, components, coded, adobeMarker, progressive},
                           samples.data(), app1);
}

// Where the shown pixel (x, y) of a w x h stored picture comes from under an
// EXIF orientation.
QPoint storedPoint(int x, int y, int w, int h, int orientation)
{
    switch (orientation) {
    case 2:
        return {w - 1 - x, y};
    case 3:
        return {w - 1 - x, h - 1 - y};
    case 4:
        return {x, h - 1 - y};
    case 5:
        return {y, x};
    case 6:
        return {y, h - 1 - x};
    case 7:
        return {w - 1 - y, h - 1 - x};
    case 8:
        return {w - 1 - y, x};
    default:
        return {x, y};
    }
}

bool sameWithin(TColor32 a, TColor32 b, int tolerance)
{
    for (int shift : {0, 8, 16, 24})
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > tolerance)
            return false;
    return true;
}

struct JpegFacts
{
    int width = 0;
    int height = 0;
    int components = 0;
    int colorSpace = JCS_UNKNOWN;
    bool progressive = false;
    bool baseline = false;
    std::vector<int> lumaTable;
};

bool readFacts(Decompressor &e, const QByteArray &data, JpegFacts &facts)
{
    jpeg_decompress_struct &d = e.d;
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, reinterpret_cast<const unsigned char *>(data.constData()),
                 (unsigned long)data.size());
    jpeg_read_header(&d, TRUE);
    facts.width = int(d.image_width);
    facts.height = int(d.image_height);
    facts.components = d.num_components;
    facts.colorSpace = d.jpeg_color_space;
    facts.progressive = d.progressive_mode;
    if (d.quant_tbl_ptrs[0])
        for (int i = 0; i < DCTSIZE2; ++i)
            facts.lumaTable.push_back(d.quant_tbl_ptrs[0]->quantval[i]);
    return true;
}

JpegFacts readJpegFacts(const QString &path)
{
    JpegFacts facts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return facts;
    const QByteArray data = file.readAll();
    facts.baseline = data.contains(QByteArray("\xFF\xC0", 2));
    Decompressor e;
    if (!readFacts(e, data, facts))
        return {};
    return facts;
}

bool defaultLumaTable(Compressor &e, int quality, std::vector<int> &table)
{
    jpeg_compress_struct &c = e.c;
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_compress(&c);
    c.in_color_space = JCS_RGB;
    c.input_components = 3;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    for (int i = 0; i < DCTSIZE2; ++i)
        table.push_back(c.quant_tbl_ptrs[0]->quantval[i]);
    return true;
}

// The luminance table libjpeg makes for a quality, in natural order like the
// decoder's.
std::vector<int> lumaTableForQuality(int quality)
{
    Compressor e;
    std::vector<int> table;
    if (!defaultLumaTable(e, quality, table))
        return {};
    return table;
}

// A GIF through giflib's encoder: each frame is (left, top, width, height,
// transparent index or -1, indices row by row).
struct GifFrame
{
    int left, top, width, height, transparent;
    std::vector<uint8_t> indices;
    bool interlace = false;
};

bool writeGif(const QString &path, int sw, int sh, const std::vector<GifFrame> &frames)
{
    int error = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    if (!gif)
        return false;
    GifColorType colours[4];
    for (int i = 0; i < 4; ++i) {
        colours[i].Red = GifByteType(kPalette[i] >> 16);
        colours[i].Green = GifByteType(kPalette[i] >> 8);
        colours[i].Blue = GifByteType(kPalette[i]);
    }
    ColorMapObject *map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, sw, sh, 2, 0, map) == GIF_OK;
    for (const GifFrame &f : frames) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.TransparentColor = f.transparent < 0 ? NO_TRANSPARENT_COLOR : f.transparent;
        GifByteType ext[4];
        EGifGCBToExtension(&gcb, ext);
        ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK;
        ok = ok && EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, nullptr) ==
                       GIF_OK;
        const int passStart[4] = {0, 4, 2, 1}, passStep[4] = {8, 8, 4, 2};
        std::vector<int> order;
        if (f.interlace) {
            for (int p = 0; p < 4; ++p)
                for (int y = passStart[p]; y < f.height; y += passStep[p])
                    order.push_back(y);
        } else {
            for (int y = 0; y < f.height; ++y)
                order.push_back(y);
        }
        for (int y : order)
            ok = ok && EGifPutLine(
                           gif, const_cast<GifPixelType *>(f.indices.data() + size_t(y * f.width)),
                           f.width) == GIF_OK;
    }
    GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    return ok;
}

QString errorOfLoad(const QString &path, TBitmap32 &b)
{
    try {
        LoadPicture(path, b);
    } catch (const PictavelError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestPictureFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void keptOriginalTurnsLosslessly_data();
    void keptOriginalTurnsLosslessly();
    void keptOriginalKeepsOnlyItsProfile();
    void keptOriginalHidesNothing_data();
    void keptOriginalHidesNothing();
    void keptOriginalRefusesWhatIsNotExact();
    void missingFileLeavesBitmap();
    void unknownExtension();
    void extensionIgnoresCase();
    void bmpDepths_data();
    void bmpDepths();
    void bmpRunLength_data();
    void bmpRunLength();
    void bmpMalformed_data();
    void bmpMalformed();
    void jpegRoundTrip();
    void jpegGreyscale();
    void jpegProgressive();
    void jpegOrientation_data();
    void jpegOrientation();
    void jpegMalformed();
    void jpegTruncatedShowsWhatIsThere();
    void jpegDecodeErrorAfterSizeIsTaken();
    void jpegCmyk_data();
    void jpegCmyk();
    void jpegTranscodedAsDecodedThenEncoded_data();
    void jpegTranscodedAsDecodedThenEncoded();
    void gifFirstFrameOverPixels();
    void gifInterlaced();
    void gifMalformed_data();
    void gifMalformed();
    void prefetchGivesWhatLoadGives();
    void writeEmptyBitmap();
    void writeFailureKeepsOldFile();
    void writeWhateverTheName();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void loadRefuses(const QString &name);
    QTemporaryDir m_dir;
};

void TestPictureFile::init()
{
    QVERIFY(m_dir.isValid());
    // Kept on request, as seeds for the decoders' fuzz targets.
    m_dir.setAutoRemove(qEnvironmentVariableIsEmpty("PICTAVEL_KEEP_TEST_FILES"));
}

void TestPictureFile::missingFileLeavesBitmap()
{
    TBitmap32 b;
    fillSentinel(b);
    int notified = 0;
    b.addChangeHandler([&] { ++notified; });
    LoadPicture(path("nothing-here.jpg"), b);
    LoadPicture(path("nothing-here.png"), b);
    QVERIFY(isSentinel(b));
    QCOMPARE(notified, 0);
}

void TestPictureFile::unknownExtension()
{
    writeFile(path("a.png"), "data");
    writeFile(path("noext"), "data");
    writeFile(path("b.Tiff"), "data");
    TBitmap32 b;
    fillSentinel(b);
    QCOMPARE(errorOfLoad(path("a.png"), b),
             QStringLiteral("Unknown picture file extension (.png)"));
    QCOMPARE(errorOfLoad(path("noext"), b), QStringLiteral("Unknown picture file extension (.)"));
    QCOMPARE(errorOfLoad(path("b.Tiff"), b),
             QStringLiteral("Unknown picture file extension (.Tiff)"));
    QVERIFY(isSentinel(b));
}

void TestPictureFile::extensionIgnoresCase()
{
    TBitmap32 src;
    src.setSize(16, 8);
    for (int i = 0; i < 128; ++i)
        src.bits()[i] = 0xFF000000u | TColor32(i * 2) << 8;
    WriteJpegFile(path("photo.jpg"), src, 90);
    QVERIFY(QFile::copy(path("photo.jpg"), path("PHOTO.JPG")));
    QVERIFY(QFile::copy(path("photo.jpg"), path("photo.JpEg")));
    QVERIFY(QFile::copy(path("photo.jpg"), path("photo.bmp")));
    TBitmap32 a, b, c;
    LoadPicture(path("photo.jpg"), a);
    LoadPicture(path("PHOTO.JPG"), b);
    LoadPicture(path("photo.JpEg"), c);
    QCOMPARE(b.width(), 16);
    QVERIFY(std::equal(a.bits(), a.bits() + 128, b.bits()));
    QVERIFY(std::equal(a.bits(), a.bits() + 128, c.bits()));
    // The extension decides, not the content.
    TBitmap32 d;
    QCOMPARE(errorOfLoad(path("photo.bmp"), d), QStringLiteral("Bitmap image is not valid"));
}

void TestPictureFile::bmpDepths_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("kind");
    constexpr int w = 5, h = 3;
    enum { Indexed, Rgb24, Rgb555, Rgb565, Argb32, Masked32 };
    for (int bpp : {1, 4, 8}) {
        const int colours = 1 << bpp;
        QTest::addRow("%d bits", bpp)
            << makeBmp(w, h, bpp, 0, paletteBytes(colours),
                       packRows(h, false, [&](int y) { return indexedRow(w, bpp, y); }))
            << (Indexed | bpp << 8);
    }
    QTest::newRow("8 bits, core header")
        << makeBmp(w, h, 8, 0, paletteBytes(256, true),
                   packRows(h, false, [&](int y) { return indexedRow(w, 8, y); }), true)
        << (Indexed | 8 << 8);
    auto rgbRow = [](int y) {
        QByteArray r;
        for (int x = 0; x < w; ++x) {
            const TColor32 c = rgb24At(x, y);
            r.append(char(c & 0xFF));
            r.append(char((c >> 8) & 0xFF));
            r.append(char((c >> 16) & 0xFF));
        }
        return r;
    };
    QTest::newRow("24 bits") << makeBmp(w, h, 24, 0, {}, packRows(h, false, rgbRow)) << int(Rgb24);
    QTest::newRow("24 bits, top-down")
        << makeBmp(w, -h, 24, 0, {}, packRows(h, true, rgbRow)) << int(Rgb24);
    QTest::newRow("24 bits, core header")
        << makeBmp(w, h, 24, 0, {}, packRows(h, false, rgbRow), true) << int(Rgb24);
    auto row16 = [](int redShift, int greenBits) {
        return [=](int y) {
            QByteArray r;
            for (int x = 0; x < w; ++x)
                putLe16(r, uint32_t(x * 6) << redShift | uint32_t(y * 9 % (1 << greenBits)) << 5 |
                               uint32_t(x + y));
            return r;
        };
    };
    QTest::newRow("16 bits") << makeBmp(w, h, 16, 0, {}, packRows(h, false, row16(10, 5)))
                             << int(Rgb555);
    QByteArray masks565;
    putLe32(masks565, 0xF800);
    putLe32(masks565, 0x07E0);
    putLe32(masks565, 0x001F);
    QTest::newRow("16 bits, bit fields")
        << makeBmp(w, h, 16, 3, masks565, packRows(h, false, row16(11, 6))) << int(Rgb565);
    auto row32 = [](int y) {
        QByteArray r;
        for (int x = 0; x < w; ++x)
            putLe32(r, (rgb24At(x, y) & 0xFFFFFF) | uint32_t(x * 30 + y) << 24);
        return r;
    };
    QTest::newRow("32 bits keeps alpha")
        << makeBmp(w, h, 32, 0, {}, packRows(h, false, row32)) << int(Argb32);
    QByteArray masks32;
    putLe32(masks32, 0xFF0000);
    putLe32(masks32, 0xFF00);
    putLe32(masks32, 0xFF);
    QTest::newRow("32 bits, bit fields")
        << makeBmp(w, h, 32, 3, masks32, packRows(h, false, row32)) << int(Argb32);
    QByteArray swapped;
    putLe32(swapped, 0xFF);
    putLe32(swapped, 0xFF00);
    putLe32(swapped, 0xFF0000);
    QTest::newRow("32 bits, red and blue swapped")
        << makeBmp(w, h, 32, 3, swapped, packRows(h, false, row32)) << int(Masked32);
}

void TestPictureFile::bmpDepths()
{
    QFETCH(QByteArray, file);
    QFETCH(int, kind);
    writeFile(path("p.bmp"), file);
    TBitmap32 b;
    int notified = 0;
    b.addChangeHandler([&] { ++notified; });
    LoadPicture(path("p.bmp"), b);
    QVERIFY(notified >= 1);
    const int bpp = kind >> 8;
    switch (kind & 0xFF) {
    case 0:
        expectPixels(b, 5, 3,
                     [&](int x, int y) { return kPalette[indexAt(x, y, bpp == 1 ? 2 : 4)]; });
        break;
    case 1:
        expectPixels(b, 5, 3, rgb24At);
        break;
    case 2:
    case 3: {
        const bool is565 = (kind & 0xFF) == 3;
        expectPixels(b, 5, 3, [&](int x, int y) {
            const uint32_t gmax = is565 ? 63 : 31;
            return 0xFF000000u | expand(uint32_t(x * 6), 31) << 16 |
                   expand(uint32_t(y * 9) % (gmax + 1), gmax) << 8 | expand(uint32_t(x + y), 31);
        });
        break;
    }
    case 4:
        expectPixels(b, 5, 3, [](int x, int y) {
            return (rgb24At(x, y) & 0xFFFFFF) | uint32_t(x * 30 + y) << 24;
        });
        break;
    case 5:
        expectPixels(b, 5, 3, [](int x, int y) {
            const TColor32 c = rgb24At(x, y);
            return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF);
        });
        break;
    }
}

void TestPictureFile::bmpRunLength_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<int>>("indices"); // top row first, -1 = skipped (black)
    // 4 x 3, rows bottom-up: a run, an absolute run with padding, a delta.
    const QByteArray rle8(
        "\x02\x01\x00\x03\x02\x03\x01\x00\x00\x00" // bottom row: 1 1 | 2 3 (1 clipped), EOL
        "\x00\x02\x01\x00"                         // delta: right 1, same row
        "\x03\x02\x00\x00"                         // run 2 2 2, EOL
        "\x04\x03\x00\x01",                        // top row 3 3 3 3, end
        22);
    QTest::newRow("RLE8") << makeBmp(4, 3, 8, 1, paletteBytes(256), rle8)
                          << QList<int>{3, 3, 3, 3, -1, 2, 2, 2, 1, 1, 2, 3};
    const QByteArray rle4("\x04\x12\x00\x00"  // bottom row: 1 2 1 2
                          "\x00\x03\x30\x20"  // absolute 3 nibbles: 3 0 2, padded
                          "\x00\x00"          // end of line
                          "\x02\x33\x00\x01", // top row: 3 3, end
                          14);
    QTest::newRow("RLE4") << makeBmp(4, 3, 4, 2, paletteBytes(16), rle4)
                          << QList<int>{3, 3, -1, -1, 3, 0, 2, -1, 1, 2, 1, 2};
}

void TestPictureFile::bmpRunLength()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, indices);
    writeFile(path("r.bmp"), file);
    TBitmap32 b;
    LoadPicture(path("r.bmp"), b);
    expectPixels(b, 4, 3, [&](int x, int y) {
        const int i = indices[y * 4 + x];
        return i < 0 ? 0xFF000000u : kPalette[i];
    });
}

void TestPictureFile::bmpMalformed_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    const QString invalid = QStringLiteral("Bitmap image is not valid");
    const QString tooBig = QStringLiteral("picture too large: %1 x %2");
    const QByteArray good = makeBmp(5, 3, 24, 0, {}, QByteArray(48, '\x10'));
    QTest::newRow("truncated pixels") << good.left(good.size() - 5) << invalid;
    QTest::newRow("truncated header") << good.left(20) << invalid;
    QByteArray magic = good;
    magic[0] = 'X';
    QTest::newRow("wrong magic") << magic << invalid;
    QTest::newRow("wide") << makeBmp(40000, 1, 24, 0, {}, QByteArray(120000, 0))
                          << tooBig.arg(40000).arg(1);
    QTest::newRow("huge area") << makeBmp(30000, 30000, 1, 0, paletteBytes(2), QByteArray(64, 0))
                               << tooBig.arg(30000).arg(30000);
    QTest::newRow("zero width") << makeBmp(0, 3, 24, 0, {}, QByteArray(48, 0)) << invalid;
    QTest::newRow("odd depth") << makeBmp(5, 3, 7, 0, {}, QByteArray(48, 0)) << invalid;
    QTest::newRow("jpeg compression") << makeBmp(5, 3, 24, 4, {}, QByteArray(48, 0)) << invalid;
    QTest::newRow("palette past the end")
        << makeBmp(2, 1, 8, 0, paletteBytes(3), QByteArray(4, 0)).left(14 + 40 + 8) << invalid;
    QByteArray offset = good;
    offset[10] = char(0xF0);
    offset[11] = char(0xFF);
    QTest::newRow("offset past the end") << offset << invalid;
    QTest::newRow("RLE without end")
        << makeBmp(4, 3, 8, 1, paletteBytes(256), QByteArray("\x02\x01\x02\x01", 4)) << invalid;
    QTest::newRow("RLE absolute run past the end")
        << makeBmp(4, 3, 8, 1, paletteBytes(256), QByteArray("\x00\x40\x01\x02", 4)) << invalid;
    QTest::newRow("RLE top-down") << makeBmp(4, -3, 8, 1, paletteBytes(256),
                                             QByteArray("\x00\x01", 2))
                                  << invalid;
    QTest::newRow("empty") << QByteArray() << invalid;
}

// The current row's file, saved under `name`, fails with the row's message
// and leaves the bitmap as it was.
void TestPictureFile::loadRefuses(const QString &name)
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    writeFile(path(name), file);
    TBitmap32 b;
    fillSentinel(b);
    QCOMPARE(errorOfLoad(path(name), b), message);
    QVERIFY(isSentinel(b));
}

void TestPictureFile::bmpMalformed()
{
    loadRefuses(QStringLiteral("bad.bmp"));
}

void TestPictureFile::jpegRoundTrip()
{
    TBitmap32 src;
    src.setSize(37, 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            src.setPixel(
                x, y, 0x12000000u | uint32_t(x * 6) << 16 | uint32_t(y * 10) << 8 | uint32_t(128));
    WriteJpegFile(path("out.jpg"), src, 90);
    const JpegFacts facts = readJpegFacts(path("out.jpg"));
    QCOMPARE(facts.width, 37);
    QCOMPARE(facts.height, 23);
    QCOMPARE(facts.components, 3);
    QVERIFY(!facts.progressive);
    QVERIFY(facts.baseline);
    QCOMPARE(facts.lumaTable, lumaTableForQuality(90));

    TBitmap32 back;
    fillSentinel(back);
    LoadPicture(path("out.jpg"), back);
    QCOMPARE(back.width(), 37);
    QCOMPARE(back.height(), 23);
    for (int y = 0; y < 23; ++y) {
        for (int x = 0; x < 37; ++x) {
            const TColor32 a = src.pixel(x, y), b = back.pixel(x, y);
            QCOMPARE(b >> 24, 255u);
            for (int shift : {0, 8, 16})
                QVERIFY2(std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) <= 12,
                         qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        }
    }
    // Loading again into a bitmap of the same size replaces the pixels.
    TBitmap32 other;
    other.setSize(37, 23);
    LoadPicture(path("out.jpg"), other);
    QVERIFY(std::equal(back.bits(), back.bits() + 37 * 23, other.bits()));

    WriteJpegFile(path("q50.jpg"), src, 50);
    QCOMPARE(readJpegFacts(path("q50.jpg")).lumaTable, lumaTableForQuality(50));
}

void TestPictureFile::jpegGreyscale()
{
    QVERIFY(
        writeJpegDirect(path("grey.jpg"), 256, 16, 1, [](int x, int, int) { return uint8_t(x); }));
    TBitmap32 b;
    LoadPicture(path("grey.jpg"), b);
    QCOMPARE(b.width(), 256);
    QSet<uint32_t> levels;
    for (int i = 0; i < 256 * 16; ++i) {
        const TColor32 p = b.bits()[i];
        QCOMPARE(p >> 24, 255u);
        QCOMPARE((p >> 16) & 255, p & 255);
        QCOMPARE((p >> 8) & 255, p & 255);
        levels.insert(p & 255);
    }
    // Quantised to 236 levels: some of the 256 input levels cannot appear,
    // yet the picture still spans the range.
    QVERIFY(levels.size() <= 236);
    QVERIFY(levels.size() > 100);
    QVERIFY(levels.contains(0));
    QVERIFY(levels.contains(255));

    // Turned, over more than one batch of decoded rows: every pixel is the
    // upright decode's pixel it shows.
    const auto sample = [](int x, int y, int) {
        return uint8_t(x * 7 + y * 3);
    };
    QVERIFY(writeJpegDirect(path("grey1.jpg"), 40, 37, 1, sample));
    QVERIFY(writeJpegDirect(path("grey8.jpg"), 40, 37, 1, sample, exifWithOrientation(8, false)));
    TBitmap32 upright, turned;
    LoadPicture(path("grey1.jpg"), upright);
    LoadPicture(path("grey8.jpg"), turned);
    QCOMPARE(turned.width(), 37);
    QCOMPARE(turned.height(), 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 37; ++x) {
            const QPoint s = storedPoint(x, y, 40, 37, 8);
            QCOMPARE(turned.pixel(x, y), upright.pixel(s.x(), s.y()));
        }
}

void TestPictureFile::jpegProgressive()
{
    auto sample = [](int x, int y, int k) {
        return uint8_t(k == 1 ? 200 - y * 3 : x * 5 + k * 20);
    };
    QVERIFY(
        writeJpegDirect(path("prog.jpg"), 40, 30, 3, sample, exifWithOrientation(6, false), true));
    QVERIFY(readJpegFacts(path("prog.jpg")).progressive);
    TBitmap32 b;
    LoadPicture(path("prog.jpg"), b);
    // Turned a quarter clockwise: the stored bottom-left corner is shown at
    // the top left.
    QCOMPARE(b.width(), 30);
    QCOMPARE(b.height(), 40);
    for (int y = 0; y < 40; y += 7) {
        for (int x = 0; x < 30; x += 7) {
            const int sx = y, sy = 29 - x;
            const TColor32 p = b.pixel(x, y);
            QCOMPARE(p >> 24, 255u);
            QVERIFY(std::abs(int((p >> 16) & 255) - sample(sx, sy, 0)) <= 12);
            QVERIFY(std::abs(int((p >> 8) & 255) - sample(sx, sy, 1)) <= 12);
        }
    }
}

void TestPictureFile::jpegOrientation_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("bigEndian");
    for (int o = 1; o <= 8; ++o) {
        QTest::addRow("%d, Intel", o) << o << false;
        QTest::addRow("%d, Motorola", o) << o << true;
    }
}

void TestPictureFile::jpegOrientation()
{
    QFETCH(int, orientation);
    QFETCH(bool, bigEndian);
    // 48 x 32 in 16 x 16 blocks of six distinct colours, as stored.
    const TColor32 blockColours[6] = {0xFF000000, 0xFFFF0000, 0xFF00FF00,
                                      0xFF0000FF, 0xFFFFFF00, 0xFFFFFFFF};
    auto stored = [&](int x, int y) {
        return blockColours[(y / 16) * 3 + x / 16];
    };
    QVERIFY(writeJpegDirect(
        path("o.jpg"), 48, 32, 3,
        [&](int x, int y, int k) { return uint8_t(stored(x, y) >> (16 - 8 * k)); },
        exifWithOrientation(orientation, bigEndian)));
    TBitmap32 b;
    LoadPicture(path("o.jpg"), b);
    const bool swap = orientation >= 5;
    QCOMPARE(b.width(), swap ? 32 : 48);
    QCOMPARE(b.height(), swap ? 48 : 32);
    for (int y = 8; y < b.height(); y += 16) {
        for (int x = 8; x < b.width(); x += 16) {
            const QPoint s = storedPoint(x, y, 48, 32, orientation);
            const TColor32 want = stored(s.x(), s.y()), got = b.pixel(x, y);
            QVERIFY2(sameWithin(want, got, 16),
                     qPrintable(QStringLiteral("(%1, %2): %3").arg(x).arg(y).arg(got, 8, 16)));
        }
    }
}

void TestPictureFile::jpegMalformed()
{
    TBitmap32 b;
    fillSentinel(b);
    writeFile(path("text.jpg"), "this is not a picture");
    const QString notJpeg = errorOfLoad(path("text.jpg"), b);
    QVERIFY2(notJpeg.startsWith(QStringLiteral("JPEG error #")), qPrintable(notJpeg));
    QVERIFY(isSentinel(b));

    writeFile(path("empty.jpg"), QByteArray());
    QVERIFY(errorOfLoad(path("empty.jpg"), b).startsWith(QStringLiteral("JPEG error #")));
    QVERIFY(isSentinel(b));

    // A valid small file whose frame header claims 40000 x 40000.
    TBitmap32 small;
    small.setSize(8, 8);
    WriteJpegFile(path("small.jpg"), small, 90);
    QFile f(path("small.jpg"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray data = f.readAll();
    f.close();
    const qsizetype sof = data.indexOf(QByteArray("\xFF\xC0", 2));
    QVERIFY(sof > 0);
    data[sof + 5] = char(40000 >> 8);
    data[sof + 6] = char(40000 & 0xFF);
    data[sof + 7] = char(40000 >> 8);
    data[sof + 8] = char(40000 & 0xFF);
    writeFile(path("huge.jpg"), data);
    QCOMPARE(errorOfLoad(path("huge.jpg"), b), QStringLiteral("picture too large: 40000 x 40000"));
    QVERIFY(isSentinel(b));
}

void TestPictureFile::jpegTruncatedShowsWhatIsThere()
{
    QVERIFY(writeJpegDirect(path("full.jpg"), 64, 64, 3,
                            [](int x, int y, int k) { return uint8_t(k == 0 ? x * 4 : y * 4); }));
    QFile f(path("full.jpg"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    writeFile(path("cut.jpg"), data.left(data.size() * 2 / 3));
    TBitmap32 b;
    LoadPicture(path("cut.jpg"), b);
    QCOMPARE(b.width(), 64);
    QCOMPARE(b.height(), 64);
    QCOMPARE(b.pixel(0, 0) >> 24, 255u);
}

void TestPictureFile::jpegDecodeErrorAfterSizeIsTaken()
{
    // A file of two unnamed components passes the header but has no
    // conversion for display: the bitmap has taken the picture's size when
    // the error comes.
    QVERIFY(
        writeJpegDirect(path("two.jpg"), 16, 8, 2, [](int, int, int) { return uint8_t(0x70); }));

    TBitmap32 other;
    fillSentinel(other);
    QVERIFY(errorOfLoad(path("two.jpg"), other).startsWith(QStringLiteral("JPEG error #")));
    QCOMPARE(other.width(), 16);
    QCOMPARE(other.height(), 8);
    QCOMPARE(std::count(other.bits(), other.bits() + 128, 0u), 128);

    TBitmap32 same;
    same.setSize(16, 8);
    std::fill(same.bits(), same.bits() + 128, 0xFF0A0B0Cu);
    QVERIFY(errorOfLoad(path("two.jpg"), same).startsWith(QStringLiteral("JPEG error #")));
    QCOMPARE(std::count(same.bits(), same.bits() + 128, 0xFF0A0B0Cu), 128);
}

void TestPictureFile::jpegCmyk_data()
{
    QTest::addColumn<int>("coded");
    QTest::addColumn<bool>("adobeMarker");
    QTest::addColumn<int>("orientation");
    QTest::newRow("CMYK") << int(JCS_CMYK) << true << 1;
    QTest::newRow("YCCK") << int(JCS_YCCK) << true << 1;
    QTest::newRow("CMYK, turned a quarter") << int(JCS_CMYK) << true << 6;
    QTest::newRow("CMYK without Adobe's marker") << int(JCS_CMYK) << false << 1;
}

void TestPictureFile::jpegCmyk()
{
    QFETCH(int, coded);
    QFETCH(bool, adobeMarker);
    QFETCH(int, orientation);
    // 48 x 32 in 16 x 16 blocks of inks as Adobe stores them, inverted (255
    // is no ink); a file without the marker holds them as they are.
    struct InkBlock
    {
        uint8_t inks[4];
        TColor32 shown;
    };
    const InkBlock blocks[6] = {
        {{255, 0, 0, 255}, 0xFFFF0000},   {{0, 255, 0, 255}, 0xFF00FF00},
        {{0, 0, 255, 255}, 0xFF0000FF},   {{255, 255, 255, 255}, 0xFFFFFFFF},
        {{255, 255, 255, 0}, 0xFF000000}, {{200, 100, 50, 128}, 0xFF643219},
    };
    auto block = [&](int x, int y) -> const InkBlock & {
        return blocks[(y / 16) * 3 + x / 16];
    };
    QVERIFY(writeJpegDirect(
        path("cmyk.jpg"), 48, 32, 4,
        [&](int x, int y, int k) {
            const uint8_t ink = block(x, y).inks[k];
            return adobeMarker ? ink : uint8_t(255 - ink);
        },
        orientation == 1 ? QByteArray() : exifWithOrientation(orientation, false), false,
        J_COLOR_SPACE(coded), adobeMarker));
    QCOMPARE(readJpegFacts(path("cmyk.jpg")).colorSpace, coded);
    TBitmap32 b;
    LoadPicture(path("cmyk.jpg"), b);
    const bool swap = orientation >= 5;
    QCOMPARE(b.width(), swap ? 32 : 48);
    QCOMPARE(b.height(), swap ? 48 : 32);
    for (int y = 8; y < b.height(); y += 16) {
        for (int x = 8; x < b.width(); x += 16) {
            const QPoint s = storedPoint(x, y, 48, 32, orientation);
            const TColor32 got = b.pixel(x, y);
            QVERIFY2(sameWithin(block(s.x(), s.y()).shown, got, 12),
                     qPrintable(QStringLiteral("(%1, %2): %3").arg(x).arg(y).arg(got, 8, 16)));
        }
    }
}

void TestPictureFile::jpegTranscodedAsDecodedThenEncoded_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("size");
    const QSize odd(45, 37);
    for (const char *kind : {"colour", "progressive", "grey", "CMYK", "Adobe RGB", "truncated"})
        QTest::newRow(kind) << QString::fromLatin1(kind) << QSize(20, 20) << 1 << odd;
    QTest::newRow("smaller than the box") << "colour" << QSize(64, 64) << 1 << odd;
    QTest::newRow("damaged") << "damaged" << QSize(20, 20) << 1 << odd;
    // Turned and mirrored pictures go through the encoder's planes, whose
    // pairs of rows and columns, and the edges libjpeg repeats, depend on
    // the sides' parity and on whether they are whole blocks.
    for (int orientation = 2; orientation <= 8; ++orientation)
        QTest::addRow("orientation %d", orientation)
            << "colour" << QSize(20, 20) << orientation << odd;
    for (const QSize size :
         {QSize(1, 1), QSize(2, 3), QSize(16, 16), QSize(17, 32), QSize(46, 38), QSize(64, 48)})
        for (int orientation : {3, 6, 7})
            QTest::addRow("%dx%d, orientation %d", size.width(), size.height(), orientation)
                << "colour" << QSize(20, 20) << orientation << size;
    QTest::newRow("grey, turned") << "grey" << QSize(20, 20) << 8 << odd;
    QTest::newRow("truncated, turned") << "truncated" << QSize(20, 20) << 5 << odd;
}

// Decoding a JPEG file strip by strip into the encoder and the thumbnail
// gives the bytes and pixels of decoding it whole as shown, encoding that
// and fitting it into the box by nearest neighbour; a damaged one raises
// libjpeg's error, giving the file up.
void TestPictureFile::jpegTranscodedAsDecodedThenEncoded()
{
    QFETCH(QString, kind);
    QFETCH(QSize, box);
    QFETCH(int, orientation);
    QFETCH(QSize, size);
    const QString source = path("source.jpg");
    const auto sample = [](int x, int y, int k) {
        return uint8_t(x * 5 + y * 3 * k + k * 40 + (x * y) % 7 * 9);
    };
    const int components = kind == "grey" ? 1 : kind == "CMYK" ? 4 : kind == "damaged" ? 2 : 3;
    if (kind == "Adobe RGB")
        QVERIFY(icc::writeJpeg(source, {size.width(), size.height(), 3, false, 90}, sample,
                               icc::markers(icc::bytes(icc::adobeRgb().get()))));
    else
        QVERIFY(writeJpegDirect(source, size.width(), size.height(), components, sample,
                                orientation != 1 ? exifWithOrientation(orientation, false)
                                                 : QByteArray(),
                                kind == "progressive", kind == "CMYK" ? JCS_CMYK : JCS_UNKNOWN));
    if (kind == "truncated") {
        const QByteArray whole = readBytes(source);
        writeFile(source, whole.left(whole.size() * 2 / 3));
    }
    const QByteArray bytes = readBytes(source);
    TBitmap32 thumb;
    thumb.setSize(1, 1);
    QString warning;
    AtomicFile file(path("made.jpg"));
    QVERIFY(file.open());
    const auto transcode = [&] {
        return transcodeJpeg(reinterpret_cast<const uint8_t *>(bytes.constData()),
                             size_t(bytes.size()), file, 90, box, thumb, &warning);
    };
    if (kind == "damaged") {
        try {
            transcode();
            QFAIL("no error");
        } catch (const PictavelError &error) {
            QVERIFY2(error.message().startsWith(QStringLiteral("JPEG error #")),
                     qPrintable(error.message()));
        }
        QVERIFY(QDir(m_dir.path())
                    .entryList(QStringList{".pictavel-*"}, QDir::Files | QDir::Hidden)
                    .isEmpty());
        return;
    }

    TBitmap32 picture, expectedThumb;
    QString expectedWarning;
    LoadPicture(source, picture, &expectedWarning);
    MakeThumbnail(picture, box.width(), box.height(), expectedThumb, false);
    WriteJpegFile(path("expected.jpg"), picture, 90);
    QVERIFY(transcode());
    QVERIFY(file.commit());
    QCOMPARE(readBytes(path("made.jpg")), readBytes(path("expected.jpg")));
    QCOMPARE(QSize(thumb.width(), thumb.height()),
             QSize(expectedThumb.width(), expectedThumb.height()));
    QVERIFY(std::equal(thumb.bits(), thumb.bits() + size_t(thumb.width()) * size_t(thumb.height()),
                       expectedThumb.bits()));
    QCOMPARE(warning, expectedWarning);
    QCOMPARE(warning.isEmpty(), kind != "truncated");
}

void TestPictureFile::gifFirstFrameOverPixels()
{
    // 4 x 3 screen; the first image covers (1, 1)-(3, 3) with index 0 as its
    // transparent colour; the second frame would cover everything.
    GifFrame first{1, 1, 2, 2, 0, {1, 0, 2, 3}};
    GifFrame second{0, 0, 4, 3, -1, std::vector<uint8_t>(12, 3)};
    QVERIFY(writeGif(path("anim.gif"), 4, 3, {first, second}));

    TBitmap32 fresh;
    LoadPicture(path("anim.gif"), fresh);
    expectPixels(fresh, 4, 3, [&](int x, int y) -> TColor32 {
        if (x == 1 && y == 1)
            return kPalette[1];
        if (x == 1 && y == 2)
            return kPalette[2];
        if (x == 2 && y == 2)
            return kPalette[3];
        return 0xFF000000u; // not painted: black, opaque
    });

    // Reading stops at the first image: a broken rest of the file is never read.
    QFile file(path("anim.gif"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    file.close();
    const qsizetype secondAt = whole.lastIndexOf(QByteArray("\x2C\x00\x00\x00\x00\x04\x00", 7));
    QVERIFY(secondAt > 0);
    writeFile(path("cut.gif"), whole.left(secondAt + 12) + QByteArray("\x99\x99", 2));
    TBitmap32 cut;
    LoadPicture(path("cut.gif"), cut);
    QCOMPARE(cut.pixel(1, 1), kPalette[1]);

    TBitmap32 same;
    same.setSize(4, 3);
    for (int i = 0; i < 12; ++i)
        same.bits()[i] = 0x00123456u + TColor32(i);
    // A bitmap of the same size that held another picture gives the same
    // pixels as a fresh one.
    LoadPicture(path("anim.gif"), same);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(same.bits()[i], fresh.bits()[i]);
}

void TestPictureFile::gifInterlaced()
{
    GifFrame frame{0, 0, 3, 10, -1, {}, true};
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 3; ++x)
            frame.indices.push_back(uint8_t((y + x) % 4));
    QVERIFY(writeGif(path("inter.gif"), 3, 10, {frame}));
    TBitmap32 b;
    LoadPicture(path("inter.gif"), b);
    expectPixels(b, 3, 10, [](int x, int y) { return kPalette[(x + y) % 4]; });
}

void TestPictureFile::gifMalformed_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    // GIF89a, 2 x 2 screen with a 2-colour table, one 2 x 2 image.
    const QByteArray header("GIF89a\x02\x00\x02\x00\x80\x00\x00"
                            "\x00\x00\x00\xFF\xFF\xFF",
                            19);
    const QByteArray image("\x2C\x00\x00\x00\x00\x02\x00\x02\x00\x00", 10);
    const QByteArray data("\x02\x02\x84\x51\x00", 5); // LZW, min code size 2
    const QByteArray trailer("\x3B", 1);
    QTest::newRow("signature") << QByteArray("JIF89a\x02\x00\x02\x00\x00\x00\x00", 13)
                               << QStringLiteral("Invalid GIF signature");
    QTest::newRow("version") << QByteArray("GIF88a\x02\x00\x02\x00\x00\x00\x00", 13)
                             << QStringLiteral("Unsupported GIF version");
    QTest::newRow("short") << QByteArray("GIF8", 4) << QStringLiteral("Invalid GIF signature");
    QTest::newRow("truncated screen")
        << header.left(8) << QStringLiteral("Premature end of GIF data");
    QTest::newRow("truncated image")
        << header + image + data.left(2) << QStringLiteral("Premature end of GIF data");
    QByteArray outside = image;
    outside[1] = 1; // left 1 + width 2 > screen width 2
    QTest::newRow("image outside the screen")
        << header + outside + data + trailer
        << QStringLiteral("GIF image is outside the logical screen");
    QByteArray zeroScreen = header;
    zeroScreen[6] = 0;
    QTest::newRow("empty screen") << zeroScreen + image + data + trailer
                                  << QStringLiteral("Invalid GIF data");
    QByteArray huge = header;
    huge[6] = char(0xFF);
    huge[7] = char(0xFF);
    QTest::newRow("huge screen") << huge + image + data + trailer
                                 << QStringLiteral("picture too large: 65535 x 2");
    // Code size 2: clear (4) then code 7, which no table holds yet.
    QTest::newRow("broken LZW") << header + image + QByteArray("\x02\x02\x3C\x00\x00", 5) + trailer
                                << QStringLiteral("Invalid GIF data");
    QTest::newRow("bad record") << header + QByteArray("\x99", 1)
                                << QStringLiteral("Invalid GIF data");
    QTest::newRow("no image") << header + trailer << QStringLiteral("GIF file holds no image");
}

void TestPictureFile::gifMalformed()
{
    loadRefuses(QStringLiteral("bad.gif"));
}

void TestPictureFile::prefetchGivesWhatLoadGives()
{
    QStringList files;
    for (int i = 0; i < 6; ++i) {
        TBitmap32 picture;
        picture.setSize(30 + i, 20);
        for (int p = 0; p < picture.width() * picture.height(); ++p)
            picture.bits()[p] = 0xFF000000u | TColor32(p * 2654435761u * uint32_t(i + 1));
        files << path(QStringLiteral("ahead%1.jpg").arg(i));
        WriteJpegFile(files.last(), picture, 90);
    }
    writeFile(path("damaged.jpg"), QByteArray("\xFF\xD8 not a picture"));
    const QString damaged = path("damaged.jpg"), missing = path("missing.jpg");
    const QStringList list{files[0], damaged,  files[1], missing,
                           files[2], files[3], files[4], files[5]};

    // In list order with some passed over, as an add whose selection shrinks
    // while it runs; then a path that is no longer ahead, and one that never
    // was. Each load does to a bitmap what LoadPicture does to another.
    const QStringList steps{files[0], damaged, missing, files[3], files[5], files[1], files[2]};
    for (int workers : {1, 2, 3}) {
        PicturePrefetch ahead(list, workers);
        TBitmap32 bitmap, alone;
        bitmap.setStretchFilter(sfLinear);
        int notified = 0, notifiedAlone = 0;
        bitmap.addChangeHandler([&] { ++notified; });
        alone.addChangeHandler([&] { ++notifiedAlone; });
        for (const QString &step : steps) {
            QString error, errorAlone;
            try {
                ahead.load(step, bitmap);
            } catch (const PictavelError &e) {
                error = e.message();
            }
            errorAlone = errorOfLoad(step, alone);
            QCOMPARE(error, errorAlone);
            QCOMPARE(notified, notifiedAlone);
            QCOMPARE(bitmap.width(), alone.width());
            QCOMPARE(bitmap.height(), alone.height());
            QVERIFY(std::equal(alone.bits(), alone.bits() + alone.width() * alone.height(),
                               bitmap.bits()));
        }
        QCOMPARE(bitmap.stretchFilter(), sfLinear);
        QCOMPARE(notified, 5);
    }
    // Ended while its workers are busy: each finishes its picture and stops.
    {
        PicturePrefetch ahead(list, 2);
    }
}

void TestPictureFile::writeEmptyBitmap()
{
    // An empty bitmap makes no JPEG file; the old one stays.
    writeFile(path("e.jpg"), "old content");
    TBitmap32 empty;
    QVERIFY_THROWS_EXCEPTION(PictavelError, WriteJpegFile(path("e.jpg"), empty, 90));
    QFile kept(path("e.jpg"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("old content"));
}

void TestPictureFile::writeFailureKeepsOldFile()
{
    TBitmap32 b;
    b.setSize(4, 4);
    QVERIFY(QDir(m_dir.path()).mkdir("folder"));
    writeFile(path("folder/keep.txt"), "x");
    try {
        WriteJpegFile(path("folder"), b, 90);
        QFAIL("no error");
    } catch (const PictavelError &e) {
        QCOMPARE(e.message(),
                 QStringLiteral("Cannot create file %1: Is a directory").arg(path("folder")));
    }
    QVERIFY(QFileInfo(path("folder")).isDir());
    QVERIFY(QFile::exists(path("folder/keep.txt")));
    QVERIFY_THROWS_EXCEPTION(PictavelError, WriteJpegFile(path("no/such/folder/x.jpg"), b, 90));
    // Nothing but the finished file is left behind.
    WriteJpegFile(path("folder/new.jpg"), b, 90);
    QCOMPARE(QDir(path("folder")).entryList(QDir::Files).size(), 2);
}

void TestPictureFile::writeWhateverTheName()
{
    writeFile(path("src.bmp"), makeBmp(5, 3, 24, 0, {}, QByteArray(48, '\x40')));
    TBitmap32 b;
    LoadPicture(path("src.bmp"), b);
    WriteJpegFile(path("out.bmp"), b, 90);
    QFile f(path("out.bmp"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(3) == QByteArray("\xFF\xD8\xFF", 3));
    QCOMPARE(readJpegFacts(path("out.bmp")).width, 5);
}

namespace {

// From the first start of scan on: the entropy-coded data and the end.
QByteArray fromScan(const QByteArray &jpeg)
{
    return jpeg.mid(jpeg.indexOf(QByteArray("\xFF\xDA", 2)));
}

} // namespace

void TestPictureFile::keptOriginalTurnsLosslessly_data()
{
    QTest::addColumn<int>("orientation");
    for (int o = 1; o <= 8; ++o)
        QTest::newRow(qPrintable(QStringLiteral("orientation %1").arg(o))) << o;
}

void TestPictureFile::keptOriginalTurnsLosslessly()
{
    QFETCH(int, orientation);
    // Whole blocks of 4:2:0 each way, so that every turn is exact.
    auto sample = [](int x, int y, int k) {
        return uint8_t(k == 0 ? x * 5 : k == 1 ? y * 7 : x ^ y);
    };
    QVERIFY(writeJpegDirect(path("turned.jpg"), 48, 32, 3, sample,
                            exifWithOrientation(orientation, orientation % 2 == 0)));
    QFile file(path("turned.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray source = file.readAll();
    QString warning;
    QVERIFY(WriteKeptOriginal(source, path("kept.jpg"), warning));
    QFile keptFile(path("kept.jpg"));
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    const QByteArray kept = keptFile.readAll();
    QVERIFY(!kept.contains("Exif"));
    if (orientation == 1)
        QCOMPARE(fromScan(kept), fromScan(source));
    // The program's own turn of the decoded source and the lossless turn
    // agree up to the decoder's rounding.
    TBitmap32 expected, actual;
    LoadPicture(path("turned.jpg"), expected);
    LoadPicture(path("kept.jpg"), actual);
    QCOMPARE(QSize(actual.width(), actual.height()), QSize(expected.width(), expected.height()));
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            QVERIFY2(sameWithin(actual.pixel(x, y), expected.pixel(x, y), 4),
                     qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
}

void TestPictureFile::keptOriginalKeepsOnlyItsProfile()
{
    QVERIFY(writeJpegDirect(path("plain.jpg"), 32, 16, 3,
                            [](int x, int y, int k) { return uint8_t((x + y * k) * 9); }));
    const QByteArray plain = readBytes(path("plain.jpg"));
    QByteArray profile;
    for (const QByteArray &part : icc::markers(icc::bytes(icc::adobeRgb().get()), 2))
        profile += jpegSegment(0xE2, part);
    const QByteArray before =
        jpegSegment(0xE1, exifWithOrientation(1, true) + "GPS here") +
        jpegSegment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 34));
    const QByteArray after = jpegSegment(0xED, QByteArray("Photoshop 3.0\0IPTC", 18)) +
                             jpegSegment(0xFE, "a comment") +
                             jpegSegment(0xE0, QByteArray("JFXX\0\x10", 6) + "preview") +
                             jpegSegment(0xE2, QByteArray("MPF\0", 4) + "pointer to a preview");
    // Metadata around the profile between the JFIF marker and the tables,
    // and a second picture, as a camera appends its preview, after the end.
    const qsizetype tables = plain.indexOf(QByteArray("\xFF\xDB", 2));
    const QByteArray tagged =
        plain.left(tables) + before + profile + after + plain.mid(tables) + plain;
    const QByteArray kept = keptBytes(keptOriginal(tagged));
    QCOMPARE(kept, plain.left(tables) + profile + plain.mid(tables));
}

void TestPictureFile::keptOriginalHidesNothing_data()
{
    QTest::addColumn<QByteArray>("inserted");
    QTest::addColumn<bool>("kept");
    const QByteArray exif = jpegSegment(0xE1, exifWithOrientation(1, true) + "GPS here");
    QByteArray manyChunks;
    for (int i = 0; i < 300; ++i)
        manyChunks += jpegSegment(0xE2, QByteArray("ICC_PROFILE\0", 12) + char(i % 256 + 1) +
                                            char(300 % 256) + "GPS here");
    // Markers without a length are stepped over, not read as lengths that
    // would swallow the metadata behind them.
    QTest::newRow("TEM") << QByteArray("\xFF\x01", 2) + exif << true;
    QTest::newRow("stray restart") << QByteArray("\xFF\xD3", 2) + exif << true;
    // What the walk cannot account for is encoded anew.
    QTest::newRow("unknown marker") << jpegSegment(0xF1, "GPS here") << false;
    QTest::newRow("second start") << QByteArray("\xFF\xD8", 2) + exif << false;
    // A profile chain the decoder turns down is dropped.
    QTest::newRow("rejected profile") << manyChunks << true;
}

void TestPictureFile::keptOriginalHidesNothing()
{
    QFETCH(QByteArray, inserted);
    QFETCH(bool, kept);
    QVERIFY(writeJpegDirect(path("plain.jpg"), 32, 16, 3,
                            [](int x, int y, int k) { return uint8_t((x + y * k) * 9); }));
    const QByteArray plain = readBytes(path("plain.jpg"));
    const QByteArray source = plain.left(2) + inserted + plain.mid(2);
    const KeptOriginal result = keptOriginal(source);
    QVERIFY(!keptBytes(result).contains("GPS"));
    QCOMPARE(keptBytes(result), kept ? plain : QByteArray());
    QCOMPARE(result.warning.isEmpty(), kept);
}

void TestPictureFile::keptOriginalRefusesWhatIsNotExact()
{
    // 30 x 20 with 4:2:0 blocks of 16: a quarter turn would cut or move the
    // partial blocks, so the picture is encoded instead.
    QVERIFY(writeJpegDirect(
        path("odd.jpg"), 30, 20, 3, [](int x, int, int) { return uint8_t(x * 8); },
        exifWithOrientation(6, false)));
    QString warning;
    QFile file(path("odd.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    QVERIFY(!WriteKeptOriginal(whole, path("out.jpg"), warning));
    QVERIFY(warning.isEmpty());
    QVERIFY(!QFile::exists(path("out.jpg")));
    for (const QByteArray &broken :
         {QByteArray("not a JPEG"), whole.left(whole.size() / 2), QByteArray()})
        QVERIFY(keptOriginal(broken).pieces.empty());
}

QTEST_GUILESS_MAIN(TestPictureFile)
#include "tst_picture_file.moc"
