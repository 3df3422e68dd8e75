#include "app/form_main.h"
#include "imaging/picture_file.h"
#include "modal_dialogs.h"
#include "test_files.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

void writeJpeg(const QString &path, int width, int height, uint32_t seed)
{
    TBitmap32 bitmap;
    bitmap.setSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.setPixel(x, y,
                            0xFF000000u | uint32_t((x * seed) % 256) << 16 |
                                uint32_t((y * 3 + x) % 256) << 8 | uint32_t((x ^ y) % 256));
    WriteJpegFile(path, bitmap, 92);
}

void writeBmp(const QString &path, int width, int height, QColor colour)
{
    QImage bmp(width, height, QImage::Format_RGB32);
    bmp.fill(colour);
    for (int x = 0; x < width; x += 3)
        bmp.setPixelColor(x, x % height, Qt::white);
    QVERIFY(bmp.save(path, "BMP"));
}

// Every file under `folder` by its path inside it, with its bytes.
QMap<QString, QByteArray> filesUnder(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        files.insert(QDir(folder).relativeFilePath(file), readBytes(file));
    }
    return files;
}

} // namespace

class TestWindowVsTool : public QObject
{
    Q_OBJECT
private slots:
    void toolWritesWhatStartWrites();
};

void TestWindowVsTool::toolWritesWhatStartWrites()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("src"));
    QStringList sources;
    const auto source = [&](const char *name) {
        sources << dir.filePath(QStringLiteral("src/") + QString::fromLatin1(name));
        return sources.last();
    };
    writeJpeg(source("wide.jpg"), 640, 480, 7);
    writeBmp(source("tall.bmp"), 300, 400, Qt::darkCyan);
    writeJpeg(source("tiny.jpg"), 37, 13, 11);
    writeBmp(source("small.bmp"), 50, 20, QColor(200, 30, 90));
    writeJpeg(source("portrait.jpg"), 215, 701, 5);

    // The window starts without a settings file and writes its default
    // profile into propstor.ini in its folder.
    const QString project = dir.filePath(QStringLiteral("window"));
    QVERIFY(QDir().mkpath(project));
    {
        TFormMain window(dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.findChild<QCheckBox *>(QStringLiteral("chbRenameF"))->isChecked());
        answerNextModal<QDialog>([&](QDialog *dialog) {
            dialog->findChild<QLineEdit *>()->setText(project);
            dialog->accept();
        });
        window.bteDirProjectButtonClick();
        QCOMPARE(window.projectPath(), project);
        for (const QString &file : sources)
            window.AddThumb(file);
        QCOMPARE(window.thumbsCount(), int(sources.size()));
        window.findChild<QTabWidget *>(QStringLiteral("PageControl"))->setCurrentIndex(1);
        window.btnStartClick();
        window.close();
    }
    const QString ini = dir.filePath(QStringLiteral("propstor.ini"));
    QVERIFY(QFileInfo::exists(ini));
    const QMap<QString, QByteArray> written = filesUnder(project);
    QVERIFY(written.value(QStringLiteral("~thumbs.html")).contains("portrait.jpg"));
    // A picture and a thumbnail for each source, and the page.
    QCOMPARE(written.size(), 2 * sources.size() + 1);

    for (const char *jobs : {"1", "2"}) {
        const QString toolProject = dir.filePath(QStringLiteral("tool") + QLatin1String(jobs));
        QProcess tool;
        tool.start(QStringLiteral(PICTAVEL_BUILD_TOOL),
                   QStringList{"--ini", ini, "--jobs", jobs, "--quiet", toolProject} + sources);
        QVERIFY(tool.waitForFinished(120000));
        QCOMPARE(QString::fromLocal8Bit(tool.readAllStandardError()), QString());
        QCOMPARE(tool.exitCode(), 0);
        const QMap<QString, QByteArray> built = filesUnder(toolProject);
        QCOMPARE(built.keys(), written.keys());
        for (const QString &file : written.keys())
            QVERIFY2(built.value(file) == written.value(file), qPrintable(file));
    }
}

QTEST_MAIN(TestWindowVsTool)
#include "tst_window_vs_tool.moc"
