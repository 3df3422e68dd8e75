#include "base/atomic_file.h"
#include "export/export_lock.h"
#include "export/export_record.h"
#include "export/gallery_export.h"
#include "imaging/picture_file.h"
#include "project/gallery_plan.h"
#include "test_files.h"
#include "ui/bitmap_image.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <unistd.h>

namespace {

// What the set looks like before an export.
struct SetState
{
    QStringList sources;
    QSize box{24, 24};
    bool renaming = true;
    bool remade = false;
    bool smooth = false;
    bool keep = false;
    // The index of the picture whose edited copy lies in the picture folder.
    int edited = -1;
};

void fill(TBitmap32 &b, int w, int h, TColor32 base)
{
    b.setSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, base + TColor32(x * 7 + y * 0x300));
}

// The stamps of every file under `folder`.
QMap<QString, StatStamp> stamps(const QString &folder)
{
    QMap<QString, StatStamp> result;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        result.insert(QDir(folder).relativeFilePath(path), *statStamp(path));
    }
    return result;
}

} // namespace

class TestExportRecord : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void incrementalEqualsFull_data();
    void incrementalEqualsFull();
    void foreignOrDamagedRecordWritesEverything();
    void pruningTouchesOnlyItsOwnFiles();
    void anotherWriterAfterTheRenameIsNotRecorded();
    void recordThatIsNoFileNeverBlocks_data();
    void recordThatIsNoFileNeverBlocks();
    void secondExportIsRefused();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // The export of `state` into `project`: the window's, with the cells'
    // pixels, or pictavel-build's, made from the sources as they are read.
    ExportJob job(const QString &project, const SetState &state, bool window);
    GalleryLayout layout(const QString &project, const SetState &state) const
    {
        return {
            project,   project + "/gal",          project + "/thumb", {state.renaming, "A_", "B_"},
            state.box, {state.smooth, state.keep}};
    }
    // Where the editor keeps the edited picture's copy: its picture file.
    QString editedCopy(const QString &project, const SetState &state) const;
    void exportInto(const QString &project, const SetState &state, bool window, bool full = false);

    std::unique_ptr<QTemporaryDir> m_dir;
    // The cells' pixels, kept alive for the jobs.
    std::vector<std::unique_ptr<TBitmap32>> m_cells;
};

void TestExportRecord::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const TColor32 bases[] = {0xFF204060u, 0xFF806040u, 0xFF10A0C0u};
    for (int i = 0; i < 3; ++i) {
        TBitmap32 picture;
        fill(picture, 60 + i * 4, 40, bases[i]);
        WriteJpegFile(path(QStringLiteral("src%1.jpg").arg(i)), picture, 95);
    }
    TBitmap32 bmp;
    fill(bmp, 64, 40, 0xFF00FF00u);
    QVERIFY(bitmapImage(bmp).save(path("src1.bmp"), "BMP"));
}

ExportJob TestExportRecord::job(const QString &project, const SetState &state, bool window)
{
    const GalleryLayout layout = this->layout(project, state);
    QList<SetPicture> pictures;
    QList<const TBitmap32 *> cells;
    for (int i = 0; i < state.sources.size(); ++i) {
        SetPicture picture{path(state.sources.at(i)), {}, state.sources.at(i), state.remade};
        if (i == state.edited)
            picture.edited = editedCopy(project, state);
        if (window) {
            // A cell's pixels: those of its picture, another for a refresh.
            TBitmap32 decoded;
            LoadPicture(picture.picture(), decoded);
            auto cell = std::make_unique<TBitmap32>();
            fill(*cell, state.box.width(), state.box.height() / 2,
                 TColor32(decoded.pixel(1, 1)) + (state.remade ? 3u : 0u));
            cells << cell.get();
            m_cells.push_back(std::move(cell));
        }
        pictures << picture;
    }
    ExportJob job = window ? galleryExportJob(layout, pictures, cells, {"page"}, 2)
                           : readableEntriesExportJob(layout, pictures, 2);
    return job;
}

QString TestExportRecord::editedCopy(const QString &project, const SetState &state) const
{
    QList<SetPicture> pictures;
    for (const QString &source : state.sources)
        pictures.append({path(source), {}, source});
    return project + "/gal/" +
           galleryNames(layout(project, state).naming, pictures).at(state.edited).pictureName;
}

void TestExportRecord::exportInto(const QString &project, const SetState &state, bool window,
                                  bool full)
{
    QVERIFY(QDir().mkpath(project + "/gal"));
    if (state.edited >= 0) {
        QFile::remove(editedCopy(project, state));
        QVERIFY(QFile::copy(path("edited.jpg"), editedCopy(project, state)));
    }
    ExportJob exportJob = job(project, state, window);
    exportJob.full = full;
    exportGallery(exportJob);
}

