#include "app/form_main.h"
#include "gif_files.h"
#include "imaging/kept_original.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"
#include "modal_dialogs.h"
#include "test_files.h"
#include "test_pictures.h"
#include "window_controls.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

void writeBmp(const QString &path, int width, int height, QColor colour)
{
    QImage bmp(width, height, QImage::Format_RGB32);
    bmp.fill(colour);
    for (int x = 0; x < width; x += 3)
        bmp.setPixelColor(x, x % height, Qt::white);
    QVERIFY(bmp.save(path, "BMP"));
}

// Opens the project folder, adds every file of `pictures` through the add
// button and presses "Start", with the window doing `jobs` pictures at a time.
void exportThroughWindow(const QString &base, const QString &pictures, const QString &project,
                         int jobs, const QStringList &options)
{
    TFormMain window(base);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setJobs(jobs);
    QVERIFY(!control<QCheckBox>(&window, "chbRenameF")->isChecked());
    for (const QString &option : options)
        window.findChild<QCheckBox *>(option)->setChecked(true);
    answerNextModal<QDialog>([&](QDialog *dialog) {
        dialog->findChild<QLineEdit *>()->setText(project);
        dialog->accept();
    });
    window.bteDirProjectButtonClick();
    QCOMPARE(window.projectPath(), project);
    QListWidget *list = openInFileList(window, pictures);
    list->selectAll();
    // The picture that cannot be read is named at the end and left out.
    QStringList messages;
    answerMessage(&messages);
    control<QToolButton>(&window, "btnADDThumb")->click();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(pictures + "/damaged.jpg: JPEG error #"),
             qPrintable(messages[0]));
    QCOMPARE(window.thumbsCount(), list->count() - 1);
    control<QTabWidget>(&window, "PageControl")->setCurrentIndex(1);
    window.btnStartClick();
}

// The options of pictavel-build that turn on the window's check boxes.
QStringList toolOptions(const QStringList &checkBoxes)
{
    const QMap<QString, QString> flags{{"chbSmoothThumbs", "--smooth-thumbnails"},
                                       {"chbKeepOriginals", "--keep-originals"},
                                       {"chbModernPage", "--modern-page"}};
    QStringList options;
    for (const QString &box : checkBoxes)
        options << flags.value(box);
    return options;
}

// Chooses `project` in the folder dialog of the project box.
void chooseProject(TFormMain &window, const QString &project)
{
    answerNextModal<QDialog>([&](QDialog *dialog) {
        dialog->findChild<QLineEdit *>()->setText(project);
        dialog->accept();
    });
    window.bteDirProjectButtonClick();
}

// What a reopened set must give back of each thumbnail.
QStringList setState(const TFormMain &window)
{
    QStringList state;
    for (const TThumbsCollection &thumb : window.thumbs())
        state << QStringList{thumb.PicturePath, thumb.OriginalPath, thumb.CaptionLabel->text(),
                             thumb.ThumbRemade ? "remade" : "first"}
                     .join(u'|');
    return state;
}

// Deletes what "Start" writes under `project`, keeping the edited copy.
void deleteOutputs(const QString &project, const QString &keep)
{
    QDirIterator it(project, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (file != keep)
            QVERIFY(QFile::remove(file));
    }
}

void expectSameFiles(const QMap<QString, QByteArray> &actual,
                     const QMap<QString, QByteArray> &expected)
{
    QCOMPARE(actual.keys(), expected.keys());
    for (const QString &file : expected.keys())
        QVERIFY2(actual.value(file) == expected.value(file), qPrintable(file));
}

} // namespace

class TestWindowVsTool : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void toolWritesWhatStartWrites_data();
    void toolWritesWhatStartWrites();
    void reopenedSetWritesWhatItWroteBefore();
};

void TestWindowVsTool::initTestCase()
{
    // The window records the set where pictavel-build looks for it.
    QCoreApplication::setApplicationName(QStringLiteral("Pictavel"));
}

