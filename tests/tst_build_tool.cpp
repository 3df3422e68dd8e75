#include "base/text_file.h"
#include "html/page_generator.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"
#include "test_files.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

struct Run
{
    int exitCode = -1;
    QString errors;
};

void fill(TBitmap32 &b, int w, int h, TColor32 base)
{
    b.setSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, base + TColor32(x * 3 + y * 0x300));
}

} // namespace

class TestBuildTool : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void buildsWhatStartWrites();
    void namesFollowTheProfile_data();
    void namesFollowTheProfile();
    void refusesToStart_data();
    void refusesToStart();
    void goesOnPastBadPictures();
    void anyJobCountGivesTheSameFiles();
    void progressGoesToStderr();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void writeIni(const QStringList &lines) const;
    Run run(const QStringList &arguments) const;
    // The JPEG file bytes for a source at full size, or fitted into a box.
    QByteArray expectedFile(const QString &source, QSize box = QSize()) const;
    QStringList filesIn(const QString &folder) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBuildTool::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkdir("src"));
    TBitmap32 b;
    fill(b, 64, 48, 0xFF204060u);
    WriteJpegFile(path("src/a.jpg"), b, 95);
    fill(b, 30, 90, 0xFF603010u);
    WriteJpegFile(path("z.jpg"), b, 95);
    QImage bmp(50, 20, QImage::Format_RGB32);
    bmp.fill(QColor(10, 200, 90));
    QVERIFY(bmp.save(path("src/b.bmp"), "BMP"));
    QVERIFY(bmp.save(path("src/C.bmp"), "BMP"));
    writeBytes(path("src/notes.txt"), "not listed");
    writeIni({"[PropertyProject]", "NameProp=Default|Trip|"});
}

void TestBuildTool::writeIni(const QStringList &lines) const
{
    writeTextFile1251(path("propstor.ini"), lines);
}

Run TestBuildTool::run(const QStringList &arguments) const
{
    QProcess tool;
    tool.setWorkingDirectory(m_dir->path());
    tool.start(QStringLiteral(PICTAVEL_BUILD_TOOL),
               QStringList{"--ini", path("propstor.ini")} + arguments);
    if (!tool.waitForFinished(120000))
        return {};
    return {tool.exitCode(), QString::fromLocal8Bit(tool.readAllStandardError())};
}

QByteArray TestBuildTool::expectedFile(const QString &source, QSize box) const
{
    TBitmap32 picture, thumb;
    LoadPicture(source, picture);
    if (box.isValid())
        MakeThumbnail(picture, box.width(), box.height(), thumb);
    WriteJpegFile(path("expected.jpg"), box.isValid() ? thumb : picture, 90);
    return readBytes(path("expected.jpg"));
}

QStringList TestBuildTool::filesIn(const QString &folder) const
{
    return QDir(path(folder)).entryList(QDir::Files, QDir::Name);
}

void TestBuildTool::buildsWhatStartWrites()
{
    writeIni({"[PropertyProject]", "NameProp=Default|Trip|", "[TripTrip]",
              "edtGalerFolder.Text=\\big", "edtThumbsFolder.Text=small", "edtHref.Text=ignored/",
              "edtTitle.Text=Поездка", "spinMaxW.Value=500", "spinMaxH.Value=0x50",
              "rdbAlignTab.ItemIndex=7", "spinCellPad.Value=12.7", "spinCounCol.Value=2",
              "cmbTarget.Text=_blank"});
    const Run result = run({"--profile", "Trip", "--quiet", "proj", "z.jpg", "src"});
    QCOMPARE(result.errors, QString());
    QCOMPARE(result.exitCode, 0);

    const QStringList names{"C.jpg", "a.jpg", "b.jpg", "z.jpg"};
    QCOMPARE(filesIn("proj/big"), names);
    QCOMPARE(filesIn("proj/small"), names);
    // Stored 500 x 0x50: the spinners hold 200 x 80.
    const QSize box(200, 80);
    QCOMPARE(readBytes(path("proj/small/z.jpg")), expectedFile(path("z.jpg"), box));
    QCOMPARE(readBytes(path("proj/small/C.jpg")), expectedFile(path("src/C.bmp"), box));
    QCOMPARE(readBytes(path("proj/big/z.jpg")), expectedFile(path("z.jpg")));
    QCOMPARE(readBytes(path("proj/big/b.jpg")), expectedFile(path("src/b.bmp")));

    PageSettings page;
    page.title = QStringLiteral("Поездка");
    page.bgColorPage = page.bgColor = QStringLiteral("#FFFFFF");
    page.textColorPage = QStringLiteral("#000000");
    page.leftMargin.text = page.topMargin.text = page.border.text = QStringLiteral("0");
    page.cellSpac.text = page.borderImg.text = QStringLiteral("0");
    page.cellPad.text = QStringLiteral("12");
    page.alignIndex = 2;
    page.columnCount = 2;
    page.href = QStringLiteral("big/");
    page.src = QStringLiteral("small/");
    page.target = QStringLiteral("_blank");
    const QList<ThumbOutputNames> order{
        {"z.jpg", "z.jpg"}, {"a.jpg", "a.jpg"}, {"b.jpg", "b.jpg"}, {"C.jpg", "C.jpg"}};
    writeTextFile1251(path("expected.html"), generatePage(page, order));
    QCOMPARE(readBytes(path("proj/~thumbs.html")), readBytes(path("expected.html")));
}