void TestExportRecord::incrementalEqualsFull_data()
{
    QTest::addColumn<bool>("window");
    QTest::addColumn<std::function<void(SetState &, bool)>>("change");
    // Whether the incremental export must leave every file as it was.
    QTest::addColumn<bool>("allKept");

    // The paths are those of the row's own folder, made by init().
    const auto project = [this] {
        return path("proj");
    };
    using Change = std::function<void(SetState &, bool window)>;
    // The first file of a folder of the export.
    const auto firstFile = [project](const QString &folder) {
        const QDir dir(project() + "/" + folder);
        return dir.filePath(dir.entryList(QDir::Files).value(0));
    };
    const QList<std::tuple<const char *, Change, bool>> changes = {
        {"nothing", [](SetState &, bool) {}, true},
        {"source touched",
         [this](SetState &, bool) {
             setModified(path("src2.jpg"), {1'700'000'000, 5});
         },
         false},
        {"source replaced, same size and time",
         [this](SetState &, bool) {
             // Another picture written over it in place, its time set back.
             TBitmap32 other;
             fill(other, 64, 40, 0xFF0000FFu);
             QVERIFY(bitmapImage(other).save(path("other.bmp"), "BMP"));
             overwriteKeepingTime(path("src1.bmp"), readBytes(path("other.bmp")));
         },
         false},
        {"box changed", [](SetState &s, bool) { s.box = QSize(30, 18); }, false},
        {"refresh", [](SetState &s, bool) { s.remade = true; }, false},
        {"crop saved and restored",
         [this, project](SetState &s, bool window) {
             TBitmap32 crop;
             fill(crop, 20, 16, 0xFF445566u);
             WriteJpegFile(path("edited.jpg"), crop, 90);
             s.edited = 1;
             exportInto(project(), s, window);
             s.edited = -1;
         },
         false},
        {"removed and exchanged, renaming",
         [](SetState &s, bool) {
             s.sources = {"src2.jpg", "src1.bmp"};
         },
         false},
        {"removed and exchanged, no renaming",
         [](SetState &s, bool) {
             s.renaming = false;
             s.sources = {"src2.jpg", "src1.bmp"};
         },
         false},
        {"output deleted",
         [firstFile](SetState &, bool) { QVERIFY(QFile::remove(firstFile("gal"))); }, false},
        {"output overwritten, same size and time",
         [firstFile](SetState &, bool) {
             const QString file = firstFile("thumb");
             QByteArray bytes = readBytes(file);
             bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55);
             overwriteKeepingTime(file, bytes);
         },
         false},
        {"record deleted",
         [project](SetState &, bool) { QVERIFY(QFile::remove(exportRecordPath(project()))); },
         false},
        {"record damaged",
         [project](SetState &, bool) { writeBytes(exportRecordPath(project()), "{\"format\": 1"); },
         false},
        {"options toggled",
         [](SetState &s, bool) {
             s.keep = true;
             s.smooth = true;
         },
         false},
    };
    for (const char *mode : {"window", "build"})
        for (const auto &[name, change, allKept] : changes)
            QTest::addRow("%s: %s", mode, name) << (mode[0] == 'w') << change << allKept;
}

void TestExportRecord::incrementalEqualsFull()
{
    QFETCH(bool, window);
    QFETCH(std::function<void(SetState &, bool)>, change);
    QFETCH(bool, allKept);
    const QString project = path("proj");
    SetState state;
    state.sources = {"src0.jpg", "src1.bmp", "src2.jpg"};
    exportInto(project, state, window);
    if (QTest::currentTestFailed())
        return;
    const QMap<QString, StatStamp> before = stamps(project);
    const std::optional<StatStamp> recordBefore = statStamp(exportRecordPath(project));

    change(state, window);
    if (QTest::currentTestFailed())
        return;
    exportInto(project, state, window);
    const QMap<QString, StatStamp> after = stamps(project);
    exportInto(path("full"), state, window);

    // Files that earlier exports wrote for pictures no longer in the set, or
    // under names they no longer have, are gone.
    const QMap<QString, QByteArray> full = filesUnder(path("full"));
    QCOMPARE(filesUnder(project), full);
    if (allKept) {
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
        // Nor is a record that says the same written again.
        QVERIFY(recordBefore && statStamp(exportRecordPath(project)) == recordBefore);
    }
    // --full writes them all again, to the same bytes.
    exportInto(project, state, window, true);
    const QMap<QString, StatStamp> rewritten = stamps(project);
    for (auto it = full.cbegin(); it != full.cend(); ++it)
        QVERIFY2(!(rewritten.value(it.key()) == after.value(it.key())), qPrintable(it.key()));
    QCOMPARE(filesUnder(project), full);
}

void TestExportRecord::foreignOrDamagedRecordWritesEverything()
{
    // A record that names another folder is not believed.
    SetState state;
    state.sources = {"src0.jpg"};
    const QString project = path("proj");
    exportInto(project, state, false);
    QFile record(exportRecordPath(project));
    QVERIFY(record.open(QIODevice::ReadOnly));
    const QByteArray bytes = readBytes(record.fileName());
    record.close();
    writeBytes(record.fileName(),
               QByteArray(bytes).replace(QDir(project).canonicalPath().toUtf8(), "/elsewhere"));
    const QMap<QString, StatStamp> before = stamps(project);
    exportInto(project, state, false);
    const QMap<QString, StatStamp> after = stamps(project);
    // Only the page, which is compared with what it would be, stays.
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2((after.value(it.key()) == it.value()) ==
                     (it.key() == QString::fromLatin1(kPageFileName)),
                 qPrintable(it.key()));
    // And the record is written afresh, so that the next export skips.
    exportInto(project, state, false);
    QCOMPARE(stamps(project).value("gal/A_01.jpg"), after.value("gal/A_01.jpg"));
}

void TestExportRecord::pruningTouchesOnlyItsOwnFiles()
{
    const QString project = path("proj");
    SetState state;
    state.renaming = false;
    state.sources = {"src0.jpg", "src1.bmp", "src2.jpg"};
    exportInto(project, state, false);
    writeBytes(project + "/gal/mine.jpg", "the user's own file");
    // Changed since the export wrote it: the user's now.
    QByteArray changed = readBytes(project + "/thumb/src0.jpg");
    changed[changed.size() / 2] = char(changed[changed.size() / 2] ^ 0x55);
    overwriteKeepingTime(project + "/thumb/src0.jpg", changed);
    state.sources = {"src2.jpg"};
    exportInto(project, state, false);
    QCOMPARE(filesUnder(project).keys(),
             QStringList({"gal/mine.jpg", "gal/src2.jpg", "thumb/src0.jpg", "thumb/src2.jpg",
                          "~thumbs.html"}));
    // The record keeps the set alone, so it does not grow with every change.
    const QByteArray record = readBytes(exportRecordPath(project));
    QCOMPARE(record.count("\"inputs\""), 2);
}

namespace {

// Stands for another build that replaces the thumbnail just after this
// build's rename.
void replaceThumbnailAfterRename(const QByteArray &path)
{
    if (!path.endsWith("/thumb/B_01.jpg"))
        return;
    const QByteArray other = path + ".other";
    QFile file(QString::fromUtf8(other));
    if (file.open(QIODevice::WriteOnly))
        file.write("another build's thumbnail");
    file.close();
    ::rename(other.constData(), path.constData());
}

} // namespace

void TestExportRecord::anotherWriterAfterTheRenameIsNotRecorded()
{
    const QString project = path("proj");
    SetState state;
    state.sources = {"src0.jpg", "src2.jpg"};
    setAfterRenameHookForTests(replaceThumbnailAfterRename);
    exportInto(project, state, false);
    setAfterRenameHookForTests(nullptr);
    QCOMPARE(readBytes(project + "/thumb/B_01.jpg"), QByteArray("another build's thumbnail"));
    exportInto(project, state, false);
    exportInto(path("full"), state, false);
    QCOMPARE(filesUnder(project), filesUnder(path("full")));
}

void TestExportRecord::recordThatIsNoFileNeverBlocks_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("link to an endless device") << "device";
    QTest::newRow("folder") << "folder";
}

