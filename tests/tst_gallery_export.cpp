#include "base/pictavel_error.h"
#include "export/gallery_export.h"
#include "gif_files.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"
#include "project/gallery_plan.h"
#include "project/project_folders.h"
#include "test_files.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSourceWidth = 40;
constexpr int kSourceHeight = 30;
const QSize kBox(20, 20);
const QByteArray kEarlier("earlier export");

void fill(TBitmap32 &b, int w, int h, TColor32 base)
{
    b.setSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, base + TColor32(x * 5 + y * 0x500));
}

QSize decodedSize(const QString &path)
{
    TBitmap32 b;
    LoadPicture(path, b);
    return QSize(b.width(), b.height());
}

QString errorOf(const ExportJob &job)
{
    try {
        exportGallery(job);
    } catch (const PictavelError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestGalleryExport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writesEveryFileInOrder_data();
    void writesEveryFileInOrder();
    void emptySetMakesPictureFolderAndPage();
    void missingSourceIsPassedOver_data();
    void missingSourceIsPassedOver();
    void failureStopsTheExport_data();
    void failureStopsTheExport();
    void threadsLeaveTheFilesOfOne();
    void threadsStopAtTheFirstFailureInOrder();
    void threadsGoOnPastFailures();
    void screenCopiesAndDoubleThumbnails();
    void outputsNeverReplaceSources_data();
    void outputsNeverReplaceSources();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString galleryFile(const QString &name) const { return path("proj/gal/" + name); }
    QString thumbFile(const QString &name) const { return path("proj/thumb/" + name); }
    // The JPEG file bytes the export must write for these pixels.
    QByteArray jpegBytes(const TBitmap32 &pixels) const;
    QByteArray expectedPicture(const QString &source) const;
    QByteArray expectedThumb(const QString &source) const;
    // Three items from a JPEG, a BMP and a GIF; the first is edited and
    // brings its thumbnail pixels, the others have theirs made.
    ExportJob threeItemJob() const;
    // Eight items into `project` on `jobs` threads: the three above, a large
    // JPEG and a BMP with one output name, then the three again.
    ExportJob eightItemJob(const QString &project, int jobs) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    TBitmap32 m_readyThumb;
};

void TestGalleryExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkdir("proj"));
    TBitmap32 jpeg;
    fill(jpeg, kSourceWidth, kSourceHeight, 0xFF204060u);
    WriteJpegFile(path("a.jpg"), jpeg, 95);
    QImage bmp(kSourceWidth, kSourceHeight, QImage::Format_RGB32);
    bmp.fill(QColor(200, 180, 20));
    QVERIFY(bmp.save(path("b.bmp"), "BMP"));
    QVERIFY(writeHalfTransparentGif(path("c.gif"), kSourceWidth, kSourceHeight));
    fill(m_readyThumb, 7, 5, 0xFF102030u);
}

QByteArray TestGalleryExport::jpegBytes(const TBitmap32 &pixels) const
{
    const QString out = path("expected.jpg");
    WriteJpegFile(out, pixels, 90);
    return readBytes(out);
}

QByteArray TestGalleryExport::expectedPicture(const QString &source) const
{
    TBitmap32 picture;
    LoadPicture(source, picture);
    return jpegBytes(picture);
}

QByteArray TestGalleryExport::expectedThumb(const QString &source) const
{
    TBitmap32 picture, thumb;
    LoadPicture(source, picture);
    MakeThumbnail(picture, kBox.width(), kBox.height(), thumb);
    return jpegBytes(thumb);
}

ExportJob TestGalleryExport::threeItemJob() const
{
    ExportJob job;
    job.projectFolder = path("proj");
    job.pictureFolder = path("proj/gal");
    job.thumbFolder = path("proj/thumb");
    job.pageLines = QStringList{QStringLiteral("<p>Я</p>"), QStringLiteral("end")};
    job.items = {
        {path("a.jpg"), "A_01.jpg", "B_01.jpg", true, &m_readyThumb, QSize()},
        {path("b.bmp"), "A_02.jpg", "B_02.jpg", false, nullptr, kBox},
        {path("c.gif"), "A_03.jpg", "B_03.jpg", false, nullptr, kBox},
    };
    return job;
}