void TestWindowVsTool::toolWritesWhatStartWrites_data()
{
    // The window's check boxes, each turned on in the tool by its option.
    QTest::addColumn<QStringList>("options");
    QTest::newRow("as described") << QStringList();
    QTest::newRow("smooth thumbnails, kept originals")
        << QStringList{"chbSmoothThumbs", "chbKeepOriginals"};
    QTest::newRow("modern page") << QStringList{"chbModernPage"};
}

void TestWindowVsTool::toolWritesWhatStartWrites()
{
    QFETCH(QStringList, options);
    QTemporaryDir dir;
    const QString pictures = dir.filePath(QStringLiteral("src"));
    QVERIFY(QDir().mkpath(pictures));
    const auto source = [&](const char *name) {
        return pictures + u'/' + QLatin1String(name);
    };
    writeTestJpeg(source("wide.jpg"), 640, 480, 7, 92);
    writeBmp(source("tall.bmp"), 300, 400, Qt::darkCyan);
    writeTestJpeg(source("tiny.jpg"), 37, 13, 11, 92);
    writeBmp(source("small.bmp"), 50, 20, QColor(200, 30, 90));
    writeTestJpeg(source("portrait.jpg"), 215, 701, 5, 92);
    // Stored on its side, as cameras store a photograph taken upright.
    writeTestJpeg(source("sideways.jpg"), 301, 187, 3, 92);
    const QByteArray sideways = readBytes(source("sideways.jpg"));
    writeBytes(source("sideways.jpg"), sideways.left(2) +
                                           jpegSegment(0xE1, exifWithOrientation(6, false)) +
                                           sideways.mid(2));
    // Right after a picture of its size, whose pixels must not show through.
    QVERIFY(writeHalfTransparentGif(source("window.gif"), 640, 480));
    // A picture that cannot be read, and one whose name the next one has.
    writeBytes(source("damaged.jpg"), "not a picture");
    writeBmp(source("wide.bmp"), 64, 48, Qt::yellow);
    const int count = 8;

    // The window starts without a settings file and writes its default
    // profile into propstor.ini in its folder; it decodes ahead and exports
    // on two threads, then all on its own thread.
    QMap<QString, QByteArray> written;
    for (int jobs : {2, 1}) {
        const QString project = dir.filePath(QStringLiteral("window%1").arg(jobs));
        QVERIFY(QDir().mkpath(project));
        exportThroughWindow(dir.path(), pictures, project, jobs, options);
        if (QTest::currentTestFailed())
            return;
        if (written.isEmpty())
            written = filesUnder(project);
        else
            expectSameFiles(filesUnder(project), written);
    }
    const QString ini = dir.filePath(QStringLiteral("propstor.ini"));
    QVERIFY(QFileInfo::exists(ini));
    QVERIFY(written.value(QStringLiteral("~thumbs.html")).contains("gal/window.jpg"));
    QVERIFY(written.value(QStringLiteral("~thumbs.html")).contains("gal/wide_2.jpg"));
    // A picture and a thumbnail for each source (and for the modern page a
    // screen-sized copy and a thumbnail of twice the pixels), and the page.
    const bool modern = options.contains("chbModernPage");
    QCOMPARE(written.size(), (modern ? 4 : 2) * count + 1);
    if (options.contains("chbKeepOriginals")) {
        // The JPEG source as it is, and a thumbnail averaged from the picture
        // that libjpeg reduced for it.
        QCOMPARE(written.value("gal/wide_2.jpg"),
                 keptBytes(keptOriginal(readBytes(source("wide.jpg")))));
        TBitmap32 picture, thumb;
        LoadPictureForThumbnail(source("wide.jpg"), picture, QSize(110, 110));
        QCOMPARE(picture.width(), 640 / 2);
        MakeThumbnail(picture, 110, 110, thumb, true);
        WriteJpegFile(dir.filePath("smooth.jpg"), thumb, 90);
        QCOMPARE(written.value("thumb/wide_2.jpg"), readBytes(dir.filePath("smooth.jpg")));
    }

    // The tool is given the folder, which it reads in the file list's order.
    for (const char *jobs : {"1", "2"}) {
        const QString toolProject = dir.filePath(QStringLiteral("tool") + QLatin1String(jobs));
        QProcess tool;
        tool.start(QStringLiteral(PICTAVEL_BUILD_TOOL),
                   QStringList{"--ini", ini, "--jobs", jobs, "--quiet", toolProject, pictures} +
                       toolOptions(options));
        QVERIFY(tool.waitForFinished(120000));
        const QString errors = QString::fromLocal8Bit(tool.readAllStandardError());
        QCOMPARE(errors.count(u'\n'), 1);
        QVERIFY2(errors.contains(source("damaged.jpg") + ": JPEG error #"), qPrintable(errors));
        QCOMPARE(tool.exitCode(), 1);
        expectSameFiles(filesUnder(toolProject), written);
    }
}

