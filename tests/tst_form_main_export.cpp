#include "app/form_main.h"
#include "base/windows1251.h"
#include "export/gallery_export.h"
#include "imaging/picture_file.h"
#include "modal_dialogs.h"
#include "test_files.h"
#include "test_pictures.h"
#include "ui/image32.h"
#include "ui/source_pane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <sys/stat.h>

namespace {

// The smallest GIF: one white pixel.
const QByteArray TinyGif = QByteArray::fromHex("4749463839610100010080000"
                                               "0ffffff00000021f90401000000002c000000"
                                               "0001000100000202440100"
                                               "3b");

QSize pictureSize(const QString &path)
{
    TBitmap32 bitmap;
    LoadPicture(path, bitmap);
    return {bitmap.width(), bitmap.height()};
}

// Records the shell's "open" requests for local files.
class OpenRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

// The texts a progress bar showed, each time it was painted with a new one.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QProgressBar *bar) : m_bar(bar) { bar->installEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && (texts.isEmpty() || texts.last() != m_bar->text()))
            texts << m_bar->text();
        return false;
    }

private:
    QProgressBar *m_bar;
};

} // namespace

class TestFormMainExport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startWithoutProjectFolderWritesNothing();
    void startWritesTheGallery();
    void failuresKeepEarlierFiles();
    void damagedSourceStopsEveryWorker();
    void viewOpensThePage();
    void everyProfileLinksToTheFilesItWrites();
    void foldersOutsideTheProjectAreRefused_data();
    void foldersOutsideTheProjectAreRefused();
    void startWritesTheColumnsOfTheLoadedProfile();
    void startWritesOnlyWhatChanged();
    void windowAnswersWhileStartRuns();

