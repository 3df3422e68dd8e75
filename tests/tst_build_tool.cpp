#include "base/text_file.h"
#include "export/export_record.h"
#include "html/page_generator.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"
#include "project/gallery_record.h"
#include "test_files.h"
#include "ui/bitmap_image.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
    void initTestCase();
    void init();
    void buildsWhatStartWrites();
    void namesFollowTheProfile_data();
    void namesFollowTheProfile();
    void refusesToStart_data();
    void refusesToStart();
    void goesOnPastBadPictures();
    void namesAnIgnoredColourProfile();
    void everyPictureKeepsAFileOfItsOwn();
    void thinPicturesGetThumbnails();
    void buildsWithoutAnySettingsFile();
    void anyJobCountGivesTheSameFiles();
    void progressGoesToStderr();
    void buildsTheRecordedSet();
    void rebuildsOnlyWhatChanged_data();
    void rebuildsOnlyWhatChanged();
    void killedBuildIsCompletedByTheNext();
    void neverWritesOverItsSources();
    void namesWhatItCannotOpenOrWrite();
    void waitsForAnotherBuild();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void writeIni(const QStringList &lines) const;
    Run run(const QStringList &arguments) const;
    // The JPEG file bytes for a source at full size, or fitted into a box.
    QByteArray expectedFile(const QString &source, QSize box = QSize()) const;
    QStringList filesIn(const QString &folder) const;
    // Fails unless `project` holds the files of `full`, byte for byte.
    void compareTrees(const QString &project, const QString &full) const;
    // Small distinct JPEG pictures under these names.
    void fillSources(const QStringList &names) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBuildTool::initTestCase()
{
    // Records are kept where the tool, named so, looks for them.
    QCoreApplication::setApplicationName(QStringLiteral("Pictavel"));
}

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
    writeIni({"[PropertyProject]", "NameProp=Default|Trip|Escape|", "[EscapeEscape]",
              "edtThumbsFolder.Text=\\..\\..\\victim"});
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

void TestBuildTool::fillSources(const QStringList &names) const
{
    TBitmap32 b;
    for (int i = 0; i < names.size(); ++i) {
        fill(b, 20 + i, 16, 0xFF102030u + TColor32(i * 0x200000));
        if (names[i].endsWith(".bmp"))
            QVERIFY(bitmapImage(b).save(path(names[i]), "BMP"));
        else
            WriteJpegFile(path(names[i]), b, 95);
    }
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
    QTest::newRow("unknown profile")
        << QStringList{"--profile", "Winter", "proj", "z.jpg"}
        << "holds no profile \"Winter\" (it holds: Default, Trip, Escape)";
    QTest::newRow("folder outside the project")
        << QStringList{"--profile", "Escape", "proj", "z.jpg"}
        << "The folder \"\\..\\..\\victim\" lies outside the project folder";
    QTest::newRow("no pictures and no record")
        << QStringList{"proj"} << "no gallery is recorded for ";
    QTest::newRow("jobs not a count") << QStringList{"--jobs", "0", "proj", "z.jpg"} << "--jobs";
    QTest::newRow("unknown option") << QStringList{"--fast", "proj", "z.jpg"} << "fast";
    QTest::newRow("project under a file")
        << QStringList{"z.jpg/proj", "z.jpg"} << "z.jpg/proj: Not a directory";
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
    QVERIFY(!QFileInfo::exists(path("victim")));
}

