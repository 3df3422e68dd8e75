// Adding thumbnails and exporting pictures, measured against the same work
// written directly on libjpeg-turbo, on a photo-like corpus made here.
//
// pictavel-bench [rounds]     runs the comparison
// pictavel-bench --peak FILE  (internal) one 12 MP load, thumbnail and export
//                             in a fresh process, printing its peak memory

#include "base/pictavel_error.h"
#include "imaging/bitmap32.h"
#include "imaging/jpeg_error.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kThumbBox = 110;

struct CorpusFile
{
    QString path;
    int width;
    int height;
};

// Smooth shading, a few hard edges and sensor-like noise: enough structure
// that the JPEG coder works about as hard as on a photo.
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

struct FileCloser
{
    void operator()(FILE *f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// A compressor destroyed with its owner.
class Compressor
{
public:
    Compressor() { c.err = jpegErrorJump(err); }
    ~Compressor() { jpeg_destroy_compress(&c); }
    Compressor(const Compressor &) = delete;
    Compressor &operator=(const Compressor &) = delete;

    jpeg_compress_struct c{};
    JpegErrorJump err{};
};

bool compressCorpusJpeg(Compressor &e, FILE *f, int width, int height, uint32_t seed,
                        std::vector<uint8_t> &row)
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
    while (c.next_scanline < c.image_height) {
        makePhotoRow(row, width, height, int(c.next_scanline), seed);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    return true;
}

void writeCorpusJpeg(const QString &path, int width, int height, uint32_t seed)
{
    FilePtr f(std::fopen(QFile::encodeName(path).constData(), "wb"));
    if (!f)
        throw PictavelError(QStringLiteral("Cannot create file %1").arg(path));
    Compressor e;
    std::vector<uint8_t> row(size_t(width) * 3);
    if (!compressCorpusJpeg(e, f.get(), width, height, seed, row))
        throw jpegError(e.err);
}

// The work a thumbnail control does when a picture is added.
void addThumbnail(const QString &path)
{
    TBitmap32 control; // every thumbnail has its own control
    LoadPicture(path, control);
    TBitmap32 thumb;
    MakeThumbnail(control, kThumbBox, kThumbBox, thumb);
    thumb.setStretchFilter(sfLinear);
    control.assign(&thumb);
}

void exportPicture(TBitmap32 &work, const QString &path, const QString &out)
{
    LoadPicture(path, work);
    WriteJpegFile(out, work, 90);
}

// A decompressor destroyed with its owner.
class Decompressor
{
public:
    Decompressor() { d.err = jpegErrorJump(err); }
    ~Decompressor() { jpeg_destroy_decompress(&d); }
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;

    jpeg_decompress_struct d{};
    JpegErrorJump err{};
};

// The floor: the same two jobs straight on libjpeg-turbo, buffers reused.
// A libjpeg error ends the run as PictavelError.
class DirectJpeg
{
public:
    DirectJpeg()
    {
        if (!create())
            throw PictavelError(QStringLiteral("libjpeg cannot start"));
    }

    void decode(const QString &path, int &w, int &h)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw PictavelError(QStringLiteral("Cannot open file %1").arg(path));
        const qint64 size = f.size();
        if (m_file.size() < size_t(size))
            m_file.resize(size_t(size));
        if (f.read(reinterpret_cast<char *>(m_file.data()), size) != size)
            throw PictavelError(QStringLiteral("Cannot read file %1").arg(path));
        if (!decodeRgb(size_t(size), w, h))
            throw jpegError(m_dec.err);
    }

    void thumbnail(int w, int h)
    {
        const float rx = float(kThumbBox) / float(w), ry = float(kThumbBox) / float(h);
        const int tw = rx >= ry ? int(w * ry + 0.5) : kThumbBox;
        const int th = rx >= ry ? kThumbBox : int(h * rx + 0.5);
        m_thumb.resize(size_t(tw) * size_t(th) * 3);
        for (int y = 0; y < th; ++y) {
            const uint8_t *src = m_rgb.data() + size_t(y * h / th) * size_t(w) * 3;
            uint8_t *dst = m_thumb.data() + size_t(y) * size_t(tw) * 3;
            for (int x = 0; x < tw; ++x)
                std::memcpy(dst + x * 3, src + size_t(x * w / tw) * 3, 3);
        }
    }

    void encode(const QString &out, int w, int h)
    {
        FilePtr f(std::fopen(QFile::encodeName(out).constData(), "wb"));
        if (!f)
            throw PictavelError(QStringLiteral("Cannot create file %1").arg(out));
        if (!encodeRgb(f.get(), w, h))
            throw jpegError(m_enc.err);
    }

private:
    static constexpr JDIMENSION kBatch = 16;

    bool create()
    {
        if (setjmp(m_dec.err.jump))
            return false;
        jpeg_create_decompress(&m_dec.d);
        if (setjmp(m_enc.err.jump))
            return false;
        jpeg_create_compress(&m_enc.c);
        return true;
    }

    // Decodes the first `size` bytes of the file buffer to RGB into the kept
    // buffer.
    bool decodeRgb(size_t size, int &w, int &h)
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
        jpeg_start_decompress(&d);
        w = int(d.output_width);
        h = int(d.output_height);
        const size_t stride = size_t(w) * 3;
        if (m_rgb.size() < stride * size_t(h))
            m_rgb.resize(stride * size_t(h));
        JSAMPROW rows[kBatch];
        while (d.output_scanline < d.output_height) {
            const JDIMENSION n = rowBatch(rows, stride, d.output_scanline, d.output_height);
            jpeg_read_scanlines(&d, rows, n);
        }
        jpeg_finish_decompress(&d);
        return true;
    }

