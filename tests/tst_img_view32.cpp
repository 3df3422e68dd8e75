#include "imaging/crop_geometry.h"
#include "ui/img_view32.h"
#include "ui/rubberband_layer.h"

#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(TRect)

namespace {

// Pixel (x, y) holds x in its low and y in its high twelve bits, so a shot of
// the view tells which picture pixel each screen pixel shows.
void fillCoordinates(TBitmap32 &b, int width, int height)
{
    b.setSize(width, height);
    for (int y = 0; y < height; ++y) {
        TColor32 *row = b.scanLine(y);
        for (int x = 0; x < width; ++x)
            row[x] = 0xFF000000u | TColor32(y) << 12 | TColor32(x);
    }
}

QPoint shownAt(const QImage &shot, int x, int y)
{
    const QRgb c = shot.pixel(x, y) & 0xFFFFFF;
    return {int(c & 0xFFF), int(c >> 12)};
}

// Shown, so that a resize reaches the view at once (a hidden widget gets it
// when it is shown).
void showView(TImgView32 &view, int width, int height)
{
    view.resize(width, height);
    view.show();
}

QPoint scrollPositions(const TImgView32 &view)
{
    return {int(view.horzScroll().position), int(view.vertScroll().position)};
}

// A 600 x 450 view (viewport 586 x 436) with the frame (100, 50, 300, 200),
// set up as the editor sets up its crop frame.
struct FramedView
{
    FramedView()
    {
        showView(view, 600, 450);
        band = TRubberbandLayer::create(view);
        band->setMinWidth(1.0f);
        band->setMinHeight(1.0f);
        band->setInsideCursor(Qt::SizeAllCursor);
        band->setBand({100, 50, 300, 200});
    }

    TImgView32 view;
    TRubberbandLayer *band;
};

} // namespace

class TestImgView32 : public QObject
{
    Q_OBJECT

private slots:
    void layout();
    void placesPicture_data();
    void placesPicture();
    void rescaleKeepsCentrePoint();
    void newPictureSizeRecentres();
    void scrollBarsScroll();
    void showsNearestAlways();
    void frameDrawing();
    void frameDrag_data();
    void frameDrag();
    void frameCursors_data();
    void frameCursors();
    void frameEndedWhileDragging();
};

void TestImgView32::layout()
{
    TImgView32 view;
    showView(view, 400, 300);
    QCOMPARE(view.scaleMode(), smScale);
    QCOMPARE(view.bitmapAlign(), baCustom);
    QCOMPARE(view.color(), QColor(Qt::black));
    QCOMPARE(view.viewportRect(), (TRect{0, 0, 386, 286}));
    QCOMPARE(view.horzScrollBar()->geometry(), QRect(0, 286, 386, 14));
    QCOMPARE(view.vertScrollBar()->geometry(), QRect(386, 0, 14, 286));
    QCOMPARE(view.horzScrollBar()->singleStep(), 8);
    QCOMPARE(view.vertScrollBar()->singleStep(), 8);
    // Nothing covers the viewport: the view takes the mouse there itself.
    QCOMPARE(view.childAt(385, 285), nullptr);
    QCOMPARE(view.childAt(0, 0), nullptr);
    // A 400 x 300 frame at 100% in the middle of a 600 x 450 view.
    view.resize(600, 450);
    QCOMPARE(CentredBand(view.viewportRect(), 400, 300, 1.0f).toQRectF(), QRectF(93, 68, 400, 300));
}

void TestImgView32::placesPicture_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<float>("scale");
    QTest::addColumn<TRect>("bitmapRect");
    QTest::addColumn<bool>("scrolls");
    // The picture pixel at the viewport's centre (193, 143).
    QTest::addColumn<QPoint>("centre");
    // The view is 400 x 300: a viewport of 386 x 286.
    QTest::newRow("small, centred on black")
        << QSize(100, 80) << 1.0f << TRect{143, 103, 243, 183} << false << QPoint(50, 40);
    QTest::newRow("large, starts at its centre")
        << QSize(1000, 800) << 1.0f << TRect{-307, -257, 693, 543} << true << QPoint(500, 400);
    QTest::newRow("half size, middle pixel by div")
        << QSize(1001, 801) << 0.5f << TRect{-57, -57, 443, 343} << true << QPoint(500, 400);
    // 800 x 0.50118721 - 193 = 207.95 and 600 x 0.50118721 - 143 = 157.71.
    // The copy clipped at row 158 of 601 starts from source row
    // 158 x 1199 / 600, which puts row 601 rather than 600 at the centre.
    QTest::newRow("1600x1200 at 50%") << QSize(1600, 1200) << 0.50118721f
                                      << TRect{-208, -158, 594, 443} << true << QPoint(800, 601);
}

