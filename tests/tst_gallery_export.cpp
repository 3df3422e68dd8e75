#include "base/pictavel_error.h"
#include "html/gallery_export.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"
#include "test_files.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include <gif_lib.h>

namespace {

constexpr int kSourceWidth = 40;
constexpr int kSourceHeight = 30;
const QSize kBox(20, 20);
const QByteArray kEarlier("earlier export");

// A 40 x 30 GIF of four colours whose left half is index 0, the transparent
// one: a decoder that draws it over an earlier picture would show through.
bool writeGif(const QString &path)
{
    int error = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    if (!gif)
        return false;
    GifColorType colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    ColorMapObject *map = GifMakeMapObject(4, colours);
    bool ok = EGifPutScreenDesc(gif, kSourceWidth, kSourceHeight, 2, 0, map) == GIF_OK;
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = 0;
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, kSourceWidth, kSourceHeight, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(kSourceWidth);
    for (int y = 0; y < kSourceHeight; ++y) {
        for (int x = 0; x < kSourceWidth; ++x)
            row[size_t(x)] = GifPixelType(x < kSourceWidth / 2 ? 0 : 1 + (x + y) % 3);
        ok = ok && EGifPutLine(gif, row.data(), kSourceWidth) == GIF_OK;
    }
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

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
    void writesEveryFileInOrder();
    void emptySetMakesPictureFolderAndPage();
    void missingSourceIsPassedOver_data();
    void missingSourceIsPassedOver();
    void failureStopsTheExport_data();
    void failureStopsTheExport();

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
    QVERIFY(writeGif(path("c.gif")));
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

void TestGalleryExport::writesEveryFileInOrder()
{
    QVERIFY(QDir(path("proj")).mkdir("gal"));
    writeBytes(galleryFile("A_01.jpg"), "edited copy");
    QList<QPair<int, int>> progress;
    exportGallery(threeItemJob(), [&](int done, int total) { progress.append({done, total}); });

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
    exportGallery(job, [&](int, int) { ++calls; });
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
        << "proj/gal" << QStringLiteral("Cannot create folder %1/proj/gal") << 0;
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

QTEST_GUILESS_MAIN(TestGalleryExport)
#include "tst_gallery_export.moc"