void TestBuildTool::goesOnPastBadPictures()
{
    // Numbered names show that a picture that cannot be read takes no place,
    // as the window's add leaves it out.
    writeIni(
        {"[PropertyProject]", "NameProp=Default|", "[DefaultDefault]", "chbRenameF.Checked=1"});
    writeBytes(path("src/broken.jpg"), "not a JPEG");
    QVERIFY(mkfifo(QFile::encodeName(path("src/pipe.jpg")).constData(), 0600) == 0);
    const QByteArray whole = readBytes(path("src/a.jpg"));
    writeBytes(path("src/cut.jpg"), whole.left(whole.size() * 2 / 3));
    const Run result = run(
        {"--quiet", "proj", "gone.jpg", "src/broken.jpg", "z.jpg", "src/pipe.jpg", "src/cut.jpg"});
    QCOMPARE(result.exitCode, 1);
    const QStringList lines = result.errors.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[0].contains(path("gone.jpg") + ": no such file"), qPrintable(lines[0]));
    QVERIFY2(lines[1].contains(path("src/broken.jpg") + ": JPEG error #") &&
                 lines[1].contains("Not a JPEG file"),
             qPrintable(lines[1]));
    QVERIFY2(lines[2].contains(path("src/pipe.jpg") + ": not a regular file"),
             qPrintable(lines[2]));
    QVERIFY2(lines[3].contains("warning: " + path("src/cut.jpg") + ": Premature end of JPEG file"),
             qPrintable(lines[3]));
    QCOMPARE(filesIn("proj/gal"), QStringList({"A_01.jpg", "A_02.jpg"}));
    QCOMPARE(filesIn("proj/thumb"), QStringList({"B_01.jpg", "B_02.jpg"}));
    QCOMPARE(readBytes(path("proj/gal/A_02.jpg")), expectedFile(path("src/cut.jpg")));
    const QByteArray page = readBytes(path("proj/~thumbs.html"));
    QCOMPARE(page.count("<td "), 2);
    QVERIFY(page.contains("href=\"gal/A_02.jpg\""));
}