void TestBuildTool::namesFollowTheProfile_data()
{
    QTest::addColumn<QStringList>("profile");
    QTest::addColumn<QStringList>("pictures");
    QTest::addColumn<QStringList>("thumbs");
    const QStringList numbered{"A_01.jpg", "A_02.jpg"};
    QTest::newRow("no section: the built-in settings")
        << QStringList() << QStringList{"a.jpg", "z.jpg"} << QStringList{"a.jpg", "z.jpg"};
    QTest::newRow("renaming stored on") << QStringList{"[DefaultDefault]", "chbRenameF.Checked=1"}
                                        << numbered << QStringList{"B_01.jpg", "B_02.jpg"};
    QTest::newRow("equal folder texts switch renaming on")
        << QStringList{"[DefaultDefault]", "edtThumbsFolder.Text=\\gal"}
        << QStringList{"A_01.jpg", "A_02.jpg", "B_01.jpg", "B_02.jpg"} << QStringList();
}

void TestBuildTool::namesFollowTheProfile()
{
    QFETCH(QStringList, profile);
    QFETCH(QStringList, pictures);
    QFETCH(QStringList, thumbs);
    writeIni(QStringList{"[PropertyProject]", "NameProp=Default|"} + profile);
    QCOMPARE(run({"--quiet", "proj", "src/a.jpg", "z.jpg"}).exitCode, 0);
    QCOMPARE(filesIn("proj/gal"), pictures);
    QCOMPARE(filesIn("proj/thumb"), thumbs);
}

void TestBuildTool::refusesToStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no settings file") << QStringList{"--ini", "none.ini", "proj", "z.jpg"}
                                      << "cannot read the settings file none.ini";
    QTest::newRow("unknown profile") << QStringList{"--profile", "Winter", "proj", "z.jpg"}
                                     << "holds no profile \"Winter\" (it holds: Default, Trip)";
    QTest::newRow("no pictures") << QStringList{"proj"} << "expected a project folder";
    QTest::newRow("jobs not a count") << QStringList{"--jobs", "0", "proj", "z.jpg"} << "--jobs";
    QTest::newRow("unknown option") << QStringList{"--fast", "proj", "z.jpg"} << "fast";
    QTest::newRow("project under a file")
        << QStringList{"z.jpg/proj", "z.jpg"} << "cannot create the project folder";
}

void TestBuildTool::refusesToStart()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.errors.contains(message), qPrintable(result.errors));
    QCOMPARE(result.errors.count(u'\n'), 1);
    QVERIFY(!QFileInfo::exists(path("proj")));
}

void TestBuildTool::goesOnPastBadPictures()
{
    writeBytes(path("src/broken.jpg"), "not a JPEG");
    const Run result = run({"--quiet", "proj", "gone.jpg", "src/broken.jpg", "z.jpg"});
    QCOMPARE(result.exitCode, 1);
    const QStringList lines = result.errors.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].contains(path("gone.jpg") + ": no such file"), qPrintable(lines[0]));
    QVERIFY2(lines[1].contains(path("src/broken.jpg") + ": "), qPrintable(lines[1]));
    QCOMPARE(filesIn("proj/gal"), QStringList{"z.jpg"});
    QVERIFY(readBytes(path("proj/~thumbs.html")).contains("gal/broken.jpg"));
}

void TestBuildTool::anyJobCountGivesTheSameFiles()
{
    // Two sources with one output name: the later one's files are the ones
    // left, as when they are written in set order, although the earlier,
    // larger one takes longer to make.
    TBitmap32 large;
    fill(large, 1600, 1200, 0xFF101010u);
    WriteJpegFile(path("big.jpg"), large, 90);
    QImage small(24, 24, QImage::Format_RGB32);
    small.fill(QColor(250, 5, 5));
    QVERIFY(small.save(path("big.bmp"), "BMP"));
    const QStringList pictures{"big.jpg", "big.bmp", "src", "z.jpg", "src/b.bmp", "z.jpg"};
    QCOMPARE(run(QStringList{"--jobs", "1", "--quiet", "one"} + pictures).exitCode, 0);
    QCOMPARE(run(QStringList{"--jobs", "2", "--quiet", "two"} + pictures).exitCode, 0);
    QCOMPARE(readBytes(path("two/gal/big.jpg")), expectedFile(path("big.bmp")));
    QCOMPARE(readBytes(path("two/thumb/big.jpg")), expectedFile(path("big.bmp"), QSize(110, 110)));

    for (const QString folder : {"", "/gal", "/thumb"}) {
        const QStringList files = filesIn("one" + folder);
        QCOMPARE(filesIn("two" + folder), files);
        for (const QString &file : files)
            QVERIFY2(readBytes(path("one" + folder + "/" + file)) ==
                         readBytes(path("two" + folder + "/" + file)),
                     qPrintable(folder + "/" + file));
    }
}

void TestBuildTool::progressGoesToStderr()
{
    const Run result = run({"--jobs", "2", "proj", "src"});
    QCOMPARE(result.exitCode, 0);
    const QStringList lines = result.errors.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty() && lines.size() <= 3);
    QVERIFY2(lines.last().startsWith("3/3 pictures  100%"), qPrintable(lines.last()));
    QVERIFY(lines.last().endsWith(" pictures/s"));
}

QTEST_GUILESS_MAIN(TestBuildTool)
#include "tst_build_tool.moc"
