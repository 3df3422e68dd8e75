#include "app/form_main.h"
#include "imaging/picture_file.h"
#include "modal_dialogs.h"
#include "test_files.h"
#include "test_pictures.h"
#include "window_controls.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

// Red grows from left to right and green from top to bottom, so that a
// pixel's colour tells where in the picture it came from.
void writeGradient(const QString &path, int width, int height)
{
    TBitmap32 bitmap;
    bitmap.setSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.setPixel(x, y, qRgb(x * 256 / width, y * 256 / height, 0));
    WriteJpegFile(path, bitmap, 90);
}

void drag(QWidget *view, QPoint from, QPoint to)
{
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
}

QSize pictureSize(const QString &path)
{
    TBitmap32 bitmap;
    LoadPicture(path, bitmap);
    return {bitmap.width(), bitmap.height()};
}

} // namespace

class TestFormMainEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void zoomLabels_data();
    void zoomLabels();
    void walkingTheSet();
    void cropFrameFollowsTheSpinEdits();
    void cropAndSaveThenRestore();
    void framesBeyondTheSpinLimitAreCutAsFramed_data();
    void framesBeyondTheSpinLimitAreCutAsFramed();
    void badCropsLoseNothing();

private:
    template <typename T> T *control(const char *name) const
    {
        return ::control<T>(m_window.get(), name);
    }
    void click(const char *name) const { control<QToolButton>(name)->click(); }
    QString text(const char *name) const { return control<QLabel>(name)->text(); }
    void openEditorOn(const QStringList &names);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TFormMain> m_window;
};

void TestFormMainEditor::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QDir().mkpath(m_dir->filePath(QStringLiteral("src")));
    writeTestJpeg(m_dir->filePath(QStringLiteral("src/big.jpg")), 1600, 1200);
    writeTestJpeg(m_dir->filePath(QStringLiteral("src/small.jpg")), 300, 200);
    writeTestJpeg(m_dir->filePath(QStringLiteral("src/tall.jpg")), 200, 300);
    m_window = std::make_unique<TFormMain>(m_dir->path());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    answerNextModal<QDialog>([this](QDialog *dialog) {
        dialog->findChild<QLineEdit *>()->setText(m_dir->filePath(QStringLiteral("project")));
        QDir().mkpath(m_dir->filePath(QStringLiteral("project")));
        dialog->accept();
    });
    m_window->bteDirProjectButtonClick();
}

void TestFormMainEditor::cleanup()
{
    m_window->close();
    m_window.reset();
    m_dir.reset();
}

void TestFormMainEditor::openEditorOn(const QStringList &names)
{
    for (const QString &name : names)
        m_window->AddThumb(m_dir->filePath(QStringLiteral("src/") + name));
    m_window->ThumbClick(m_window->thumbs()[0].CaptionLabel);
    m_window->btnRedactImageClick();
    QVERIFY(m_window->findChild<QWidget *>(QStringLiteral("ImgR"))->isVisible());
}

void TestFormMainEditor::zoomLabels_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QString>("label");
    QTest::newRow("-100") << -100 << "10%";
    QTest::newRow("-50") << -50 << "32%";
    QTest::newRow("0") << 0 << "100%";
    QTest::newRow("1") << 1 << "100%";
}

void TestFormMainEditor::zoomLabels()
{
    QFETCH(int, zoom);
    QFETCH(QString, label);
    openEditorOn({"big.jpg"});
    auto *zoomBar = control<QSlider>("ZoomBar");
    zoomBar->setValue(zoom == 1 ? 0 : 1);
    zoomBar->setValue(zoom);
    QCOMPARE(text("lblZoom"), label);

    // 1600 x 1200 at zoom -30 and scale 0 is shown 802 x 601 and saved 1600 x 1199.
    zoomBar->setValue(-30);
    control<QSlider>("ScaleBar")->setValue(0);
    QCOMPARE(text("lblZoom"), QStringLiteral("50%"));
    QCOMPARE(text("lblImageSize"), QStringLiteral("1600x1199"));
}