// A damaged colour profile leaves the picture as it would be without one,
// and the file is named in a warning.
void TestBuildTool::namesAnIgnoredColourProfile()
{
    writeIni({"[PropertyProject]", "NameProp=Default|"});
    const QByteArray body = QByteArray("ICC_PROFILE\0\x01\x01", 14) + QByteArray(200, 'x');
    const QByteArray marker = QByteArray("\xFF\xE2", 2) + char((body.size() + 2) >> 8) +
                              char((body.size() + 2) & 0xFF) + body;
    const QByteArray whole = readBytes(path("src/a.jpg"));
    writeBytes(path("src/tagged.jpg"), whole.left(2) + marker + whole.mid(2));
    const Run result = run({"--quiet", "proj", "src/tagged.jpg"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.errors.contains("warning: " + path("src/tagged.jpg") +
                                    ": its colour profile cannot be read and is ignored"),
             qPrintable(result.errors));
    QCOMPARE(readBytes(path("proj/gal/tagged.jpg")), expectedFile(path("src/a.jpg")));
    // A second build, with nothing to write, says so again.
    const Run again = run({"--quiet", "proj", "src/tagged.jpg"});
    QCOMPARE(again.errors, result.errors);
}

void TestBuildTool::everyPictureKeepsAFileOfItsOwn()
{
    fillSources({"holiday.2019.jpg", "holiday.2020.jpg", "holiday.bmp", ".jpg", "..jpg"});
    const QStringList sources{"holiday.2019.jpg", "holiday.2020.jpg", "holiday.bmp", ".jpg",
                              "..jpg"};
    QCOMPARE(run(QStringList{"--quiet", "proj"} + sources).exitCode, 0);
    const QStringList names{"holiday.jpg", "holiday_2.jpg", "holiday_3.jpg", "picture.jpg",
                            "picture_2.jpg"};
    for (int i = 0; i < sources.size(); ++i)
        QCOMPARE(readBytes(path("proj/gal/" + names[i])), expectedFile(path(sources[i])));
    QCOMPARE(filesIn("proj/gal").size(), names.size());
}

void TestBuildTool::thinPicturesGetThumbnails()
{
    TBitmap32 thin;
    fill(thin, 221, 1, 0xFF405060u);
    WriteJpegFile(path("line.jpg"), thin, 95);
    fill(thin, 10, 2400, 0xFF405060u);
    WriteJpegFile(path("post.jpg"), thin, 95);
    QCOMPARE(run({"--quiet", "proj", "line.jpg", "post.jpg"}).exitCode, 0);
    QCOMPARE(readBytes(path("proj/thumb/line.jpg")),
             expectedFile(path("line.jpg"), QSize(110, 110)));
    QCOMPARE(readBytes(path("proj/thumb/post.jpg")),
             expectedFile(path("post.jpg"), QSize(110, 110)));
    TBitmap32 made;
    LoadPicture(path("proj/thumb/line.jpg"), made);
    QCOMPARE(QSize(made.width(), made.height()), QSize(110, 1));
}

void TestBuildTool::buildsWithoutAnySettingsFile()
{
    // Beside a copy of the program there is no settings file, nor in the
    // configuration folder of a fresh home.
    const QString program = path("bin/pictavel-build");
    QVERIFY(QDir().mkpath(path("bin")));
    QVERIFY(QFile::copy(QStringLiteral(PICTAVEL_BUILD_TOOL), program));
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", path("config"));
    tool.setProcessEnvironment(env);
    tool.setWorkingDirectory(m_dir->path());
    tool.start(program, {"--quiet", "proj", "z.jpg"});
    QVERIFY(tool.waitForFinished(120000));
    const QString errors = QString::fromLocal8Bit(tool.readAllStandardError());
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(errors.count(u'\n'), 1);
    QVERIFY2(errors.contains("\"Default\" profile's values"), qPrintable(errors));
    QCOMPARE(readBytes(path("proj/gal/z.jpg")), expectedFile(path("z.jpg")));
    QVERIFY(readBytes(path("proj/~thumbs.html")).contains("href=\"gal/z.jpg\""));
}

void TestBuildTool::anyJobCountGivesTheSameFiles()
{
    // Two sources with one stem each keep a file of their own, whichever
    // thread makes the earlier, larger one; a damaged picture between small
    // ones, read while the large one is, moves the names after it the same.
    TBitmap32 large;
    fill(large, 1600, 1200, 0xFF101010u);
    WriteJpegFile(path("big.jpg"), large, 90);
    QImage small(24, 24, QImage::Format_RGB32);
    small.fill(QColor(250, 5, 5));
    QVERIFY(small.save(path("big.bmp"), "BMP"));
    writeBytes(path("bad.jpg"), "not a picture");
    const QStringList pictures{"big.jpg", "big.bmp",   "bad.jpg", "src",
                               "z.jpg",   "src/b.bmp", "z.jpg"};
    writeIni(
        {"[PropertyProject]", "NameProp=Default|", "[DefaultDefault]", "chbRenameF.Checked=1"});
    QCOMPARE(run(QStringList{"--jobs", "1", "--quiet", "numbered"} + pictures).exitCode, 1);
    QCOMPARE(run(QStringList{"--jobs", "2", "--quiet", "numbered2"} + pictures).exitCode, 1);
    compareTrees("numbered2", "numbered");
    writeIni({"[PropertyProject]", "NameProp=Default|"});
    QCOMPARE(run(QStringList{"--jobs", "1", "--quiet", "one"} + pictures).exitCode, 1);
    QCOMPARE(run(QStringList{"--jobs", "2", "--quiet", "two"} + pictures).exitCode, 1);
    QCOMPARE(readBytes(path("two/gal/big.jpg")), expectedFile(path("big.jpg")));
    QCOMPARE(readBytes(path("two/gal/big_2.jpg")), expectedFile(path("big.bmp")));
    QCOMPARE(readBytes(path("two/thumb/big_2.jpg")),
             expectedFile(path("big.bmp"), QSize(110, 110)));

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
    QVERIFY(lines.size() >= 2 && lines.size() <= 4);
    const QString progress = lines.at(lines.size() - 2);
    QVERIFY2(progress.startsWith("3/3 pictures  100%"), qPrintable(progress));
    QVERIFY(progress.endsWith(" pictures/s"));
    QCOMPARE(lines.last(), "pictavel-build: 3 pictures: 3 written, 0 up to date, 0 left out, 0 "
                           "failed: " +
                               path("proj/~thumbs.html"));
    // The last line tells what was written, what was up to date and what was
    // left out, which makes the status 1.
    const Run again = run({"proj", "src", "gone.jpg"});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.errors.endsWith("pictavel-build: 4 pictures: 0 written, 3 up to date, 1 left "
                                   "out, 0 failed: " +
                                   path("proj/~thumbs.html") + "\n"),
             qPrintable(again.errors));
}