    bool encodeRgb(FILE *f, int w, int h)
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
            const JDIMENSION n = rowBatch(rows, stride, c.next_scanline, c.image_height);
            jpeg_write_scanlines(&c, rows, n);
        }
        jpeg_finish_compress(&c);
        return true;
    }

    // Points `rows` at the next rows of the RGB buffer; returns how many.
    JDIMENSION rowBatch(JSAMPROW *rows, size_t stride, JDIMENSION first, JDIMENSION total)
    {
        const JDIMENSION n = std::min(kBatch, total - first);
        for (JDIMENSION i = 0; i < n; ++i)
            rows[i] = m_rgb.data() + (first + i) * stride;
        return n;
    }

    Decompressor m_dec;
    Compressor m_enc;
    std::vector<uint8_t> m_file, m_rgb, m_thumb;
};

long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines)
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').first().toLong();
    return -1;
}

int runPeak(const QString &path)
{
    const long before = statusKb("VmRSS:");
    TBitmap32 work, thumb;
    LoadPicture(path, work);
    const double area = double(work.width()) * work.height() * 4;
    MakeThumbnail(work, kThumbBox, kThumbBox, thumb);
    WriteJpegFile(path + QStringLiteral(".out.jpg"), work, 90);
    const long peak = statusKb("VmHWM:");
    std::printf("%.3f\n", double(peak - before) * 1024.0 / area);
    return 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int runComparison(const QString &self, int rounds)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    std::vector<CorpusFile> corpus;
    const int sizes[][2] = {{4000, 3000}, {1600, 1200}, {4000, 3000},
                            {1600, 1200}, {3000, 4000}, {1632, 1224}};
    for (int i = 0; i < 6; ++i) {
        const QString path = dir.filePath(QStringLiteral("photo%1.jpg").arg(i));
        writeCorpusJpeg(path, sizes[i][0], sizes[i][1], uint32_t(i + 1));
        corpus.push_back({path, sizes[i][0], sizes[i][1]});
    }
    double megapixels = 0;
    for (const CorpusFile &f : corpus)
        megapixels += double(f.width) * f.height / 1e6;
    std::printf("corpus: %zu photo-like JPEG files (12 and 2 megapixels, quality 90), %.1f MP in "
                "all; %d rounds\n",
                corpus.size(), megapixels, rounds);

    std::vector<double> addTimes, exportTimes, floorAddTimes, floorExportTimes;
    TBitmap32 work;
    DirectJpeg direct;
    const QString out = dir.filePath(QStringLiteral("out.jpg"));
    for (int round = 0; round <= rounds; ++round) {
        QElapsedTimer t;
        t.start();
        for (const CorpusFile &f : corpus)
            addThumbnail(f.path);
        const double add = double(t.nsecsElapsed()) / 1e9;
        t.restart();
        for (const CorpusFile &f : corpus)
            exportPicture(work, f.path, out);
        const double exp = double(t.nsecsElapsed()) / 1e9;
        t.restart();
        int w = 0, h = 0;
        for (const CorpusFile &f : corpus) {
            direct.decode(f.path, w, h);
            direct.thumbnail(w, h);
        }
        const double floorAdd = double(t.nsecsElapsed()) / 1e9;
        t.restart();
        for (const CorpusFile &f : corpus) {
            direct.decode(f.path, w, h);
            direct.encode(out, w, h);
        }
        const double floorExp = double(t.nsecsElapsed()) / 1e9;
        if (round == 0)
            continue; // warming up
        addTimes.push_back(add);
        exportTimes.push_back(exp);
        floorAddTimes.push_back(floorAdd);
        floorExportTimes.push_back(floorExp);
    }
    const double add = median(addTimes), exp = median(exportTimes);
    const double floorAdd = median(floorAddTimes), floorExp = median(floorExportTimes);
    std::printf("add a thumbnail (load, fit into %dx%d, nearest copy): %7.1f MP/s   libjpeg-turbo "
                "floor %7.1f MP/s   ratio %.2f\n",
                kThumbBox, kThumbBox, megapixels / add, megapixels / floorAdd, add / floorAdd);
    std::printf("export a picture (load, write quality 90):           %7.1f MP/s   libjpeg-turbo "
                "floor %7.1f MP/s   ratio %.2f\n",
                megapixels / exp, megapixels / floorExp, exp / floorExp);

    QProcess peak;
    peak.start(self, {QStringLiteral("--peak"), corpus[0].path});
    if (peak.waitForFinished(120000) && peak.exitCode() == 0)
        std::printf("peak memory for one 12 MP picture (load, thumbnail, export): %.2f x its "
                    "32-bit pixel area\n",
                    peak.readAllStandardOutput().trimmed().toDouble());
    else
        std::printf("peak memory: measurement failed\n");
    std::printf("ratio add=%.2f export=%.2f\n", add / floorAdd, exp / floorExp);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 3 && args[1] == QLatin1String("--peak"))
            return runPeak(args[2]);
        return runComparison(app.applicationFilePath(),
                             args.size() > 1 ? std::max(1, args[1].toInt()) : 5);
    } catch (const PictavelError &e) {
        std::fprintf(stderr, "error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
