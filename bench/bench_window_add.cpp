// Adding pictures and exporting them through the real window (offscreen),
// measured against plain libjpeg-turbo doing the same work on the same files
// in the same run (decode and nearest fit for the add; decode, q90 encode and
// thumbnail q90 encode for the export), each with one core and with all of
// them, with the window's peak memory.
//
// pictavel-bench-window [count]   (default 20 photo-like 12-megapixel JPEGs)

#include "app/form_main.h"
#include "base/pictavel_error.h"
#include "bench/direct_jpeg.h"
#include "bench/photo_corpus.h"
#include "bench/process_memory.h"
#include "export/export_record.h"
#include "tests/window_controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <functional>

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

// Empties the set as the delete button does, saying Yes to its question.
void clearProject(TFormMain &window)
{
    QTimer::singleShot(0, [] {
        if (auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            question->button(QMessageBox::Yes)->click();
    });
    window.btnClearAllProjectClick();
}

// Plain libjpeg-turbo over the same files: decode and nearest fit as an add
// does, and with `exportFolder` given also both encodes as an export does.
double plainMsPerPicture(const QStringList &files, const QString &exportFolder = {})
{
    DirectJpeg direct;
    QElapsedTimer timer;
    timer.start();
    for (const QString &file : files) {
        int w = 0, h = 0;
        direct.decode(file, w, h);
        direct.thumbnail(w, h, 110);
        if (exportFolder.isEmpty())
            continue;
        direct.encodeThumbnail(exportFolder + QStringLiteral("/thumb.jpg"));
        direct.encode(exportFolder + QStringLiteral("/picture.jpg"), w, h);
    }
    return double(timer.nsecsElapsed()) / 1e6 / files.size();
}

double msPerPictureOf(const std::function<void()> &work, int pictures)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6 / pictures;
}

int run(int count)
{
    QTemporaryDir dir;
    // The set's and the exports' records go to the run's own folders.
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toLocal8Bit());
    const QString pictures = dir.filePath(QStringLiteral("pictures"));
    QDir().mkpath(pictures);
    QStringList files;
    for (int i = 0; i < count; ++i) {
        files << QStringLiteral("%1/photo%2.jpg").arg(pictures).arg(i, 2, 10, QLatin1Char('0'));
        writeCorpusJpeg(files.last(), kWidth, kHeight, uint32_t(i + 1));
    }

    TFormMain window(dir.path());
    window.show();
    QListWidget *list = openInFileList(window, pictures);

    const long before = statusKb("VmRSS:");

    // A first picture, through the question for the project folder, then
    // one untimed add of them all: the files are in the page cache and the
    // pixel areas in the pool for both timed adds, as in a user's session.
    // The folder exists, so that the dialog asks nothing more.
    list->item(0)->setSelected(true);
    QDir().mkpath(dir.filePath(QStringLiteral("project")));
    chooseProjectFolderSoon(dir.filePath(QStringLiteral("project")));
    window.btnADDThumbClick();
    const auto addAll = [&] {
        list->selectAll();
        window.btnADDThumbClick();
    };
    addAll();
    clearProject(window);

    // The add with everything on the window's thread, then with the next
    // pictures decoded on the other processors, each into an empty set.
    window.setJobs(1);
    const double addOneMs = msPerPictureOf(addAll, count);
    clearProject(window);
    window.setJobs(0);
    resetPeakMemory();
    const double addMs = msPerPictureOf(addAll, count);
    const long peak = statusKb("VmHWM:");
    const double pictureMb = double(kWidth) * kHeight * 4 / 1048576.0;
    const double overMb = (peak - before) / 1024.0;

    // "Start" with one worker, then with one per processor, each over the
    // files the one before wrote. Without the export record the second
    // writes every file again instead of finding them up to date.
    window.setJobs(1);
    const double exportOneMs = msPerPictureOf([&] { window.btnStartClick(); }, count);
    QFile::remove(exportRecordPath(dir.filePath(QStringLiteral("project"))));
    window.setJobs(0);
    resetPeakMemory();
    const long beforeExport = statusKb("VmRSS:");
    const double exportMs = msPerPictureOf([&] { window.btnStartClick(); }, count);
    const double exportOverMb = (statusKb("VmHWM:") - beforeExport) / 1024.0;

    const double plainMs = plainMsPerPicture(files);
    const QString out = dir.filePath(QStringLiteral("plain"));
    QDir().mkpath(out);
    const double plainExportMs = plainMsPerPicture(files, out);
    const int cores = QThread::idealThreadCount();
    std::printf("add %d pictures of %dx%d through the window, 1 core:  %.1f ms per picture\n",
                count, kWidth, kHeight, addOneMs);
    std::printf("add %d pictures of %dx%d through the window, %d cores: %.1f ms per picture\n",
                count, kWidth, kHeight, cores, addMs);
    std::printf("plain libjpeg-turbo decode + nearest fit:        %.1f ms per picture\n", plainMs);
    std::printf("peak memory during the add on %d cores over the window before any picture: "
                "%.1f MB = %.2f x one picture (%.1f MB)\n",
                cores, overMb, overMb / pictureMb, pictureMb);
    std::printf("export %d pictures through the window, 1 core:  %.1f ms per picture\n", count,
                exportOneMs);
    std::printf("export %d pictures through the window, %d cores: %.1f ms per picture, peak "
                "%.1f MB over before\n",
                count, cores, exportMs, exportOverMb);
    std::printf("plain libjpeg-turbo decode + encode + thumbnail encode: %.1f ms per picture\n",
                plainExportMs);
    std::printf("ratio add-1-core/plain=%.2f add-1-core/all-cores=%.2f "
                "export-1-core/plain=%.2f export-1-core/all-cores=%.2f\n",
                addOneMs / plainMs, addOneMs / addMs, exportOneMs / plainExportMs,
                exportOneMs / exportMs);
    return window.thumbsCount() == count ? 0 : 1;
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
