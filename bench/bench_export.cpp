// Exporting a gallery of photo-like 12-megapixel pictures through the export
// engine and through pictavel-build on one and two workers, measured against
// the same work written directly on libjpeg-turbo.
//
// pictavel-bench-export [rounds]       runs the comparison
// pictavel-bench-export --peak FOLDER  (internal) one export of the corpus in
//                                      FOLDER in a fresh process, printing its
//                                      peak memory
// pictavel-bench-export --options [rounds]  pictavel-build --jobs 1 as
//                                      described, with each of the two
//                                      options and with both, beside the
//                                      floor and libjpeg's 1/8 scaled decode
// pictavel-bench-export --incremental  a first export, one with nothing
//                                      changed and one after a source was
//                                      touched, through pictavel-build --jobs 2
//                                      and through the engine as Start calls
//                                      it, with the cells' pixels
// pictavel-bench-export --memory [rounds]  pictavel-build on a set of mixed
//                                      sizes and orientations: its time on one
//                                      and two workers, taking turns, with the
//                                      speed-up, and its peak memory beside
//                                      (jobs + 1) x the largest picture's
//                                      32-bit pixel area
// pictavel-bench-export --mixed-corpus FOLDER  writes that set into FOLDER
// pictavel-bench-export --child-peak PROGRAM ARGS...  (internal) runs PROGRAM
//                                      and prints its peak memory in kB
// pictavel-bench-export --floor FOLDER OUT  (internal) the libjpeg-turbo work
//                                      in a fresh process, so that it starts
//                                      as cold as pictavel-build does

#include "base/pictavel_error.h"
#include "base/text_file.h"
#include "bench/direct_jpeg.h"
#include "bench/photo_corpus.h"
#include "bench/process_memory.h"
#include "bench/timed_rounds.h"
#include "export/gallery_export.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kPictures = 20;
constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kThumbBox = 110;
// Every export but the incremental bench's writes every file, whatever an
// earlier round left in the same folder.
const QString kFull = QStringLiteral("--full");