void TestBuildTool::buildsTheRecordedSet()
{
    // A picture gone from the record is left out and named; the recorded
    // profile ("Trip") and folder texts are used, the thumbnails made as the
    // window made them.
    QVERIFY(QDir().mkpath(path("proj")));
    writeIni({"[PropertyProject]", "NameProp=Default|Trip|", "[TripTrip]",
              "edtGalerFolder.Text=\\elsewhere", "spinMaxW.Value=70"});
    saveGalleryRecord({QFileInfo(path("proj")).canonicalFilePath(),
                       "Trip",
                       "\\big",
                       "\\small",
                       {false, "A_", "B_"},
                       {{path("z.jpg"), {}, "z.jpg", false},
                        {path("gone.jpg"), {}, "gone.jpg", false},
                        {path("src/a.jpg"), {}, "a.jpg", true}}});
    Run result = run({"--quiet", "proj"});
    QCOMPARE(result.errors, "pictavel-build: " + path("gone.jpg") + ": no such file\n");
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(filesIn("proj/big"), QStringList({"a.jpg", "z.jpg"}));
    QCOMPARE(filesIn("proj/small"), QStringList({"a.jpg", "z.jpg"}));
    const QByteArray page = readBytes(path("proj/~thumbs.html"));
    QVERIFY(page.indexOf("big/z.jpg") < page.indexOf("big/a.jpg"));
    TBitmap32 picture, thumb;
    LoadPicture(path("src/a.jpg"), picture);
    picture.setStretchFilter(sfLinear);
    MakeThumbnail(picture, 70, 110, thumb);
    WriteJpegFile(path("expected.jpg"), thumb, 90);
    QCOMPARE(readBytes(path("proj/small/a.jpg")), readBytes(path("expected.jpg")));
    QVERIFY(readBytes(path("proj/small/a.jpg")) != expectedFile(path("src/a.jpg"), {70, 110}));

    // The settings in effect kept with the set win over its profile's, unless
    // a profile is asked for.
    GalleryRecord kept = *loadGalleryRecord(path("proj"));
    kept.settings.insert("edtTitle.Text", "Kept title");
    saveGalleryRecord(kept);
    QCOMPARE(run({"--quiet", "proj"}).exitCode, 1);
    QVERIFY(readBytes(path("proj/~thumbs.html")).contains("<title>Kept title</title>"));
    QCOMPARE(run({"--quiet", "--profile", "Trip", "proj"}).exitCode, 1);
    QVERIFY(!readBytes(path("proj/~thumbs.html")).contains("Kept title"));

    // Numbered names: an edited copy after a picture left out would lie
    // under the wrong number, which only the window's reopening mends.
    saveGalleryRecord({QFileInfo(path("proj")).canonicalFilePath(),
                       "Trip",
                       "\\big",
                       "\\small",
                       {true, "A_", "B_"},
                       {{path("gone.jpg"), {}, "A_01.jpg", false},
                        {path("z.jpg"), path("proj/big/a.jpg"), "A_02.jpg", true}}});
    result = run({"--quiet", "proj"});
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.errors.contains("would change its number"), qPrintable(result.errors));

    // A record that cannot be read: one line naming it, nothing built.
    writeBytes(galleryRecordPath(path("proj")), "{\"format\": 1");
    QVERIFY(QDir(path("proj")).removeRecursively() && QDir().mkpath(path("proj")));
    result = run({"--quiet", "proj"});
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.errors.count(u'\n'), 1);
    QVERIFY2(result.errors.contains(galleryRecordPath(path("proj"))), qPrintable(result.errors));
    QCOMPARE(filesIn("proj"), QStringList());
    // Nor does a record that is a pipe keep the tool waiting.
    QVERIFY(QFile::remove(galleryRecordPath(path("proj"))));
    QCOMPARE(::mkfifo(QFile::encodeName(galleryRecordPath(path("proj"))).constData(), 0600), 0);
    result = run({"--quiet", "proj"});
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.errors.contains("not a regular file"), qPrintable(result.errors));
}

void TestBuildTool::neverWritesOverItsSources()
{
    // Photos copied into the picture folder, built with the default profile.
    QVERIFY(QDir().mkpath(path("proj/gal")));
    QVERIFY(QFile::copy(path("src/a.jpg"), path("proj/gal/a.jpg")));
    const QMap<QString, QByteArray> before = filesUnder(path("proj"));
    const Run result = run({"proj", "proj/gal/a.jpg", "z.jpg"});
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.errors.count(u'\n'), 1);
    QVERIFY2(result.errors.contains(path("proj/gal/a.jpg")) && result.errors.contains("\"\\gal\""),
             qPrintable(result.errors));
    QCOMPARE(filesUnder(path("proj")), before);
}

