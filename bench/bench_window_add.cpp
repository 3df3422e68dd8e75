// Adding pictures and exporting them through the real window (offscreen),
// measured against plain libjpeg-turbo doing the same work on the same files
// in the same run (decode and nearest fit for the add; decode, q90 encode and
// thumbnail q90 encode for the export), with the window's peak memory.
//
// pictavel-bench-window [count]   (default 20 photo-like 12-megapixel JPEGs)

#include "app/form_main.h"
#include "base/pictavel_error.h"
#include "bench/direct_jpeg.h"
#include "bench/photo_corpus.h"
#include "bench/process_memory.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Peak memory since the last reset, so that the add's own peak can be read.
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Answers the project folder dialog that the first add opens.
void chooseProjectFolderSoon(const QString &folder)
{
    QTimer::singleShot(50, [folder] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return chooseProjectFolderSoon(folder);
        dialog->findChild<QLineEdit *>()->setText(folder);
        dialog->accept();
    });
}

double plainExportMsPerPicture(const QStringList &files, const QString &out)
{
    DirectJpeg direct;
    QElapsedTimer timer;
    timer.start();
    for (const QString &file : files) {
        int w = 0, h = 0;
        direct.decode(file, w, h);
        direct.thumbnail(w, h, 110);
        direct.encodeThumbnail(out + QStringLiteral("/thumb.jpg"));
        direct.encode(out + QStringLiteral("/picture.jpg"), w, h);
    }
    return double(timer.nsecsElapsed()) / 1e6 / files.size();
}

double plainMsPerPicture(const QStringList &files)
{
    DirectJpeg direct;
    QElapsedTimer timer;
    timer.start();
    for (const QString &file : files) {
        int w = 0, h = 0;
        direct.decode(file, w, h);
        direct.thumbnail(w, h, 110);
    }
    return double(timer.nsecsElapsed()) / 1e6 / files.size();
}

int run(int count)
{
    QTemporaryDir dir;
    const QString pictures = dir.filePath(QStringLiteral("pictures"));
    QDir().mkpath(pictures);
    QStringList files;
    for (int i = 0; i < count; ++i) {
        files << QStringLiteral("%1/photo%2.jpg").arg(pictures).arg(i, 2, 10, QLatin1Char('0'));
        writeCorpusJpeg(files.last(), kWidth, kHeight, uint32_t(i + 1));
    }

    TFormMain window(dir.path());
    window.show();
    auto *tree = window.findChild<QTreeView *>(QStringLiteral("DirectoryTree"));
    tree->setCurrentIndex(static_cast<QFileSystemModel *>(tree->model())->index(pictures));
    window.DirectoryTreeClick();
    auto *list = window.findChild<QListWidget *>(QStringLiteral("FileListBox"));

    // A first picture, through the question for the project folder, warms
    // the decoder and shows a picture in the preview as a user's would be.
    list->item(0)->setSelected(true);
    QDir().mkpath(dir.filePath(QStringLiteral("project")));
    // An existing folder, so that the dialog asks nothing more.
    QDir().mkpath(dir.filePath(QStringLiteral("project")));
    chooseProjectFolderSoon(dir.filePath(QStringLiteral("project")));
    window.btnADDThumbClick();

    const long before = statusKb("VmRSS:");
    resetPeakMemory();
    list->selectAll();
    QElapsedTimer timer;
    timer.start();
    window.btnADDThumbClick();
    const double windowMs = double(timer.nsecsElapsed()) / 1e6 / count;
    const long peak = statusKb("VmHWM:");
    const double pictureMb = double(kWidth) * kHeight * 4 / 1048576.0;
    const double overMb = (peak - before) / 1024.0;

    // "Start" with one worker, then with one per processor (the window's
    // own choice), each over the files the one before wrote.
    window.setExportJobs(1);
    timer.restart();
    window.btnStartClick();
    const double exportOneMs = double(timer.nsecsElapsed()) / 1e6 / (count + 1);
    window.setExportJobs(0);
    resetPeakMemory();
    const long beforeExport = statusKb("VmRSS:");
    timer.restart();
    window.btnStartClick();
    const double exportMs = double(timer.nsecsElapsed()) / 1e6 / (count + 1);
    const double exportOverMb = (statusKb("VmHWM:") - beforeExport) / 1024.0;

    const double plainMs = plainMsPerPicture(files);
    const QString out = dir.filePath(QStringLiteral("plain"));
    QDir().mkpath(out);
    const double plainExportMs = plainExportMsPerPicture(files, out);
    std::printf("add %d pictures of %dx%d through the window: %.1f ms per picture\n", count, kWidth,
                kHeight, windowMs);
    std::printf("plain libjpeg-turbo decode + nearest fit:        %.1f ms per picture\n", plainMs);
    std::printf("peak memory during the add over before it: %.1f MB = %.2f x one picture "
                "(%.1f MB)\n",
                overMb, overMb / pictureMb, pictureMb);
    std::printf("export %d pictures through the window, 1 worker: %.1f ms per picture\n", count + 1,
                exportOneMs);
    std::printf("export %d pictures through the window, %d workers: %.1f ms per picture, peak "
                "%.1f MB over before\n",
                count + 1, QThread::idealThreadCount(), exportMs, exportOverMb);
    std::printf("plain libjpeg-turbo decode + encode + thumbnail encode: %.1f ms per picture\n",
                plainExportMs);
    std::printf("ratio add-window=%.2f export-window=%.2f export-1-worker/all-workers=%.2f\n",
                windowMs / plainMs, exportMs / plainExportMs, exportOneMs / exportMs);
    return window.thumbsCount() == count + 1 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        return run(argc > 1 ? std::max(1, atoi(argv[1])) : 20);
    } catch (const PictavelError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
}