QString corpusFile(const QString &folder, int i)
{
    return QDir(folder).filePath(QStringLiteral("photo%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0')));
}

void makeCorpus(const QString &folder)
{
    for (int i = 0; i < kPictures; ++i)
        writeCorpusJpeg(corpusFile(folder, i), kWidth, kHeight, uint32_t(i + 1));
}

// A fresh output folder under `root` with its picture and thumbnail folders.
QString outputFolder(const QString &root, const QString &name)
{
    QDir(root).mkpath(name + QStringLiteral("/thumb"));
    return QDir(root).filePath(name);
}

ExportJob corpusJob(const QString &corpus, const QString &out)
{
    ExportJob job;
    job.projectFolder = out;
    job.pictureFolder = out + QStringLiteral("/gal");
    job.thumbFolder = out + QStringLiteral("/thumb");
    job.pageLines = {QStringLiteral("<html>"), QStringLiteral("</html>")};
    for (int i = 0; i < kPictures; ++i) {
        const QString name = QFileInfo(corpusFile(corpus, i)).fileName();
        job.items.append(
            {corpusFile(corpus, i), name, name, false, nullptr, QSize(kThumbBox, kThumbBox)});
    }
    return job;
}

// Decode, full-size picture, thumbnail, both at quality 90, as the engine does.
void floorExport(DirectJpeg &direct, const QString &corpus, const QString &out)
{
    for (int i = 0; i < kPictures; ++i) {
        const QString name = QFileInfo(corpusFile(corpus, i)).fileName();
        int w = 0, h = 0;
        direct.decode(corpusFile(corpus, i), w, h);
        direct.encode(out + QStringLiteral("/gal/") + name, w, h);
        direct.thumbnail(w, h, kThumbBox);
        direct.encodeThumbnail(out + QStringLiteral("/thumb/") + name);
    }
}

// Waits for a started program to end; raises when it failed.
void waitForSuccess(QProcess &process)
{
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw PictavelError(
            QStringLiteral("%1 failed: %2")
                .arg(process.program(), QString::fromLocal8Bit(process.readAllStandardError())));
}

// One run of a program to its end; its time in seconds.
double timeProcess(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QElapsedTimer t;
    t.start();
    process.start(program, arguments);
    waitForSuccess(process);
    return double(t.nsecsElapsed()) / 1e9;
}

QStringList toolArguments(const QString &ini, const QString &corpus, const QString &out, int jobs,
                          const QStringList &options)
{
    return QStringList{QStringLiteral("--ini"), ini, QStringLiteral("--jobs"),
                       QString::number(jobs), QStringLiteral("--quiet")} +
           options + QStringList{out, corpus};
}

double runTool(const QString &ini, const QString &corpus, const QString &out, int jobs,
               const QStringList &options = {})
{
    return timeProcess(QStringLiteral(PICTAVEL_BUILD_TOOL),
                       toolArguments(ini, corpus, out, jobs, options));
}

// Two one-worker runs at the same time, on the same set into two folders;
// the time until both have ended.
double runToolsSideBySide(const QString &ini, const QString &corpus, const QString &out)
{
    QProcess first, second;
    QElapsedTimer t;
    t.start();
    first.start(QStringLiteral(PICTAVEL_BUILD_TOOL),
                toolArguments(ini, corpus, out + QStringLiteral("-a"), 1, {kFull}));
    second.start(QStringLiteral(PICTAVEL_BUILD_TOOL),
                 toolArguments(ini, corpus, out + QStringLiteral("-b"), 1, {kFull}));
    waitForSuccess(first);
    waitForSuccess(second);
    return double(t.nsecsElapsed()) / 1e9;
}

// Writes back what the last run left dirty, so that no run pays for another's.
void settle()
{
    ::sync();
}

double seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

int runPeak(const QString &corpus)
{
    const long before = statusKb("VmRSS:");
    QTemporaryDir out;
    exportGallery(corpusJob(corpus, out.path()));
    const long peak = statusKb("VmHWM:");
    std::printf("%ld\n", peak - before);
    return 0;
}

int runChildPeak(const QStringList &command)
{
    QProcess child;
    child.start(command.first(), command.mid(1));
    if (!child.waitForFinished(600000) || child.exitCode() != 0)
        return 1;
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}

// The peak memory of one pictavel-build run in kB, measured by a child of
// this program so that only that run counts; -1 when it fails.
long toolPeakKb(const QString &self, const QStringList &arguments)
{
    QProcess peak;
    peak.start(self,
               QStringList{QStringLiteral("--child-peak"), QStringLiteral(PICTAVEL_BUILD_TOOL)} +
                   arguments);
    if (!peak.waitForFinished(600000) || peak.exitCode() != 0)
        return -1;
    return peak.readAllStandardOutput().trimmed().toLong();
}

int runOptions(const QString &self, int rounds)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString corpus = outputFolder(dir.path(), QStringLiteral("corpus"));
    makeCorpus(corpus);
    const QString ini = QDir(dir.path()).filePath(QStringLiteral("propstor.ini"));
    writeTextFile1251(ini,
                      {QStringLiteral("[PropertyProject]"), QStringLiteral("NameProp=Default|")});
    const QString floorOut = outputFolder(dir.path(), QStringLiteral("floor"));
    QDir(floorOut).mkdir(QStringLiteral("gal"));
    std::printf("corpus: %d photo-like JPEG files of %dx%d (quality 90); %d rounds; "
                "pictavel-build --jobs 1, ms per picture\n",
                kPictures, kWidth, kHeight, rounds);
    const QString smooth = QStringLiteral("--smooth-thumbnails");
    const QString keep = QStringLiteral("--keep-originals");
    const struct
    {
        const char *name;
        QStringList options;
    } variants[] = {{"as described", {}},
                    {"--smooth-thumbnails", {smooth}},
                    {"--keep-originals", {keep}},
                    {"both", {smooth, keep}}};
    // The variants, then the floor and the decode at 1/8.
    const size_t floorFigure = std::size(variants), scaledFigure = floorFigure + 1;
    TimedRounds times(scaledFigure + 1);
    DirectJpeg direct;
    for (int round = 0; round <= rounds; ++round) {
        for (size_t v = 0; v < std::size(variants); ++v) {
            settle();
            const double t = runTool(ini, corpus, QDir(dir.path()).filePath(QStringLiteral("out")),
                                     1, variants[v].options + QStringList{kFull});
            times.record(round, v, t);
        }
        settle();
        const double floor = timeProcess(self, {QStringLiteral("--floor"), corpus, floorOut});
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kPictures; ++i) {
            int w = 0, h = 0;
            direct.decode(corpusFile(corpus, i), w, h, 8);
        }
        times.record(round, floorFigure, floor);
        times.record(round, scaledFigure, seconds(t));
    }
    const double floor = times.median(floorFigure) * 1000 / kPictures;
    const double described = times.median(0) * 1000 / kPictures;
    for (size_t v = 0; v < std::size(variants); ++v) {
        const double ms = times.median(v) * 1000 / kPictures;
        std::printf("  %-22s %7.1f ms   %.2f x as described   floor / this %.2f\n",
                    variants[v].name, ms, ms / described, floor / ms);
    }
    std::printf("  %-22s %7.1f ms   (full decode, q90 encode, thumbnail, fresh process)\n",
                "libjpeg-turbo floor", floor);
    std::printf("  %-22s %7.1f ms   floor / this %.2f\n", "decode at 1/8 alone",
                times.median(scaledFigure) * 1000 / kPictures,
                floor / (times.median(scaledFigure) * 1000 / kPictures));
    for (size_t v : {size_t(0), size_t(3)}) {
        const long kb = toolPeakKb(
            self, toolArguments(ini, corpus, QDir(dir.path()).filePath(QStringLiteral("peak")), 1,
                                variants[v].options + QStringList{kFull}));
        if (kb >= 0)
            std::printf("  peak memory %-15s %6.0f MB\n", variants[v].name, double(kb) / 1024.0);
    }
    return 0;
}