void TestBuildTool::namesWhatItCannotOpenOrWrite()
{
    writeIni({"[PropertyProject]", "NameProp=Default|"});
    QVERIFY(QDir().mkpath(path("latin1")));
    QVERIFY(QFile::copy(path("src/a.jpg"), path("latin1/b.jpg")));
    const QByteArray latin1 = QFile::encodeName(path("latin1")) + "/caf\xE9.jpg";
    QVERIFY(QFile::copy(path("src/a.jpg"), path("latin1/cafe.jpg")));
    QCOMPARE(::rename(QFile::encodeName(path("latin1/cafe.jpg")).constData(), latin1.constData()),
             0);
    // Qt cannot name this file to remove it with the temporary folder.
    const auto removeLatin1 = qScopeGuard([&latin1] { ::unlink(latin1.constData()); });
    // A folder where a picture's file would go: its write fails.
    QVERIFY(QDir().mkpath(path("proj/gal/z.jpg")));
    const Run result = run({"--quiet", "proj", "latin1", "z.jpg"});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.errors.contains(path("latin1") + "/caf\\xE9.jpg: the file name is not UTF-8"),
             qPrintable(result.errors));
    QVERIFY2(result.errors.contains(path("proj/gal/z.jpg") + ": Is a directory"),
             qPrintable(result.errors));
    // The page links only what was written.
    const QByteArray page = readBytes(path("proj/~thumbs.html"));
    QCOMPARE(page.count("<td "), 1);
    QVERIFY(page.contains("href=\"gal/b.jpg\""));
}

void TestBuildTool::waitsForAnotherBuild()
{
    writeIni({"[PropertyProject]", "NameProp=Default|"});
    QVERIFY(QDir().mkpath(path("proj")));
    const QString lockPath = exportRecordPath(path("proj")) + ".lock";
    QVERIFY(QDir().mkpath(QFileInfo(lockPath).path()));
    QFile held(lockPath);
    QVERIFY(held.open(QIODevice::ReadWrite));
    QCOMPARE(::flock(held.handle(), LOCK_EX), 0);
    QProcess tool;
    tool.start(QStringLiteral(PICTAVEL_BUILD_TOOL),
               {"--ini", path("propstor.ini"), "--quiet", path("proj"), path("z.jpg")});
    tool.setReadChannel(QProcess::StandardError);
    QString errors;
    while (!errors.contains("waiting for another export") && tool.waitForReadyRead(30000))
        errors += QString::fromLocal8Bit(tool.readAllStandardError());
    QVERIFY2(errors.contains("waiting for another export"), qPrintable(errors));
    QVERIFY(!QFileInfo::exists(path("proj/gal/z.jpg")));
    held.close();
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(QFileInfo::exists(path("proj/gal/z.jpg")));
}

void TestBuildTool::compareTrees(const QString &project, const QString &full) const
{
    for (const QString folder : {"", "/gal", "/thumb"}) {
        const QStringList files = filesIn(full + folder);
        QCOMPARE(filesIn(project + folder), files);
        for (const QString &file : files)
            QVERIFY2(readBytes(path(project + folder + "/" + file)) ==
                         readBytes(path(full + folder + "/" + file)),
                     qPrintable(folder + "/" + file));
    }
}

void TestBuildTool::rebuildsOnlyWhatChanged_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("options");
    // Whether the second build must leave every picture and thumbnail as it was.
    QTest::addColumn<bool>("allKept");
    QTest::newRow("nothing") << "" << QStringList() << true;
    QTest::newRow("source touched") << "touch" << QStringList() << false;
    QTest::newRow("source replaced, same size and time") << "replace" << QStringList() << false;
    QTest::newRow("output deleted") << "delete" << QStringList() << false;
    QTest::newRow("output overwritten, same size and time")
        << "overwrite" << QStringList() << false;
    QTest::newRow("record damaged") << "damage" << QStringList() << false;
    QTest::newRow("--full") << "" << QStringList{"--full"} << false;
    QTest::newRow("options toggled") << "" << QStringList{"--smooth-thumbnails"} << false;
}