void TestImgView32::placesPicture()
{
    QFETCH(QSize, picture);
    QFETCH(float, scale);
    QFETCH(TRect, bitmapRect);
    QFETCH(bool, scrolls);
    QFETCH(QPoint, centre);
    TImgView32 view;
    showView(view, 400, 300);
    view.setScale(scale);
    fillCoordinates(view.bitmap(), picture.width(), picture.height());
    QCOMPARE(view.BitmapRect(), bitmapRect);
    QCOMPARE(view.horzScrollBar()->isEnabled(), scrolls);
    QCOMPARE(view.vertScrollBar()->isEnabled(), scrolls);
    const QImage shot = view.renderToImage();
    QCOMPARE(shownAt(shot, 193, 143), centre);
    if (!scrolls) {
        QCOMPARE(shot.pixel(bitmapRect.left - 1, bitmapRect.top), qRgb(0, 0, 0));
        QCOMPARE(shot.pixel(bitmapRect.right, bitmapRect.bottom - 1), qRgb(0, 0, 0));
    } else {
        QCOMPARE(view.horzScrollBar()->maximum(), bitmapRect.width() - 386);
        QCOMPARE(view.vertScrollBar()->maximum(), bitmapRect.height() - 286);
    }
}

void TestImgView32::rescaleKeepsCentrePoint()
{
    TImgView32 view;
    showView(view, 400, 300);
    fillCoordinates(view.bitmap(), 1000, 800);
    QCOMPARE(scrollPositions(view), QPoint(307, 257));
    // 2000 x ((193 + 307) / 1000) - 193 and 1600 x ((143 + 257) / 800) - 143.
    view.setScale(2.0f);
    QCOMPARE(scrollPositions(view), QPoint(807, 657));
    QCOMPARE(view.BitmapRect().left, -807);
    // Smaller than the viewport: centred, positions 0.
    view.setScale(0.25f);
    QCOMPARE(scrollPositions(view), QPoint(0, 0));
    QCOMPARE(view.BitmapRect(), (TRect{68, 43, 318, 243}));
    QVERIFY(!view.horzScrollBar()->isEnabled());
    // Growing out of the viewport again starts at the middle.
    view.setScale(1.0f);
    QCOMPARE(scrollPositions(view), QPoint(307, 257));
}

void TestImgView32::newPictureSizeRecentres()
{
    TImgView32 view;
    showView(view, 400, 300);
    fillCoordinates(view.bitmap(), 1000, 800);
    view.scrollTo(10.0f, 20.0f);
    TBitmap32 sameSize;
    fillCoordinates(sameSize, 1000, 800);
    view.bitmap().assign(&sameSize);
    QCOMPARE(scrollPositions(view), QPoint(10, 20));
    TBitmap32 other;
    fillCoordinates(other, 2001, 1001);
    view.bitmap().assign(&other);
    QCOMPARE(scrollPositions(view), QPoint(1000 - 193, 500 - 143));
    view.bitmap().assign(nullptr);
    QCOMPARE(scrollPositions(view), QPoint(0, 0));
    QCOMPARE(view.horzScroll().range, 0);
    QCOMPARE(view.vertScroll().range, 0);
}

void TestImgView32::scrollBarsScroll()
{
    TImgView32 view;
    showView(view, 400, 300);
    fillCoordinates(view.bitmap(), 1000, 800);
    QSignalSpy scrolled(&view, &TImgView32::scrolled);
    view.horzScrollBar()->setValue(100);
    QCOMPARE(scrolled.count(), 1);
    QCOMPARE(view.BitmapRect().left, -100);
    QCOMPARE(shownAt(view.renderToImage(), 0, 0), QPoint(100, 257));
    view.vertScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(scrollPositions(view), QPoint(100, 265));
    view.scrollTo(5000.0f, -3.0f);
    QCOMPARE(scrollPositions(view), QPoint(614, 0));
    QCOMPARE(view.horzScrollBar()->value(), 614);
    // A wider view pulls the position back into the new range.
    view.resize(800, 300);
    QCOMPARE(scrollPositions(view), QPoint(1000 - 786, 0));
    QCOMPARE(view.horzScrollBar()->geometry(), QRect(0, 286, 786, 14));
}

void TestImgView32::showsNearestAlways()
{
    TImgView32 view;
    showView(view, 100, 100);
    TBitmap32 linear;
    linear.setSize(2, 1);
    linear.setPixel(1, 0, 0xFFFFFFFF);
    linear.setStretchFilter(sfLinear);
    view.bitmap().assign(&linear);
    QCOMPARE(view.bitmap().stretchFilter(), sfNearest);
    view.setScale(4.0f);
    // 2 x 1 at x4 is centred at (39, 41): black then white, nothing between.
    const QImage shot = view.renderToImage();
    QCOMPARE(shot.pixel(42, 42), qRgb(0, 0, 0));
    QCOMPARE(shot.pixel(43, 42), qRgb(255, 255, 255));
}