void TestFormMainEditor::walkingTheSet()
{
    openEditorOn({"big.jpg", "small.jpg", "tall.jpg"});
    auto *previous = control<QToolButton>("btnPrevious");
    auto *next = control<QToolButton>("btnNext");
    QVERIFY(!previous->isEnabled() && next->isEnabled());
    click("btnNext");
    QVERIFY(previous->isEnabled() && next->isEnabled());
    QCOMPARE(text("lblCurrentImage"), QStringLiteral("2"));
    QCOMPARE(m_window->findChild<TImgView32 *>(QStringLiteral("ImgR"))->bitmap().width(), 300);
    click("btnNext");
    QVERIFY(!next->isEnabled());
    QCOMPARE(m_window->currentThumb(), 2);
    QCOMPARE(m_window->thumbs()[2].CaptionLabel->palette().color(QPalette::Window),
             QApplication::palette().color(QPalette::Highlight));

    // Back to the normal view: the current picture in the preview, the editor
    // view empty and hidden, crop mode off.
    click("btnLL");
    click("btnMiddle");
    auto *view = m_window->findChild<TImgView32 *>(QStringLiteral("ImgR"));
    QVERIFY(view->bitmap().empty() && !view->isVisible());
    QVERIFY(!m_window->rubberBand());
    QVERIFY(!control<QToolButton>("btnLL")->isChecked());
    QCOMPARE(m_window->findChild<TImage32 *>(QStringLiteral("ImageDest"))->bitmap().width(), 200);
}

void TestFormMainEditor::cropFrameFollowsTheSpinEdits()
{
    openEditorOn({"big.jpg"});
    auto *view = m_window->findChild<TImgView32 *>(QStringLiteral("ImgR"));
    click("btnLL");
    QVERIFY(m_window->rubberBand());
    const TRect viewport = view->viewportRect();
    const QRectF centred((viewport.right - 400) / 2.0f, (viewport.bottom - 300) / 2.0f, 400, 300);
    QCOMPARE(m_window->rubberBand()->location(), centred);

    auto *spinW = control<SpinEdit>("spinW");
    spinW->setFocus();
    spinW->findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(spinW->findChild<QLineEdit *>(), "500");
    QCOMPARE(m_window->rubberBand()->location(), QRectF(centred.left(), centred.top(), 500, 300));
    click("btnVH");
    QCOMPARE(m_window->rubberBand()->location(), QRectF(centred.left(), centred.top(), 300, 500));

    // A drag on the right handle at 50% writes the frame's output width live.
    control<QSlider>("ZoomBar")->setValue(-30);
    const QRectF frame = m_window->rubberBand()->location();
    const QPoint handle(qRound(frame.right()) - 1, qRound(frame.center().y()));
    const QPoint to(qRound(frame.left() + 200), handle.y());
    QTest::mousePress(view, Qt::LeftButton, {}, handle);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    const QRectF dragged = m_window->rubberBand()->location();
    QCOMPARE(dragged.left(), frame.left());
    QVERIFY(qAbs(dragged.width() - 200) < 1);
    QCOMPARE(spinW->value(), qRound(dragged.width() / m_window->zoomFactor()));
    QVERIFY(qAbs(spinW->value() - 399) <= 2);
}

void TestFormMainEditor::cropAndSaveThenRestore()
{
    openEditorOn({"small.jpg", "tall.jpg"});
    click("btnLL");
    click("btnSizeI");
    // Until a bar first moves the picture is shown at scale 1.
    QCOMPARE(control<SpinEdit>("spinW")->value(), 300);
    click("btnCutImage");
    QVERIFY(!m_window->rubberBand());
    QCOMPARE(control<QSlider>("ScaleBar")->value(), 0);
    const TThumbsCollection &thumb = m_window->thumbs()[0];
    const QString source = m_dir->filePath(QStringLiteral("src/small.jpg"));
    const QString edited = m_window->galleryPath() + QStringLiteral("/small.jpg");
    QCOMPARE(thumb.OriginalPath, source);
    QCOMPARE(thumb.PicturePath, edited);
    QCOMPARE(pictureSize(edited), QSize(300, 200));
    QVERIFY(control<QToolButton>("btnRestoreImage")->isEnabled());

    // A second edit, with the edge frame and a frame partly outside the
    // picture: the whole picture is saved again, the source still remembered.
    click("btnKant");
    click("btnLL");
    control<SpinEdit>("spinW")->setValue(1000);
    click("btnCutImage");
    QCOMPARE(thumb.OriginalPath, source);
    QCOMPARE(pictureSize(edited), QSize(300, 200));
    TBitmap32 saved;
    LoadPicture(edited, saved);
    // The outer rows: lightened at the top, darkened at the bottom.
    QVERIFY(qGray(saved.pixel(100, 0)) > qGray(saved.pixel(100, 10)) + 40);
    QVERIFY(qGray(saved.pixel(100, 199)) + 20 < qGray(saved.pixel(100, 189)));

    click("btnRestoreImage");
    QVERIFY(thumb.OriginalPath.isEmpty());
    QCOMPARE(thumb.PicturePath, source);
    QVERIFY(!QFile::exists(edited));
    QVERIFY(QFile::exists(source));
    QCOMPARE(QSize(thumb.ThumbImage->bitmap().width(), thumb.ThumbImage->bitmap().height()),
             QSize(110, 73));
    QVERIFY(!control<QToolButton>("btnRestoreImage")->isEnabled());
}