// Prints the times of one way of exporting and their ratios: the unchanged
// export against the first, and the one touched source against one picture's
// work (a first export of that picture alone) plus the unchanged export.
void printIncremental(const char *way, double first, double unchanged, double touched,
                      double onePicture)
{
    std::printf("%s: first %.0f ms, unchanged %.1f ms, one touched %.0f ms, one picture alone "
                "%.0f ms; first/unchanged %.0f (goal >= 50), touched/(one picture + unchanged) "
                "%.2f (goal <= 1.5)\n",
                way, first * 1000, unchanged * 1000, touched * 1000, onePicture * 1000,
                first / unchanged, touched / (onePicture + unchanged));
}

int runIncremental()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // The export records go to a cache of the run's own.
    qputenv("XDG_CACHE_HOME", QDir(dir.path()).filePath(QStringLiteral("cache")).toLocal8Bit());
    const QString corpus = outputFolder(dir.path(), QStringLiteral("corpus"));
    makeCorpus(corpus);
    const QString single = outputFolder(dir.path(), QStringLiteral("single"));
    QFile::copy(corpusFile(corpus, 7), corpusFile(single, 0));
    const QString ini = QDir(dir.path()).filePath(QStringLiteral("propstor.ini"));
    writeTextFile1251(ini,
                      {QStringLiteral("[PropertyProject]"), QStringLiteral("NameProp=Default|")});
    std::printf("corpus: %d photo-like JPEG files of %dx%d (quality 90); two workers\n", kPictures,
                kWidth, kHeight);
    const auto touch = [&corpus](int i) {
        ::utimensat(AT_FDCWD, QFile::encodeName(corpusFile(corpus, i)).constData(), nullptr, 0);
    };

    const QString built = outputFolder(dir.path(), QStringLiteral("built"));
    // The first export, then the same with --full, which writes everything
    // again: the median of three.
    std::vector<double> firstTimes;
    for (int i = 0; i < 3; ++i) {
        settle();
        firstTimes.push_back(
            runTool(ini, corpus, built, 2, i == 0 ? QStringList() : QStringList{kFull}));
    }
    const double first = median(firstTimes);
    // A run with nothing to do is short enough for the machine's noise to
    // show: the median of several.
    std::vector<double> unchangedTimes;
    for (int i = 0; i < 7; ++i) {
        settle();
        unchangedTimes.push_back(runTool(ini, corpus, built, 2));
    }
    const double unchanged = median(unchangedTimes);
    touch(7);
    settle();
    const double touched = runTool(ini, corpus, built, 2);
    settle();
    printIncremental("pictavel-build --jobs 2", first, unchanged, touched,
                     runTool(ini, single, outputFolder(dir.path(), QStringLiteral("alone")), 2));
    // What the launcher alone costs of each run above.
    std::vector<double> launchTimes;
    for (int i = 0; i < 7; ++i)
        launchTimes.push_back(timeProcess(QStringLiteral("/bin/true"), {}));
    std::printf("  of each run, starting a program that does nothing (/bin/true) takes %.1f ms\n",
                median(launchTimes) * 1000);

    // Start hands the engine the cells' pixels.
    std::vector<TBitmap32> cells(kPictures);
    const QString started = outputFolder(dir.path(), QStringLiteral("started"));
    ExportJob job = corpusJob(corpus, started);
    job.jobs = 2;
    for (int i = 0; i < kPictures; ++i) {
        TBitmap32 &cell = cells[size_t(i)];
        cell.setSize(kThumbBox, kThumbBox * kHeight / kWidth);
        std::fill(cell.bits(), cell.bits() + size_t(cell.width()) * size_t(cell.height()),
                  0xFF000000u + TColor32(i * 0x050301));
        job.items[i].thumbPixels = &cells[size_t(i)];
    }
    const auto timeStart = [](const ExportJob &job) {
        settle();
        QElapsedTimer t;
        t.start();
        exportGallery(job);
        return seconds(t);
    };
    const double startFirst = timeStart(job);
    std::vector<double> startUnchangedTimes;
    for (int i = 0; i < 7; ++i)
        startUnchangedTimes.push_back(timeStart(job));
    const double startUnchanged = median(startUnchangedTimes);
    touch(3);
    const double startTouched = timeStart(job);
    ExportJob alone = job;
    alone.items = {job.items.at(3)};
    alone.projectFolder = outputFolder(dir.path(), QStringLiteral("started-alone"));
    alone.pictureFolder = alone.projectFolder + QStringLiteral("/gal");
    alone.thumbFolder = alone.projectFolder + QStringLiteral("/thumb");
    printIncremental("Start (the engine with the cells' pixels, two workers)", startFirst,
                     startUnchanged, startTouched, timeStart(alone));
    return 0;
}