private:
    void chooseProject();
    QString source(const QString &name) const { return m_dir->filePath("src/" + name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TFormMain> m_window;
    QString m_project;
};

void TestFormMainExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QDir().mkpath(m_dir->filePath(QStringLiteral("src")));
    writeTestJpeg(source("a.jpg"), 640, 480);
    QImage bmp(300, 400, QImage::Format_RGB32);
    bmp.fill(Qt::darkCyan);
    QVERIFY(bmp.save(source("b.bmp"), "BMP"));
    writeBytes(source("c.gif"), TinyGif);
    m_project = m_dir->filePath(QStringLiteral("project"));
    QDir().mkpath(m_project);
    m_window = std::make_unique<TFormMain>(m_dir->path());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFormMainExport::cleanup()
{
    m_window->close();
    m_window.reset();
    m_dir.reset();
}

void TestFormMainExport::chooseProject()
{
    answerNextModal<QDialog>([this](QDialog *dialog) {
        dialog->findChild<QLineEdit *>()->setText(m_project);
        dialog->accept();
    });
    m_window->bteDirProjectButtonClick();
    QCOMPARE(m_window->projectPath(), m_project);
}

void TestFormMainExport::startWithoutProjectFolderWritesNothing()
{
    m_window->AddThumb(source("a.jpg"));
    answerNextModal<QDialog>([this](QDialog *dialog) {
        dialog->findChild<QLineEdit *>()->setText(m_project);
        dialog->accept();
    });
    m_window->btnStartClick();
    QCOMPARE(m_window->projectPath(), m_project);
    QCOMPARE(QDir(m_project).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestFormMainExport::startWritesTheGallery()
{
    chooseProject();
    for (const char *name : {"a.jpg", "b.bmp", "c.gif"})
        m_window->AddThumb(source(QString::fromLatin1(name)));
    // The third picture counts as edited: its copy is already in the picture folder.
    QDir().mkpath(m_window->galleryPath());
    writeBytes(m_window->galleryPath() + QStringLiteral("/c.jpg"), "edited copy");
    const_cast<TThumbsCollection &>(m_window->thumbs()[2]).OriginalPath = source("c.gif");

    // Start sits on the page's tab; bringing it to the front rebuilds the page.
    m_window->findChild<QTabWidget *>(QStringLiteral("PageControl"))->setCurrentIndex(1);
    auto *pane = m_window->findChild<HtmlSourcePane *>(QStringLiteral("CL"));
    QStringList page = pane->lines();
    page << QStringLiteral("<!-- Привет, typed by hand -->");
    pane->setLines(page);

    auto *bar = m_window->findChild<QProgressBar *>(QStringLiteral("ProgressBar"));
    PaintRecorder painted(bar);
    m_window->btnStartClick();
    const QStringList &shown = painted.texts;
    QCOMPARE(shown, QStringList({"0%", "50%", "100%"}));
    // The number reads over both parts of the bar: on the full bar and on the
    // empty one, its pixels differ from the bar drawn without it, and they
    // are dark on the full one.
    const auto numberPixels = [bar] {
        bar->setTextVisible(false);
        const QImage plain = bar->grab().toImage();
        bar->setTextVisible(true);
        const QImage shown = bar->grab().toImage();
        QList<QRgb> differing;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (shown.pixel(x, y) != plain.pixel(x, y))
                    differing << shown.pixel(x, y);
        return differing;
    };
    const QList<QRgb> onFullBar = numberPixels();
    QVERIFY(onFullBar.size() > 10);
    QVERIFY(std::all_of(onFullBar.cbegin(), onFullBar.cend(),
                        [](QRgb pixel) { return qGreen(pixel) < 255; }));
    m_window->findChild<QTabWidget *>(QStringLiteral("PageControl"))->setCurrentIndex(0);
    m_window->findChild<QTabWidget *>(QStringLiteral("PageControl"))->setCurrentIndex(1);
    QCOMPARE(bar->text(), QStringLiteral("0%"));
    QVERIFY(numberPixels().size() > 10);

    const QString gallery = m_window->galleryPath();
    const QString thumbs = m_window->thumbsPath();
    QCOMPARE(pictureSize(gallery + QStringLiteral("/a.jpg")), QSize(640, 480));
    QCOMPARE(pictureSize(gallery + QStringLiteral("/b.jpg")), QSize(300, 400));
    QCOMPARE(readBytes(gallery + QStringLiteral("/c.jpg")), QByteArray("edited copy"));
    QCOMPARE(pictureSize(thumbs + QStringLiteral("/a.jpg")), QSize(110, 82));
    QCOMPARE(pictureSize(thumbs + QStringLiteral("/b.jpg")), QSize(83, 110));
    QCOMPARE(pictureSize(thumbs + QStringLiteral("/c.jpg")), QSize(110, 110));
    QByteArray expected;
    for (const QString &line : page)
        expected += encodeWindows1251(line) + "\r\n";
    QCOMPARE(readBytes(m_project + QStringLiteral("/~thumbs.html")), expected);
}

void TestFormMainExport::failuresKeepEarlierFiles()
{
    chooseProject();
    m_window->AddThumb(source("a.jpg"));
    m_window->AddThumb(source("b.bmp"));
    m_window->btnStartClick();
    const QString gallery = m_window->galleryPath();
    const QByteArray earlier = readBytes(gallery + QStringLiteral("/b.jpg"));
    QVERIFY(!earlier.isEmpty());

    // A source gone since it was added: named in one message, its earlier
    // file kept, the rest written.
    QVERIFY(QFile::remove(source("b.bmp")));
    QFile::remove(m_project + QStringLiteral("/~thumbs.html"));
    QStringList messages;
    answerMessage(&messages);
    QTest::mouseClick(m_window->findChild<QWidget *>(QStringLiteral("btnStart")), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(source("b.bmp")), qPrintable(messages[0]));
    QCOMPARE(readBytes(gallery + QStringLiteral("/b.jpg")), earlier);
    QVERIFY(QFile::exists(m_project + QStringLiteral("/~thumbs.html")));

    // A thumbnail folder that is a plain file cannot be written: the export
    // stops, earlier pictures and the old page stay.
    const QByteArray page = readBytes(m_project + QStringLiteral("/~thumbs.html"));
    QDir(m_window->thumbsPath()).removeRecursively();
    writeBytes(m_window->thumbsPath(), "in the way");
    messages.clear();
    answerMessage(&messages);
    QTest::mouseClick(m_window->findChild<QWidget *>(QStringLiteral("btnStart")), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(readBytes(gallery + QStringLiteral("/b.jpg")), earlier);
    QCOMPARE(readBytes(m_project + QStringLiteral("/~thumbs.html")), page);
    QCOMPARE(readBytes(m_window->thumbsPath()), QByteArray("in the way"));
}

void TestFormMainExport::damagedSourceStopsEveryWorker()
{
    chooseProject();
    for (const char *name : {"a.jpg", "b.bmp", "c.gif"})
        m_window->AddThumb(source(QString::fromLatin1(name)));
    writeBytes(source("b.bmp"), "no longer a picture");
    writeBytes(m_project + QStringLiteral("/~thumbs.html"), "earlier page");
    m_window->setJobs(3);
    auto *bar = m_window->findChild<QProgressBar *>(QStringLiteral("ProgressBar"));
    QStringList messages;
    answerMessage(&messages);
    QTest::mouseClick(m_window->findChild<QWidget *>(QStringLiteral("btnStart")), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(source("b.bmp")), qPrintable(messages[0]));
    QCOMPARE(bar->text(), QStringLiteral("0%"));
    QCOMPARE(pictureSize(m_window->galleryPath() + QStringLiteral("/a.jpg")), QSize(640, 480));
    QCOMPARE(readBytes(m_project + QStringLiteral("/~thumbs.html")), QByteArray("earlier page"));
}

void TestFormMainExport::viewOpensThePage()
{
    OpenRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    chooseProject();
    auto *bar = m_window->findChild<QProgressBar *>(QStringLiteral("ProgressBar"));
    m_window->AddThumb(source("a.jpg"));
    m_window->AddThumb(source("b.bmp"));
    m_window->btnStartClick();
    QCOMPARE(bar->text(), QStringLiteral("100%"));
    m_window->btnPreviewClick();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(recorder.opened,
             QList<QUrl>({QUrl::fromLocalFile(m_project + QStringLiteral("/~thumbs.html"))}));
    QCOMPARE(bar->text(), QStringLiteral("0%"));
}

void TestFormMainExport::everyProfileLinksToTheFilesItWrites()
{
    auto *href = m_window->findChild<QLineEdit *>(QStringLiteral("edtHref"));
    auto *src = m_window->findChild<QLineEdit *>(QStringLiteral("edtSrc"));
    auto *profiles = m_window->findChild<QComboBox *>(QStringLiteral("cmbPropProj"));
    // The first-start profile stores no prefixes; its folders give them.
    QCOMPARE(href->text() + src->text(), QStringLiteral("gal/thumb/"));
    chooseProject();
    m_window->findChild<QLineEdit *>(QStringLiteral("edtGalerFolder"))->setText("\\photos");
    const auto saveAsTrip = [this] {
        answerNextModal<QInputDialog>([](QInputDialog *dialog) {
            dialog->setTextValue(QStringLiteral("Trip"));
            dialog->accept();
        });
        m_window->btnSavePropProjClick();
    };
    saveAsTrip();
    // A prefix the profile holds is kept as it is.
    href->setText(QStringLiteral("https://example.org/big/"));
    saveAsTrip();

    const struct
    {
        int profile;
        QString href;
        QString folder;
    } loads[] = {{0, "gal/", "/gal/"}, {1, "https://example.org/big/", "/photos/"}};
    m_window->AddThumb(source("a.jpg"));
    for (const auto &load : loads) {
        profiles->setCurrentIndex(load.profile);
        m_window->cmbPropProjChange();
        QCOMPARE(href->text(), load.href);
        QCOMPARE(src->text(), QStringLiteral("thumb/"));
        m_window->findChild<QTabWidget *>(QStringLiteral("PageControl"))->setCurrentIndex(1);
        m_window->btnStartClick();
        QVERIFY(readBytes(m_project + "/~thumbs.html")
                    .contains("href=\"" + load.href.toUtf8() + "a.jpg\""));
        QCOMPARE(pictureSize(m_project + load.folder + "a.jpg"), QSize(640, 480));
    }
}

void TestFormMainExport::foldersOutsideTheProjectAreRefused_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    // The folder the text names, beside the project folder.
    QTest::addColumn<QString>("outside");
    QTest::newRow("picture folder") << "edtGalerFolder"
                                    << "\\..\\victim"
                                    << "victim";
    QTest::newRow("thumbnail folder") << "edtThumbsFolder"
                                      << "/../escape"
                                      << "escape";
    QTest::newRow("down, then out") << "edtGalerFolder"
                                    << "gal\\a\\..\\..\\..\\x"
                                    << "x";
}

void TestFormMainExport::foldersOutsideTheProjectAreRefused()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QString, outside);
    const QString victim = m_dir->filePath(outside);
    QDir().mkpath(victim);
    for (const char *name : {"a.jpg", "b.jpg", "A_01.jpg"})
        writeBytes(victim + u'/' + QLatin1String(name), "keep");
    chooseProject();
    m_window->AddThumb(source("a.jpg"));
    m_window->AddThumb(source("b.bmp"));
    m_window->findChild<QLineEdit *>(control)->setText(text);
    QStringList messages;
    answerMessage(&messages);
    QTest::mouseClick(m_window->findChild<QWidget *>(QStringLiteral("btnStart")), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(u'"' + text + u'"'), qPrintable(messages[0]));
    // Nothing was written, and neither the renaming pass nor clearing the
    // project deletes or renames anything there.
    QCOMPARE(QDir(m_project).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    m_window->findChild<QCheckBox *>(QStringLiteral("chbRenameF"))->click();
    m_window->findChild<QCheckBox *>(QStringLiteral("chbRenameF"))->click();
    answerNextModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    m_window->btnClearAllProjectClick();
    QCOMPARE(m_window->thumbsCount(), 0);
    QCOMPARE(QDir(victim).entryList(QDir::Files).size(), 3);
    for (const char *name : {"a.jpg", "b.jpg", "A_01.jpg"})
        QCOMPARE(readBytes(victim + u'/' + QLatin1String(name)), QByteArray("keep"));
}

void TestFormMainExport::startWritesTheColumnsOfTheLoadedProfile()
{
    chooseProject();
    for (int i = 0; i < 5; ++i)
        m_window->AddThumb(source("a.jpg"));
    // "Four" differs from "Default" in the header, loaded before the columns,
    // and in the columns.
    m_window->findChild<QSpinBox *>(QStringLiteral("spinCounCol"))->setValue(4);
    m_window->findChild<QLineEdit *>(QStringLiteral("edtHeader"))->setText(QStringLiteral("Four"));
    answerNextModal<QInputDialog>([](QInputDialog *dialog) {
        dialog->setTextValue(QStringLiteral("Four"));
        dialog->accept();
    });
    m_window->btnSavePropProjClick();
    m_window->findChild<QTabWidget *>(QStringLiteral("PageControl"))->setCurrentIndex(1);

    auto *profiles = m_window->findChild<QComboBox *>(QStringLiteral("cmbPropProj"));
    QCOMPARE(profiles->count(), 2);
    const QString page = m_project + QStringLiteral("/~thumbs.html");
    // Five thumbnails make one row of five or two rows of four and one.
    for (const auto &[profile, rows] : {std::pair{0, 1}, std::pair{1, 2}, std::pair{0, 1}}) {
        {
            const QSignalBlocker blocker(profiles);
            profiles->setCurrentIndex(profile);
        }
        m_window->cmbPropProjChange();
        m_window->btnStartClick();
        QCOMPARE(readBytes(page).count("<tr>"), rows);
    }
}

void TestFormMainExport::startWritesOnlyWhatChanged()
{
    chooseProject();
    m_window->AddThumb(source("a.jpg"));
    m_window->AddThumb(source("b.bmp"));
    const QStringList files{m_window->galleryPath() + "/a.jpg", m_window->galleryPath() + "/b.jpg",
                            m_window->thumbsPath() + "/a.jpg", m_window->thumbsPath() + "/b.jpg"};
    // The inode and status-change time of each file: a write changes both.
    const auto stamps = [&files] {
        QList<QPair<qint64, qint64>> result;
        for (const QString &file : files) {
            struct stat info;
            if (::stat(QFile::encodeName(file).constData(), &info) != 0)
                return QList<QPair<qint64, qint64>>();
            result.append({qint64(info.st_ino), qint64(info.st_ctim.tv_nsec)});
        }
        return result;
    };
    m_window->btnStartClick();
    const QList<QPair<qint64, qint64>> first = stamps();
    QCOMPARE(first.size(), 4);
    m_window->btnStartClick();
    QCOMPARE(stamps(), first);

    // A refresh into another box: the thumbnails are written again, as the
    // cells now show them, and the pictures stay.
    m_window->findChild<QSpinBox *>(QStringLiteral("spinMaxW"))->setValue(60);
    m_window->btnRefreshTumbClick();
    m_window->btnStartClick();
    const QList<QPair<qint64, qint64>> refreshed = stamps();
    QCOMPARE(refreshed.mid(0, 2), first.mid(0, 2));
    QVERIFY(refreshed.at(2) != first.at(2) && refreshed.at(3) != first.at(3));
    for (int i = 0; i < 2; ++i) {
        const QString expected = m_dir->filePath(QStringLiteral("expected.jpg"));
        WriteJpegFile(expected, m_window->thumbs().at(i).ThumbImage->bitmap(), kExportJpegQuality);
        QCOMPARE(readBytes(files.at(2 + i)), readBytes(expected));
        QCOMPARE(pictureSize(files.at(2 + i)).width(), 60);
    }
}

void TestFormMainExport::windowAnswersWhileStartRuns()
{
    chooseProject();
    for (int i = 0; i < 4; ++i) {
        writeTestJpeg(source(QStringLiteral("big%1.jpg").arg(i)), 2400, 1600, uint32_t(i + 2));
        m_window->AddThumb(source(QStringLiteral("big%1.jpg").arg(i)));
    }
    // Events reach the window while Start runs: a second Start and a close
    // are taken and wait for the first to end; nothing is left half written.
    int answered = 0;
    QTimer during;
    connect(&during, &QTimer::timeout, this, [&] {
        if (answered++ == 0) {
            m_window->btnStartClick();
            m_window->close();
        }
    });
    during.start(1);
    m_window->btnStartClick();
    during.stop();
    QVERIFY(answered > 0);
    QTRY_VERIFY(!m_window->isVisible());
    QCOMPARE(QDir(m_window->thumbsPath()).entryList(QDir::Files).size(), 4);
    QCOMPARE(QDir(m_window->galleryPath()).entryList(QDir::Files).size(), 4);
    QVERIFY(QFileInfo::exists(m_project + QStringLiteral("/~thumbs.html")));
}

QTEST_MAIN(TestFormMainExport)
#include "tst_form_main_export.moc"