void TestImgView32::frameDrawing()
{
    TImgView32 view;
    showView(view, 200, 150);
    TRubberbandLayer *band = TRubberbandLayer::create(view);
    band->setBand({20, 10, 60, 40});
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    QImage shot = view.renderToImage();
    // Handles centred on x 20, 39, 59 and y 10, 24, 39: white inside a
    // black outline.
    QCOMPARE(shot.pixel(20, 10), white);
    QCOMPARE(shot.pixel(17, 10), black);
    QCOMPARE(shot.pixel(22, 12), black);
    QCOMPARE(shot.pixel(21, 11), white);
    QCOMPARE(shot.pixel(39, 39), white);
    QCOMPARE(shot.pixel(59, 24), white);
    QCOMPARE(shot.pixel(39, 24), black);
    // The outline runs clockwise from the top-left pixel, two white, two
    // black: the top row by x - 20, the right column on from 40 by y - 11.
    QCOMPARE(shot.pixel(24, 10), white);
    QCOMPARE(shot.pixel(25, 10), white);
    QCOMPARE(shot.pixel(26, 10), black);
    QCOMPARE(shot.pixel(27, 10), black);
    QCOMPARE(shot.pixel(59, 16), white);
    QCOMPARE(shot.pixel(59, 14), black);
    QCOMPARE(shot.pixel(30, 20), black);
    band->setVisible(false);
    shot = view.renderToImage();
    QCOMPARE(shot.pixel(24, 10), black);
    QCOMPARE(shot.pixel(20, 10), black);
}

void TestImgView32::frameDrag_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<QRectF>("location");
    QTest::addColumn<int>("spinWAt50");
    // From (100, 50, 300, 200).
    QTest::newRow("corner") << QPoint(299, 199) << QPoint(350, 260) << QRectF(100, 50, 250, 210)
                            << 499;
    QTest::newRow("200 wide at 50% is 399")
        << QPoint(299, 124) << QPoint(300, 124) << QRectF(100, 50, 200, 150) << 399;
    QTest::newRow("move") << QPoint(200, 100) << QPoint(210, 90) << QRectF(110, 40, 200, 150)
                          << 399;
    QTest::newRow("left past right")
        << QPoint(100, 124) << QPoint(400, 124) << QRectF(299, 50, 1, 150) << 2;
    QTest::newRow("outside: no drag")
        << QPoint(50, 20) << QPoint(80, 30) << QRectF(100, 50, 200, 150) << -1;
}

void TestImgView32::frameDrag()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, move);
    QFETCH(QRectF, location);
    QFETCH(int, spinWAt50);
    FramedView f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.view));
    QSignalSpy resizing(f.band, &TRubberbandLayer::resizing);
    QTest::mousePress(&f.view, Qt::LeftButton, {}, press);
    QTest::mouseMove(&f.view, move);
    QCOMPARE(f.band->location(), location);
    QTest::mouseRelease(&f.view, Qt::LeftButton, {}, move);
    QCOMPARE(f.band->dragState(), TBandDrag::None);
    QTest::mouseMove(&f.view, move + QPoint(7, 7));
    QCOMPARE(f.band->location(), location);
    if (spinWAt50 < 0) {
        QCOMPARE(resizing.count(), 0);
        return;
    }
    QCOMPARE(resizing.count(), 1);
    QCOMPARE(resizing[0][0].toRectF(), QRectF(100, 50, 200, 150));
    QCOMPARE(resizing[0][1].toRectF(), location);
    QCOMPARE(BandOutputSize(resizing[0][1].toRectF(), 0.50118721f).width(), spinWAt50);
}

void TestImgView32::frameCursors_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("shape");
    QTest::newRow("bottom-right") << QPoint(299, 199) << int(Qt::SizeFDiagCursor);
    QTest::newRow("top-right") << QPoint(303, 46) << int(Qt::SizeBDiagCursor);
    QTest::newRow("right") << QPoint(299, 124) << int(Qt::SizeHorCursor);
    QTest::newRow("top") << QPoint(199, 50) << int(Qt::SizeVerCursor);
    QTest::newRow("inside") << QPoint(200, 100) << int(Qt::SizeAllCursor);
    QTest::newRow("outside") << QPoint(10, 10) << int(Qt::ArrowCursor);
}

void TestImgView32::frameCursors()
{
    QFETCH(QPoint, at);
    QFETCH(int, shape);
    FramedView f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.view));
    QTest::mouseMove(&f.view, QPoint(200, 100));
    QTest::mouseMove(&f.view, at);
    QCOMPARE(int(f.view.cursor().shape()), shape);
    f.view.removeLayer(f.band);
    QCOMPARE(f.view.cursor().shape(), Qt::ArrowCursor);
}

void TestImgView32::frameEndedWhileDragging()
{
    FramedView f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.view));
    QPointer<TRubberbandLayer> band(f.band);
    connect(f.band, &TRubberbandLayer::resizing, &f.view, [&f] { f.view.removeLayer(f.band); });
    QTest::mousePress(&f.view, Qt::LeftButton, {}, QPoint(299, 199));
    QTest::mouseMove(&f.view, QPoint(320, 220));
    QVERIFY(band.isNull());
    QCOMPARE(f.view.layerCount(), 0);
}

QTEST_MAIN(TestImgView32)
#include "tst_img_view32.moc"
