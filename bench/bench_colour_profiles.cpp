// Loading and exporting photo-like 12-megapixel pictures that carry an Adobe
// RGB-like colour profile, beside the same pictures without one, in the same
// run.
//
// pictavel-bench-profiles [rounds]

#include "base/pictavel_error.h"
#include "bench/bench_profiles.h"
#include "bench/photo_corpus.h"
#include "bench/timed_rounds.h"
#include "export/gallery_export.h"
#include "imaging/bitmap32.h"
#include "imaging/picture_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPictures = 20;
constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kThumbBox = 110;

QStringList makeCorpus(const QString &folder, const QByteArray &icc)
{
    QDir().mkpath(folder);
    QStringList files;
    for (int i = 0; i < kPictures; ++i) {
        files << QDir(folder).filePath(
            QStringLiteral("photo%1.jpg").arg(i + 1, 2, 10, QChar(u'0')));
        writeCorpusJpeg(files.last(), kWidth, kHeight, uint32_t(i + 1), icc);
    }
    return files;
}

double msPerPicture(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6 / kPictures;
}

double loadAll(const QStringList &files, TBitmap32 &work)
{
    QElapsedTimer t;
    t.start();
    for (const QString &f : files)
        LoadPicture(f, work);
    return msPerPicture(t);
}

// Writing each loaded picture at quality 90: the converted numbers are
// another picture, which may cost the encoder more or less.
double writeAll(const QStringList &files, TBitmap32 &work, const QString &out)
{
    double ms = 0;
    for (const QString &f : files) {
        LoadPicture(f, work);
        QElapsedTimer t;
        t.start();
        WriteJpegFile(out, work, 90);
        ms += double(t.nsecsElapsed()) / 1e6;
    }
    return ms / kPictures;
}

// The whole export on one thread: decode, picture and thumbnail at quality 90.
double exportAll(const QStringList &files, const QString &out)
{
    ExportJob job;
    job.projectFolder = out;
    job.pictureFolder = out + QStringLiteral("/gal");
    job.thumbFolder = out + QStringLiteral("/thumb");
    QDir().mkpath(job.pictureFolder);
    QDir().mkpath(job.thumbFolder);
    job.pageLines = {QStringLiteral("<html>"), QStringLiteral("</html>")};
    for (const QString &f : files) {
        const QString name = QFileInfo(f).fileName();
        job.items.append({f, name, name, false, nullptr, QSize(kThumbBox, kThumbBox)});
    }
    QElapsedTimer t;
    t.start();
    exportGallery(job);
    return msPerPicture(t);
}

int run(int rounds)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QByteArray adobe = adobeRgbLikeProfile();
    const QStringList plain = makeCorpus(dir.filePath(QStringLiteral("plain")), {});
    const QStringList tagged = makeCorpus(dir.filePath(QStringLiteral("tagged")), adobe);
    std::printf("corpus: %d photo-like JPEG files of %dx%d (quality 90), untagged and with an "
                "Adobe RGB-like profile (%lld bytes); %d rounds\n",
                kPictures, kWidth, kHeight, static_cast<long long>(adobe.size()), rounds);
    TBitmap32 work;
    TimedRounds times(6);
    const QString out = dir.filePath(QStringLiteral("out"));
    for (int round = 0; round <= rounds; ++round) {
        // Both kinds in every round, so that drifts of the machine hit both.
        const double lp = loadAll(plain, work);
        const double lt = loadAll(tagged, work);
        const double wp = writeAll(plain, work, out + QStringLiteral(".jpg"));
        const double wt = writeAll(tagged, work, out + QStringLiteral(".jpg"));
        const double ep = exportAll(plain, out);
        const double et = exportAll(tagged, out);
        times.record(round, {lp, lt, wp, wt, ep, et});
    }
    const double lp = times.median(0), lt = times.median(1);
    const double wp = times.median(2), wt = times.median(3);
    const double ep = times.median(4), et = times.median(5);
    std::printf("load (decode into the working bitmap):      untagged %6.1f ms/picture   tagged "
                "%6.1f ms/picture   ratio %.2f\n",
                lp, lt, lt / lp);
    std::printf("write the loaded picture at quality 90:     untagged %6.1f ms/picture   tagged "
                "%6.1f ms/picture   ratio %.2f\n",
                wp, wt, wt / wp);
    std::printf("export (picture and %dx%d thumbnail, q90): untagged %6.1f ms/picture   tagged "
                "%6.1f ms/picture   ratio %.2f\n",
                kThumbBox, kThumbBox, ep, et, et / ep);
    std::printf("ratio load=%.2f export=%.2f\n", lt / lp, et / ep);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        return run(args.size() > 1 ? std::max(1, args[1].toInt()) : 3);
    } catch (const PictavelError &e) {
        std::fprintf(stderr, "error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