ExportJob TestGalleryExport::eightItemJob(const QString &project, int jobs) const
{
    ExportJob job = threeItemJob();
    job.projectFolder = path(project);
    job.pictureFolder = path(project + "/gal");
    job.thumbFolder = path(project + "/thumb");
    job.jobs = jobs;
    const QList<ExportItem> three = job.items;
    job.items.append({path("large.jpg"), "L.jpg", "L.jpg", false, nullptr, kBox});
    job.items.append({path("b.bmp"), "L.jpg", "T.jpg", false, nullptr, kBox});
    job.items.append(three);
    return job;
}

void TestGalleryExport::writesEveryFileInOrder_data()
{
    QTest::addColumn<int>("jobs");
    QTest::newRow("one thread") << 1;
    QTest::newRow("three threads") << 3;
}

void TestGalleryExport::writesEveryFileInOrder()
{
    QFETCH(int, jobs);
    QVERIFY(QDir(path("proj")).mkdir("gal"));
    writeBytes(galleryFile("A_01.jpg"), "edited copy");
    QList<QPair<int, int>> progress;
    ExportJob job = threeItemJob();
    job.jobs = jobs;
    exportGallery(job, [&](int done, int total, const ExportOutcome &) {
        progress.append({done, total});
    });

    QCOMPARE(progress, (QList<QPair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    QCOMPARE(QDir(path("proj/gal")).entryList(QDir::Files),
             QStringList({"A_01.jpg", "A_02.jpg", "A_03.jpg"}));
    QCOMPARE(QDir(path("proj/thumb")).entryList(QDir::Files),
             QStringList({"B_01.jpg", "B_02.jpg", "B_03.jpg"}));
    QCOMPARE(readBytes(galleryFile("A_01.jpg")), QByteArray("edited copy"));
    QCOMPARE(readBytes(thumbFile("B_01.jpg")), jpegBytes(m_readyThumb));
    // The BMP and the GIF come back as JPEG files at full size, each from its
    // own source alone although both are decoded into one kept bitmap.
    QCOMPARE(decodedSize(galleryFile("A_02.jpg")), QSize(kSourceWidth, kSourceHeight));
    QCOMPARE(decodedSize(thumbFile("B_03.jpg")), QSize(20, 15));
    QCOMPARE(readBytes(galleryFile("A_02.jpg")), expectedPicture(path("b.bmp")));
    QCOMPARE(readBytes(galleryFile("A_03.jpg")), expectedPicture(path("c.gif")));
    QCOMPARE(readBytes(thumbFile("B_02.jpg")), expectedThumb(path("b.bmp")));
    QCOMPARE(readBytes(thumbFile("B_03.jpg")), expectedThumb(path("c.gif")));
    QCOMPARE(readBytes(path("proj/~thumbs.html")), QByteArray("<p>\xDF</p>\r\nend\r\n"));
}

void TestGalleryExport::emptySetMakesPictureFolderAndPage()
{
    ExportJob job = threeItemJob();
    job.items.clear();
    int calls = 0;
    exportGallery(job, [&](int, int, const ExportOutcome &) { ++calls; });
    QCOMPARE(calls, 0);
    QVERIFY(QFileInfo(path("proj/gal")).isDir());
    QVERIFY(!QFileInfo::exists(path("proj/thumb")));
    QCOMPARE(readBytes(path("proj/~thumbs.html")), QByteArray("<p>\xDF</p>\r\nend\r\n"));
}

void TestGalleryExport::missingSourceIsPassedOver_data()
{
    QTest::addColumn<bool>("readyThumb");
    QTest::newRow("thumbnail made from the source") << false;
    QTest::newRow("thumbnail pixels given") << true;
}

void TestGalleryExport::missingSourceIsPassedOver()
{
    QFETCH(bool, readyThumb);
    QVERIFY(QDir(path("proj")).mkpath("gal"));
    QVERIFY(QDir(path("proj")).mkpath("thumb"));
    writeBytes(galleryFile("A_02.jpg"), kEarlier);
    writeBytes(thumbFile("B_02.jpg"), kEarlier);
    ExportJob job = threeItemJob();
    job.items[1].sourcePath = path("gone.jpg");
    if (readyThumb)
        job.items[1].thumbPixels = &m_readyThumb;

    const QString message = errorOf(job);
    QVERIFY2(
        message.contains(
            QStringLiteral("A_02.jpg: its source file %1 no longer exists").arg(path("gone.jpg"))),
        qPrintable(message));
    QCOMPARE(message.count(u'\n'), 1);
    QCOMPARE(readBytes(galleryFile("A_02.jpg")), kEarlier);
    QCOMPARE(readBytes(thumbFile("B_02.jpg")), readyThumb ? jpegBytes(m_readyThumb) : kEarlier);
    QCOMPARE(readBytes(galleryFile("A_03.jpg")), expectedPicture(path("c.gif")));
    QVERIFY(QFileInfo::exists(path("proj/~thumbs.html")));
}

void TestGalleryExport::failureStopsTheExport_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("itemsWritten");
    QTest::newRow("picture folder is a file")
        << "proj/gal" << QStringLiteral("Cannot create folder %1/proj/gal: Not a directory") << 0;
    QTest::newRow("picture file name is a folder")
        << "proj/gal/A_02.jpg/" << QStringLiteral("Cannot create file %1/proj/gal/A_02.jpg") << 1;
    QTest::newRow("damaged source") << "b.bmp" << QStringLiteral("%1/b.bmp: ") << 1;
}

void TestGalleryExport::failureStopsTheExport()
{
    QFETCH(QString, blocker);
    QFETCH(QString, message);
    QFETCH(int, itemsWritten);
    writeBytes(path("proj/~thumbs.html"), kEarlier);
    if (blocker.endsWith(u'/'))
        QVERIFY(QDir(m_dir->path()).mkpath(blocker));
    else
        writeBytes(path(blocker), "not a picture");

    QVERIFY(errorOf(threeItemJob()).startsWith(message.arg(m_dir->path())));
    QCOMPARE(readBytes(path("proj/~thumbs.html")), kEarlier);
    QCOMPARE(QFileInfo::exists(thumbFile("B_01.jpg")), itemsWritten > 0);
    QVERIFY(!QFileInfo::exists(galleryFile("A_03.jpg")));
    QVERIFY(!QFileInfo::exists(thumbFile("B_03.jpg")));
}

void TestGalleryExport::threadsLeaveTheFilesOfOne()
{
    // The large picture takes longest, yet the BMP after it, with the same
    // picture name, is the one left, and the later copy of each thumbnail.
    TBitmap32 large;
    fill(large, 1600, 1200, 0xFF000000u);
    WriteJpegFile(path("large.jpg"), large, 90);
    for (const char *project : {"one", "four"}) {
        QVERIFY(QDir(m_dir->path()).mkpath(QString::fromLatin1(project) + "/gal"));
        writeBytes(path(QString::fromLatin1(project) + "/gal/A_01.jpg"), "edited copy");
    }
    exportGallery(eightItemJob("one", 1));
    QList<int> progress;
    exportGallery(eightItemJob("four", 4),
                  [&](int done, int, const ExportOutcome &) { progress << done; });
    QCOMPARE(progress, QList<int>({1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(readBytes(path("four/gal/L.jpg")), expectedPicture(path("b.bmp")));
    for (const char *folder : {"", "/gal", "/thumb"}) {
        const QDir one(path("one" + QString::fromLatin1(folder)));
        const QStringList files = one.entryList(QDir::Files);
        QCOMPARE(QDir(path("four" + QString::fromLatin1(folder))).entryList(QDir::Files), files);
        for (const QString &file : files)
            QVERIFY2(readBytes(one.filePath(file)) ==
                         readBytes(path("four" + QString::fromLatin1(folder) + "/" + file)),
                     qPrintable(file));
    }
}

void TestGalleryExport::threadsStopAtTheFirstFailureInOrder()
{
    // The fourth and fifth items fail; the message is the fourth one's,
    // every item before it is written and the progress ends before it.
    writeBytes(path("large.jpg"), "not a picture");
    writeBytes(path("broken.bmp"), "not a picture");
    writeBytes(path("proj/~thumbs.html"), kEarlier);
    ExportJob job = eightItemJob("proj", 3);
    job.items[4].sourcePath = path("broken.bmp");
    QList<int> progress;
    QString message;
    try {
        exportGallery(job, [&](int done, int, const ExportOutcome &) { progress << done; });
    } catch (const PictavelError &e) {
        message = e.message();
    }
    QVERIFY2(message.startsWith(path("large.jpg") + ": "), qPrintable(message));
    QCOMPARE(progress, QList<int>({1, 2, 3}));
    QCOMPARE(readBytes(path("proj/~thumbs.html")), kEarlier);
    QCOMPARE(readBytes(thumbFile("B_01.jpg")), jpegBytes(m_readyThumb));
    QCOMPARE(readBytes(thumbFile("B_02.jpg")), expectedThumb(path("b.bmp")));
    QCOMPARE(readBytes(galleryFile("A_03.jpg")), expectedPicture(path("c.gif")));
}

void TestGalleryExport::threadsGoOnPastFailures()
{
    writeBytes(path("large.jpg"), "not a picture");
    ExportJob job = eightItemJob("proj", 3);
    job.items[4].sourcePath = path("gone.bmp");
    QList<int> progress;
    const QList<ExportOutcome> outcomes = exportItems(
        job, OnFailure::GoOn, [&](int done, int, const ExportOutcome &) { progress << done; });
    QList<ExportOutcome::Kind> kinds;
    for (const ExportOutcome &outcome : outcomes)
        kinds << outcome.kind;
    using Kind = ExportOutcome::Kind;
    QCOMPARE(kinds,
             QList<Kind>({Kind::Written, Kind::Written, Kind::Written, Kind::Failed,
                          Kind::SourceMissing, Kind::Written, Kind::Written, Kind::Written}));
    QVERIFY2(outcomes[3].reason.startsWith(path("large.jpg") + ": "),
             qPrintable(outcomes[3].reason));
    QCOMPARE(progress, QList<int>({1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(readBytes(thumbFile("B_03.jpg")), expectedThumb(path("c.gif")));
    QVERIFY(!QFileInfo::exists(path("proj/~thumbs.html")));
}

void TestGalleryExport::screenCopiesAndDoubleThumbnails()
{
    TBitmap32 large;
    fill(large, 3000, 1000, 0xFF305070u);
    WriteJpegFile(path("large.jpg"), large, 90);
    ExportJob job = threeItemJob();
    job.items[0].sourcePath = path("large.jpg");
    job.items[0].thumbBox = kBox;
    job.screenCopyFolder = path("proj/view");
    const auto stamps = [this] {
        QStringList list;
        for (const char *folder : {"proj/view", "proj/thumb"})
            for (const QFileInfo &file :
                 QDir(path(QString::fromLatin1(folder))).entryInfoList(QDir::Files))
                list << file.fileName() + QString::number(file.lastModified().toMSecsSinceEpoch());
        return list;
    };
    const QList<ExportOutcome> outcomes = exportItems(job, OnFailure::Stop);
    // The long side at most 2048, never enlarged; thumbnails of twice the box.
    QCOMPARE(decodedSize(path("proj/view/A_01.jpg")), QSize(2048, 683));
    QCOMPARE(decodedSize(path("proj/view/A_02.jpg")), QSize(kSourceWidth, kSourceHeight));
    QCOMPARE(decodedSize(path("proj/thumb/B_02@2x.jpg")), QSize(40, 30));
    QCOMPARE(outcomes[1].thumbSize, QSize(20, 15));
    const QStringList first = stamps();
    QCOMPARE(first.size(), 9);
    // Unchanged, nothing is written again; the thumbnails' sizes are known all the same.
    QCOMPARE(exportItems(job, OnFailure::Stop)[2].thumbSize, QSize(20, 15));
    QCOMPARE(stamps(), first);
}

void TestGalleryExport::outputsNeverReplaceSources_data()
{
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("pictureText");
    QTest::addColumn<QString>("thumbText");
    // Where the source a.jpg lies under the temporary folder, and how: a
    // copy, or a symbolic or hard link to the one in the folder itself.
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("blamedText");
    QTest::newRow("project folder is the photos' own, thumbnails into it") << ""
                                                                           << "\\gal"
                                                                           << ""
                                                                           << "a.jpg"
                                                                           << ""
                                                                           << "";
    QTest::newRow("photos copied into the picture folder") << "proj"
                                                           << "\\gal"
                                                           << "\\thumb"
                                                           << "proj/gal/a.jpg"
                                                           << ""
                                                           << "\\gal";
    QTest::newRow("no picture folder text") << ""
                                            << ""
                                            << "thumb"
                                            << "a.jpg"
                                            << ""
                                            << "";
    QTest::newRow("a link to the photo in the picture folder") << "proj"
                                                               << "gal"
                                                               << "thumb"
                                                               << "a.jpg"
                                                               << "symbolic"
                                                               << "gal";
    QTest::newRow("a second name of the photo in the thumbnail folder") << "proj"
                                                                        << "gal"
                                                                        << "thumb"
                                                                        << "a.jpg"
                                                                        << "hard"
                                                                        << "thumb";
}

void TestGalleryExport::outputsNeverReplaceSources()
{
    QFETCH(QString, project);
    QFETCH(QString, pictureText);
    QFETCH(QString, thumbText);
    QFETCH(QString, source);
    QFETCH(QString, link);
    QFETCH(QString, blamedText);
    const QString projectPath = path(project);
    const ProjectFolder pictures = deriveProjectFolder(projectPath, pictureText);
    const ProjectFolder thumbs = deriveProjectFolder(projectPath, thumbText);
    QVERIFY(QDir().mkpath(pictures.path) && QDir().mkpath(thumbs.path));
    if (!QFileInfo::exists(path(source)))
        QVERIFY(QFile::copy(path("a.jpg"), path(source)));
    const QString linked = (blamedText == thumbText ? thumbs.path : pictures.path) + "/a.jpg";
    if (link == "symbolic")
        QVERIFY(QFile::link(path(source), linked));
    else if (link == "hard")
        QCOMPARE(::link(QFile::encodeName(path(source)).constData(),
                        QFile::encodeName(linked).constData()),
                 0);
    const QMap<QString, QByteArray> before = filesUnder(m_dir->path());
    const GalleryLayout layout{projectPath, pictures.path, thumbs.path, {}, kBox,
                               {},          pictureText,   thumbText};
    const QList<SetPicture> set{{path(source), {}, "a.jpg"}, {path("b.bmp"), {}, "b.bmp"}};
    const QString message = errorOf(galleryExportJob(layout, set, {}, {"page"}, 2));
    QVERIFY2(message.contains(path(source)) &&
                 message.contains(QStringLiteral("folder text \"%1\"").arg(blamedText)),
             qPrintable(message));
    QCOMPARE(filesUnder(m_dir->path()), before);
}

QTEST_GUILESS_MAIN(TestGalleryExport)
#include "tst_gallery_export.moc"