// The pictures' count, their megapixels in all and the largest one's 32-bit
// pixel area in MiB.
struct MixedCorpus
{
    size_t pictures = 0;
    double megapixels = 0, largestMiB = 0;
};

// Camera and phone sizes from 1.4 to 24 megapixels in no order, some held
// upright (EXIF orientation 6 and 8), as a folder of photographs has them.
MixedCorpus makeMixedCorpus(const QString &folder)
{
    const struct
    {
        int width, height, orientation;
    } pictures[] = {{6000, 4000, 1}, {1440, 960, 1},  {4000, 3000, 6}, {5184, 3456, 1},
                    {1600, 1200, 1}, {3000, 4000, 1}, {4608, 3456, 8}, {2048, 1536, 1},
                    {6000, 4000, 6}, {1920, 1080, 1}, {4032, 3024, 6}, {2592, 1944, 1}};
    MixedCorpus corpus;
    for (const auto &p : pictures) {
        writeCorpusJpeg(corpusFile(folder, int(corpus.pictures)), p.width, p.height,
                        uint32_t(corpus.pictures + 1), QByteArray(), p.orientation);
        ++corpus.pictures;
        corpus.megapixels += double(p.width) * p.height / 1e6;
        corpus.largestMiB =
            std::max(corpus.largestMiB, double(p.width) * p.height * 4 / (1024.0 * 1024.0));
    }
    return corpus;
}