void TestBuildTool::rebuildsOnlyWhatChanged()
{
    QFETCH(QString, change);
    QFETCH(QStringList, options);
    QFETCH(bool, allKept);
    fillSources({"p1.jpg", "p2.jpg", "p3.bmp"});
    const QStringList pictures{path("p1.jpg"), path("p2.jpg"), path("p3.bmp")};
    const QStringList base{"--jobs", "2", "--quiet"};
    QCOMPARE(run(base + QStringList{"proj"} + pictures).exitCode, 0);
    // The inode and status-change time of every picture and thumbnail, and of
    // the page.
    const auto stamps = [this] {
        QMap<QString, QPair<qint64, qint64>> result;
        for (const QString folder : {"proj/", "proj/gal/", "proj/thumb/"})
            for (const QString &file : filesIn(folder)) {
                struct stat info;
                ::stat(QFile::encodeName(path(folder + file)).constData(), &info);
                result.insert(folder + file, {qint64(info.st_ino), qint64(info.st_ctim.tv_nsec)});
            }
        return result;
    };
    const auto before = stamps();
    QCOMPARE(before.size(), 7);

    if (change == "touch") {
        setModified(path("p2.jpg"), {1'600'000'000, 7});
    } else if (change == "replace") {
        // Another picture written over it in place, its time set back.
        TBitmap32 other;
        fill(other, 22, 16, 0xFF00FF00u);
        QVERIFY(bitmapImage(other).save(path("other.bmp"), "BMP"));
        overwriteKeepingTime(path("p3.bmp"), readBytes(path("other.bmp")));
    } else if (change == "delete") {
        QVERIFY(QFile::remove(path("proj/thumb/p2.jpg")));
    } else if (change == "overwrite") {
        const QString file = path("proj/gal/p1.jpg");
        QByteArray bytes = readBytes(file);
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55);
        overwriteKeepingTime(file, bytes);
    } else if (change == "damage") {
        QVERIFY(QFileInfo::exists(exportRecordPath(path("proj"))));
        writeBytes(exportRecordPath(path("proj")), "[1, 2");
    }
    QCOMPARE(run(base + options + QStringList{"proj"} + pictures).exitCode, 0);
    QCOMPARE(run(base + options + QStringList{"full"} + pictures).exitCode, 0);
    compareTrees("proj", "full");
    QCOMPARE(stamps() == before, allKept);
}

void TestBuildTool::killedBuildIsCompletedByTheNext()
{
    TBitmap32 b;
    QStringList pictures;
    for (int i = 0; i < 6; ++i) {
        fill(b, 900 + i, 700, 0xFF102030u + TColor32(i * 0x300000));
        pictures << path(QStringLiteral("k%1.jpg").arg(i));
        WriteJpegFile(pictures.last(), b, 95);
    }
    const QStringList base{"--jobs", "2", "--quiet"};
    QCOMPARE(run(base + QStringList{"full"} + pictures).exitCode, 0);
    // Killed before, during and after the first pictures, whichever lands
    // where on this machine: the next build must end as a full one.
    for (const int delay : {0, 20, 80, 300}) {
        // Sources touched, so that the killed build has pictures to write.
        for (int i = 0; i < pictures.size(); ++i)
            setModified(pictures.at(i), {1'600'000'000 + delay, i});
        QProcess tool;
        tool.start(QStringLiteral(PICTAVEL_BUILD_TOOL), QStringList{"--ini", path("propstor.ini")} +
                                                            base + QStringList{path("proj")} +
                                                            pictures);
        QVERIFY(tool.waitForStarted());
        QTest::qSleep(delay);
        tool.kill();
        QVERIFY(tool.waitForFinished());
        QCOMPARE(run(base + QStringList{"proj"} + pictures).exitCode, 0);
        compareTrees("proj", "full");
        // Nor are the killed build's temporary files left to be published.
        QDirIterator files(path("proj"), {".pictavel-*"}, QDir::Files | QDir::Hidden,
                           QDirIterator::Subdirectories);
        QVERIFY2(!files.hasNext(), qPrintable(files.hasNext() ? files.next() : QString()));
    }
}

QTEST_GUILESS_MAIN(TestBuildTool)
#include "tst_build_tool.moc"