void TestWindowVsTool::reopenedSetWritesWhatItWroteBefore()
{
    QTemporaryDir dir;
    const QString pictures = dir.filePath(QStringLiteral("src"));
    const QString project = dir.filePath(QStringLiteral("project"));
    QVERIFY(QDir().mkpath(pictures) && QDir().mkpath(project));
    writeTestJpeg(pictures + "/wide.jpg", 640, 480, 7, 92);
    writeBmp(pictures + "/tall.bmp", 300, 400, Qt::darkCyan);
    writeTestJpeg(pictures + "/portrait.jpg", 215, 701, 5, 92);
    writeTestJpeg(pictures + "/tiny.jpg", 37, 13, 11, 92);
    const QString edited = project + "/gal/wide.jpg";

    QMap<QString, QByteArray> written;
    QStringList state;
    {
        TFormMain window(dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        chooseProject(window, project);
        openInFileList(window, pictures)->selectAll();
        control<QToolButton>(&window, "btnADDThumb")->click();
        QCOMPARE(window.thumbsCount(), 4);
        // The last picture, wide.jpg, is cropped, then trades places with
        // the first.
        window.ThumbClick(window.thumbs()[3].CaptionLabel);
        window.btnRedactImageClick();
        control<QToolButton>(&window, "btnLL")->click();
        control<SpinEdit>(&window, "spinW")->setValue(200);
        control<SpinEdit>(&window, "spinH")->setValue(120);
        control<QToolButton>(&window, "btnCutImage")->click();
        window.btnMiddleClick();
        QCOMPARE(window.thumbs()[3].PicturePath, edited);
        window.ThumbDblClick(window.thumbs()[3].CaptionLabel);
        window.ThumbClick(window.thumbs()[0].CaptionLabel);
        window.ThumbDblClick(window.thumbs()[0].CaptionLabel);
        QCOMPARE(window.thumbs()[0].PicturePath, edited);
        control<QTabWidget>(&window, "PageControl")->setCurrentIndex(1);
        window.btnStartClick();
        written = filesUnder(project);
        state = setState(window);
        QVERIFY(window.close());
    }
    QCOMPARE(written.size(), 2 * 4 + 1);
    QVERIFY(state[0].endsWith("|wide.jpg|remade"));

    {
        TFormMain window(dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QString question;
        answerNextModal<QMessageBox>([&](QMessageBox *box) {
            question = box->text();
            box->button(QMessageBox::Yes)->click();
        });
        chooseProject(window, project);
        QVERIFY2(question.contains(": 4"), qPrintable(question));
        QCOMPARE(setState(window), state);
        deleteOutputs(project, edited);
        control<QTabWidget>(&window, "PageControl")->setCurrentIndex(1);
        window.btnStartClick();
        expectSameFiles(filesUnder(project), written);
    }

    // pictavel-build given only the folder builds the recorded set with the
    // recorded profile.
    deleteOutputs(project, edited);
    QProcess tool;
    tool.start(QStringLiteral(PICTAVEL_BUILD_TOOL),
               QStringList{"--ini", dir.filePath("propstor.ini"), "--quiet", project});
    QVERIFY(tool.waitForFinished(120000));
    QCOMPARE(QString::fromLocal8Bit(tool.readAllStandardError()), QString());
    QCOMPARE(tool.exitCode(), 0);
    expectSameFiles(filesUnder(project), written);
}

QTEST_MAIN(TestWindowVsTool)
#include "tst_window_vs_tool.moc"