int runMemory(const QString &self, int rounds)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString corpus = outputFolder(dir.path(), QStringLiteral("mixed"));
    const MixedCorpus mixed = makeMixedCorpus(corpus);
    const QString ini = QDir(dir.path()).filePath(QStringLiteral("propstor.ini"));
    writeTextFile1251(ini,
                      {QStringLiteral("[PropertyProject]"), QStringLiteral("NameProp=Default|")});
    std::printf("corpus: %zu photo-like JPEG files of 1.4 to 24 megapixels, %.0f megapixels in "
                "all, four turned by EXIF; largest 32-bit pixel area %.1f MiB; %d rounds\n",
                mixed.pictures, mixed.megapixels, mixed.largestMiB, rounds);
    const QString out = QDir(dir.path()).filePath(QStringLiteral("out"));
    // One worker and two take turns in every round, so that both meet the
    // same moments of a shared machine. Each timed run follows an untimed
    // one of its own kind: two workers fault in more pixel memory than one,
    // and a virtual machine that takes freed memory back makes memory that
    // was not in use just before cost several times the kernel's zeroing,
    // so a run after a run of the other kind would measure what that one
    // left behind as much as the run itself.
    // Beside them, two one-worker runs side by side: what the machine's
    // second core gives to two exports that share nothing but the machine.
    TimedRounds times(3);
    for (int round = 0; round <= rounds; ++round) {
        for (int jobs : {1, 2}) {
            settle();
            runTool(ini, corpus, out, jobs, {kFull});
            settle();
            times.record(round, size_t(jobs - 1), runTool(ini, corpus, out, jobs, {kFull}));
        }
        settle();
        runToolsSideBySide(ini, corpus, out);
        settle();
        times.record(round, 2, runToolsSideBySide(ini, corpus, out));
    }
    for (int jobs : {1, 2}) {
        const long kb = toolPeakKb(
            self, toolArguments(ini, corpus, QDir(dir.path()).filePath(QStringLiteral("peak")),
                                jobs, {kFull}));
        const double peak = double(kb) / 1024.0;
        const double bound = (jobs + 1) * mixed.largestMiB;
        std::printf("pictavel-build --jobs %d: %.1f ms per megapixel; peak memory %.0f MiB, "
                    "(jobs + 1) x largest area %.0f MiB, peak / bound %.2f (goal <= 1)\n",
                    jobs, times.median(size_t(jobs - 1)) * 1000 / mixed.megapixels, peak, bound,
                    peak / bound);
    }
    std::printf("--jobs 2 is %.2f x as fast as --jobs 1 (goal >= 1.8)\n",
                times.median(0) / times.median(1));
    std::printf("two --jobs 1 runs side by side: %.1f ms per megapixel each set, %.2f x as fast "
                "as one alone (what the machine gives two workers; a little above what one "
                "process can reach, whose start and end are not shared)\n",
                times.median(2) * 1000 / (2 * mixed.megapixels),
                2 * times.median(0) / times.median(2));
    return 0;
}

int runFloor(const QString &corpus, const QString &out)
{
    DirectJpeg direct;
    floorExport(direct, corpus, out);
    return 0;
}