void TestFormMainEditor::framesBeyondTheSpinLimitAreCutAsFramed_data()
{
    QTest::addColumn<int>("zoom");
    QTest::newRow("50%") << -30;
    QTest::newRow("100%") << 1;
}

void TestFormMainEditor::framesBeyondTheSpinLimitAreCutAsFramed()
{
    QFETCH(int, zoom);
    const QSize source(3000, 2000);
    writeGradient(m_dir->filePath(QStringLiteral("src/wide.jpg")), source.width(), source.height());
    openEditorOn({"wide.jpg"});
    auto *view = m_window->findChild<TImgView32 *>(QStringLiteral("ImgR"));
    control<QSlider>("ZoomBar")->setValue(zoom);
    control<QSlider>("ScaleBar")->setValue(0);
    click("btnLL");
    const float z = m_window->zoomFactor();
    const TRect shown = view->BitmapRect();

    // The frame moved to 100 output pixels inside the picture's corner, then
    // its bottom-right corner dragged out to 2500 x 1700 output pixels, far
    // beyond the view.
    QRectF frame = m_window->rubberBand()->location();
    const QPointF corner(shown.left + 100 * z, shown.top + 100 * z);
    drag(view, frame.center().toPoint(), (frame.center() + corner - frame.topLeft()).toPoint());
    frame = m_window->rubberBand()->location();
    drag(view, QPoint(qRound(frame.right()) - 1, qRound(frame.bottom()) - 1),
         QPoint(qRound(frame.left() + 2500 * z), qRound(frame.top() + 1700 * z)));
    frame = m_window->rubberBand()->location();
    QCOMPARE(control<SpinEdit>("spinW")->value(), 1000);
    QCOMPARE(control<SpinEdit>("spinH")->value(), 1000);
    click("btnCutImage");

    TBitmap32 saved;
    LoadPicture(m_window->galleryPath() + QStringLiteral("/wide.jpg"), saved);
    QVERIFY2(qAbs(saved.width() - 2500) <= 2 && qAbs(saved.height() - 1700) <= 2,
             qPrintable(QStringLiteral("%1x%2").arg(saved.width()).arg(saved.height())));
    // Each pixel holds the picture where the frame lay over it, 1:1: its
    // colour names its place within a few gradient steps.
    const QPointF origin((frame.left() - shown.left) / z, (frame.top() - shown.top) / z);
    for (const QPoint at : {QPoint(0, 0), QPoint(1250, 850), QPoint(2490, 1690)}) {
        const QRgb pixel = saved.pixel(at.x(), at.y());
        const int red = int((origin.x() + at.x()) * 256 / source.width());
        const int green = int((origin.y() + at.y()) * 256 / source.height());
        QVERIFY2(qAbs(qRed(pixel) - red) <= 4 && qAbs(qGreen(pixel) - green) <= 4,
                 qPrintable(QStringLiteral("at %1,%2: %3,%4 instead of %5,%6")
                                .arg(at.x())
                                .arg(at.y())
                                .arg(qRed(pixel))
                                .arg(qGreen(pixel))
                                .arg(red)
                                .arg(green)));
    }
}

void TestFormMainEditor::badCropsLoseNothing()
{
    openEditorOn({"small.jpg"});
    const TThumbsCollection &thumb = m_window->thumbs()[0];
    auto *view = m_window->findChild<TImgView32 *>(QStringLiteral("ImgR"));
    click("btnLL");
    control<SpinEdit>("spinH")->setValue(0);
    QStringList messages;
    answerMessage(&messages);
    click("btnCutImage");
    QCOMPARE(messages.size(), 1);
    QCOMPARE(view->bitmap().width(), 300);
    QVERIFY(thumb.OriginalPath.isEmpty());
    QVERIFY(!QFileInfo::exists(m_window->galleryPath()));

    // A picture folder that cannot be written: the record stays as it was.
    writeBytes(m_window->galleryPath(), "in the way");
    control<SpinEdit>("spinH")->setValue(100);
    answerMessage(&messages);
    click("btnCutImage");
    QCOMPARE(messages.size(), 2);
    QVERIFY(thumb.OriginalPath.isEmpty());
    QCOMPARE(thumb.PicturePath, m_dir->filePath(QStringLiteral("src/small.jpg")));
    QVERIFY(!control<QToolButton>("btnRestoreImage")->isEnabled());
}

QTEST_MAIN(TestFormMainEditor)
#include "tst_form_main_editor.moc"
