// Adding thumbnails and exporting pictures, measured against the same work
// written directly on libjpeg-turbo, on a photo-like corpus made here.
//
// pictavel-bench [rounds]     runs the comparison
// pictavel-bench --peak FILE  (internal) one 12 MP load, thumbnail and export
//                             in a fresh process, printing its peak memory

#include "base/pictavel_error.h"
#include "bench/direct_jpeg.h"
#include "bench/photo_corpus.h"
#include "bench/process_memory.h"
#include "bench/timed_rounds.h"
#include "imaging/bitmap32.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kThumbBox = 110;

struct CorpusFile
{
    QString path;
    int width;
    int height;
};

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

    TimedRounds times(4);
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
            direct.thumbnail(w, h, kThumbBox);
        }
        const double floorAdd = double(t.nsecsElapsed()) / 1e9;
        t.restart();
        for (const CorpusFile &f : corpus) {
            direct.decode(f.path, w, h);
            direct.encode(out, w, h);
        }
        const double floorExp = double(t.nsecsElapsed()) / 1e9;
        times.record(round, {add, exp, floorAdd, floorExp});
    }
    const double add = times.median(0), exp = times.median(1);
    const double floorAdd = times.median(2), floorExp = times.median(3);
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