int runComparison(const QString &self, int rounds)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString corpus = outputFolder(dir.path(), QStringLiteral("corpus"));
    makeCorpus(corpus);
    std::printf("corpus: %d photo-like JPEG files of %dx%d (quality 90); %d rounds\n", kPictures,
                kWidth, kHeight, rounds);

    const QString engineOut = outputFolder(dir.path(), QStringLiteral("engine"));
    const QString floorOut = outputFolder(dir.path(), QStringLiteral("floor"));
    QDir(floorOut).mkdir(QStringLiteral("gal"));
    ExportJob job = corpusJob(corpus, engineOut);
    job.full = true;
    const QString ini = QDir(dir.path()).filePath(QStringLiteral("propstor.ini"));
    writeTextFile1251(ini,
                      {QStringLiteral("[PropertyProject]"), QStringLiteral("NameProp=Default|")});
    const QString toolOut = QDir(dir.path()).filePath(QStringLiteral("tool"));
    DirectJpeg direct;
    TimedRounds times(5);
    for (int round = 0; round <= rounds; ++round) {
        QElapsedTimer t;
        settle();
        t.start();
        exportGallery(job);
        const double engine = seconds(t);
        settle();
        t.restart();
        floorExport(direct, corpus, floorOut);
        const double floor = seconds(t);
        settle();
        const double coldFloor = timeProcess(self, {QStringLiteral("--floor"), corpus, floorOut});
        settle();
        const double oneJob = runTool(ini, corpus, toolOut, 1, {kFull});
        settle();
        const double twoJobs = runTool(ini, corpus, toolOut, 2, {kFull});
        times.record(round, {engine, floor, coldFloor, oneJob, twoJobs});
    }
    const double engine = times.median(0) * 1000 / kPictures;
    const double floor = times.median(1) * 1000 / kPictures;
    std::printf("export (decode, picture and %dx%d thumbnail at quality 90): engine %7.1f "
                "ms/picture   libjpeg-turbo floor %7.1f ms/picture   ratio %.2f\n",
                kThumbBox, kThumbBox, engine, floor, engine / floor);
    const double oneJob = kPictures / times.median(3);
    const double twoJobs = kPictures / times.median(4);
    // Both programs start cold: a fresh process faults its buffers in once.
    const double floorRate = kPictures / times.median(2);
    std::printf("pictavel-build --jobs 1: %6.2f pictures/s   libjpeg-turbo floor in a fresh "
                "process %6.2f pictures/s   ratio %.2f\n",
                oneJob, floorRate, floorRate / oneJob);
    std::printf("pictavel-build --jobs 2: %6.2f pictures/s   %.2f x --jobs 1\n", twoJobs,
                twoJobs / oneJob);

    QProcess peak;
    peak.start(self, {QStringLiteral("--peak"), corpus});
    if (peak.waitForFinished(600000) && peak.exitCode() == 0) {
        const double mb = peak.readAllStandardOutput().trimmed().toDouble() / 1024.0;
        const double area = double(kWidth) * kHeight * 4 / (1024.0 * 1024.0);
        std::printf("peak memory of one export of the corpus: %.0f MB (%.2f x one picture's 32-bit "
                    "pixel area)\n",
                    mb, mb / area);
    } else {
        std::printf("peak memory: measurement failed\n");
    }
    std::printf("ratio export=%.2f build-jobs1=%.2f build-jobs2/jobs1=%.2f\n", engine / floor,
                floorRate / oneJob, twoJobs / oneJob);
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
        if (args.size() == 4 && args[1] == QLatin1String("--floor"))
            return runFloor(args[2], args[3]);
        if (args.size() > 2 && args[1] == QLatin1String("--child-peak"))
            return runChildPeak(args.mid(2));
        if (args.size() == 3 && args[1] == QLatin1String("--mixed-corpus"))
            return makeMixedCorpus(args[2]).pictures > 0 ? 0 : 1;
        if (args.size() >= 2 && args[1] == QLatin1String("--memory"))
            return runMemory(app.applicationFilePath(),
                             args.size() > 2 ? std::max(1, args[2].toInt()) : 3);
        if (args.size() == 2 && args[1] == QLatin1String("--incremental"))
            return runIncremental();
        if (args.size() >= 2 && args[1] == QLatin1String("--options"))
            return runOptions(app.applicationFilePath(),
                              args.size() > 2 ? std::max(1, args[2].toInt()) : 3);
        return runComparison(app.applicationFilePath(),
                             args.size() > 1 ? std::max(1, args[1].toInt()) : 3);
    } catch (const PictavelError &e) {
        std::fprintf(stderr, "error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