void TestExportRecord::recordThatIsNoFileNeverBlocks()
{
    QFETCH(QString, kind);
    const QString project = path("proj");
    QVERIFY(QDir().mkpath(project + "/gal"));
    const QString record = exportRecordPath(project);
    QVERIFY(QDir().mkpath(QFileInfo(record).path()));
    QFile::remove(record);
    const QByteArray name = QFile::encodeName(record);
    int pipeEnd = -1;
    if (kind == "pipe") {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        // Held open, so that only a read would wait.
        pipeEnd = ::open(name.constData(), O_RDWR);
    } else if (kind == "device") {
        QCOMPARE(::symlink("/dev/zero", name.constData()), 0);
    } else {
        QVERIFY(QDir().mkdir(record));
    }
    SetState state;
    state.sources = {"src0.jpg"};
    ExportJob exportJob = job(project, state, false);
    QStringList notices;
    exportJob.onNotice = [&notices](const QString &notice) {
        notices << notice;
    };
    auto done = std::async(std::launch::async, [&exportJob] { exportGallery(exportJob); });
    const bool finished = done.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    if (pipeEnd >= 0)
        ::close(pipeEnd);
    done.wait();
    QVERIFY(finished);
    QVERIFY(QFileInfo::exists(project + "/gal/A_01.jpg"));
    QVERIFY2(!notices.isEmpty() && notices.first().contains(record),
             qPrintable(notices.join('\n')));
    // A record that cannot be written says so too.
    QCOMPARE(notices.size(), kind == "folder" ? 2 : 1);
}

void TestExportRecord::secondExportIsRefused()
{
    const QString project = path("proj");
    QVERIFY(QDir().mkpath(project));
    const ExportLock running(project, ExportLock::WhenBusy::Refuse, {});
    SetState state;
    state.sources = {"src0.jpg"};
    try {
        exportGallery(job(project, state, true));
        QFAIL("a second export ran");
    } catch (const PictavelError &error) {
        QVERIFY2(error.message().startsWith("Another export of"), qPrintable(error.message()));
    }
    QCOMPARE(filesUnder(project).size(), 0);
}

QTEST_GUILESS_MAIN(TestExportRecord)
#include "tst_export_record.moc"
