#include "imaging/bitmap32.h"
#include "imaging/crop_geometry.h"
#include "imaging/edge_frame.h"
#include "imaging/fit_geometry.h"
#include "imaging/picture_cut.h"
#include "imaging/view_geometry.h"

#include <QTest>

#include <algorithm>

Q_DECLARE_METATYPE(TBandDrag)
Q_DECLARE_METATYPE(TRect)
Q_DECLARE_METATYPE(TFloatRect)

namespace {

// The zoom bar at -30: the editor's "50%".
const float kZoom50 = ZoomFactorOf(-30);

// Floats compared as doubles, so that neighbouring floats differ.
void compareExactly(float actual, float expected)
{
    QCOMPARE(double(actual), double(expected));
}

void compareBands(const TFloatRect &actual, const TFloatRect &expected)
{
    compareExactly(actual.left, expected.left);
    compareExactly(actual.top, expected.top);
    compareExactly(actual.right, expected.right);
    compareExactly(actual.bottom, expected.bottom);
}

// Pixel (x, y) holds x in its blue and y in its green byte.
void fillCoordinates(TBitmap32 &b, int width, int height)
{
    b.setSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.setPixel(x, y, 0xFF000000u | TColor32(y) << 8 | TColor32(x));
}

QPoint coordinatesOf(TColor32 c)
{
    return {int(c & 0xFF), int(c >> 8 & 0xFF)};
}

const TFloatRect kBand{100.0f, 50.0f, 300.0f, 200.0f};

} // namespace

class TestEditorGeometry : public QObject
{
    Q_OBJECT

private slots:
    void zoomBar_data();
    void zoomBar();
    void outputSize_data();
    void outputSize();
    void relaidScrollAxis_data();
    void relaidScrollAxis();
    void centredScrollPosition_data();
    void centredScrollPosition();
    void bitmapOffset_data();
    void bitmapOffset();
    void bandHitTest_data();
    void bandHitTest();
    void draggedBand_data();
    void draggedBand();
    void placeBand_data();
    void placeBand();
    void bandOutputSize_data();
    void bandOutputSize();
    void planCut_data();
    void planCut();
    void cutPicture_data();
    void cutPicture();
    void edgeFrame_data();
    void edgeFrame();
};

void TestEditorGeometry::zoomBar_data()
{
    QTest::addColumn<int>("zoomPosition");
    QTest::addColumn<int>("scalePosition");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("scale");
    QTest::newRow("bottom") << -100 << 0 << 0.1f << "10%" << 0.1f;
    QTest::newRow("-50") << -50 << 0 << 0.31622776f << "32%" << 0.31622776f;
    QTest::newRow("-30") << -30 << 0 << 0.50118721f << "50%" << 0.50118721f;
    QTest::newRow("0") << 0 << 0 << 1.0f << "100%" << 1.0f;
    QTest::newRow("top") << 1 << 0 << 1.0f << "100%" << 1.0f;
    QTest::newRow("scale at start") << 1 << -1 << 1.0f << "100%" << 0.97723722f;
    QTest::newRow("scale at start, 50%") << -30 << -1 << 0.50118721f << "50%" << 0.48977879f;
    QTest::newRow("scale top") << 1 << 100 << 1.0f << "100%" << 10.0f;
}

void TestEditorGeometry::zoomBar()
{
    QFETCH(int, zoomPosition);
    QFETCH(int, scalePosition);
    QFETCH(float, zoom);
    QFETCH(QString, text);
    QFETCH(float, scale);
    const float factor = ZoomFactorOf(zoomPosition);
    compareExactly(factor, zoom);
    QCOMPARE(ZoomText(factor), text);
    compareExactly(ViewScaleOf(scalePosition, factor), scale);
}

void TestEditorGeometry::outputSize_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("zoomPosition");
    QTest::addColumn<int>("scalePosition");
    QTest::addColumn<QSize>("fitted");
    QTest::addColumn<QString>("text");
    // The picture loses a row at 50%: 601 / 0.50118721 = 1199.15.
    QTest::newRow("1600x1200 at 50%")
        << QSize(1600, 1200) << -30 << 0 << QSize(802, 601) << "1600x1199";
    QTest::newRow("scale at start")
        << QSize(1600, 1200) << 1 << -1 << QSize(1564, 1173) << "1564x1173";
    QTest::newRow("10%") << QSize(1000, 750) << -100 << 0 << QSize(100, 75) << "1000x750";
    QTest::newRow("empty") << QSize(0, 0) << -30 << 0 << QSize(0, 0) << "0x0";
}

void TestEditorGeometry::outputSize()
{
    QFETCH(QSize, picture);
    QFETCH(int, zoomPosition);
    QFETCH(int, scalePosition);
    QFETCH(QSize, fitted);
    QFETCH(QString, text);
    const float zoom = ZoomFactorOf(zoomPosition);
    TImagePlacement p;
    p.bitmapWidth = picture.width();
    p.bitmapHeight = picture.height();
    p.controlWidth = 600;
    p.controlHeight = 450;
    p.scaleMode = smScale;
    p.scale = ViewScaleOf(scalePosition, zoom);
    QCOMPARE(FitSize(p), fitted);
    QCOMPARE(OutputSizeText(fitted, zoom), text);
}

void TestEditorGeometry::relaidScrollAxis_data()
{
    QTest::addColumn<int>("oldRange");
    QTest::addColumn<int>("oldWindow");
    QTest::addColumn<float>("oldPosition");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("window");
    QTest::addColumn<float>("position");
    QTest::newRow("doubled keeps centre") << 800 << 400 << 200.0f << 1600 << 400 << 600.0f;
    QTest::newRow("at the end") << 800 << 400 << 400.0f << 1000 << 400 << 550.0f;
    QTest::newRow("pulled back") << 800 << 400 << 400.0f << 500 << 400 << 100.0f;
    QTest::newRow("odd window") << 1000 << 587 << 100.0f << 1500 << 587 << 296.75f;
    QTest::newRow("from a fitting range, centred") << 300 << 400 << 0.0f << 1000 << 400 << 300.0f;
    QTest::newRow("from nothing, centred") << 0 << 400 << 0.0f << 1001 << 400 << 300.5f;
    QTest::newRow("now fits") << 800 << 400 << 200.0f << 300 << 400 << 0.0f;
    QTest::newRow("same range keeps") << 1000 << 400 << 250.5f << 1000 << 400 << 250.5f;
    QTest::newRow("wider window pulls back") << 1000 << 400 << 500.0f << 1000 << 600 << 400.0f;
}

void TestEditorGeometry::relaidScrollAxis()
{
    QFETCH(int, oldRange);
    QFETCH(int, oldWindow);
    QFETCH(float, oldPosition);
    QFETCH(int, range);
    QFETCH(int, window);
    QFETCH(float, position);
    const TScrollAxis axis = RelaidScrollAxis({oldRange, oldWindow, oldPosition}, range, window);
    QCOMPARE(axis.range, range);
    QCOMPARE(axis.window, window);
    compareExactly(axis.position, position);
}

void TestEditorGeometry::centredScrollPosition_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("window");
    QTest::addColumn<float>("position");
    QTest::newRow("1:1") << 1001 << 1.0f << 400 << 300.0f;
    QTest::newRow("middle pixel by div") << 1601 << 0.5f << 400 << 200.0f;
    QTest::newRow("odd window") << 1000 << 2.0f << 301 << 849.5f;
    QTest::newRow("50%") << 1600 << 0.50118721f << 386 << 207.949768f;
    QTest::newRow("fits") << 300 << 1.0f << 400 << 0.0f;
}

void TestEditorGeometry::centredScrollPosition()
{
    QFETCH(int, side);
    QFETCH(float, scale);
    QFETCH(int, window);
    QFETCH(float, position);
    const int range = RoundEven(double(side) * scale);
    compareExactly(CentredScrollPosition(side, scale, range, window), position);
}

void TestEditorGeometry::bitmapOffset_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("window");
    QTest::addColumn<float>("position");
    QTest::addColumn<float>("offset");
    QTest::addColumn<bool>("canScroll");
    QTest::newRow("narrower, centred by half pixels") << 300 << 401 << 0.0f << 50.5f << false;
    QTest::newRow("equal") << 400 << 400 << 0.0f << 0.0f << false;
    QTest::newRow("wider, scrolled") << 800 << 400 << 123.5f << -123.5f << true;
}

void TestEditorGeometry::bitmapOffset()
{
    QFETCH(int, range);
    QFETCH(int, window);
    QFETCH(float, position);
    QFETCH(float, offset);
    QFETCH(bool, canScroll);
    const TScrollAxis axis{range, window, position};
    compareExactly(BitmapOffset(axis), offset);
    QCOMPARE(axis.canScroll(), canScroll);
}

void TestEditorGeometry::bandHitTest_data()
{
    QTest::addColumn<TFloatRect>("band");
    QTest::addColumn<QPoint>("mouse");
    QTest::addColumn<TBandDrag>("drag");
    // (100, 50, 300, 200): last pixel (299, 199), middle pixel (199, 124).
    QTest::newRow("bottom-right") << kBand << QPoint(299, 199) << TBandDrag::BottomRight;
    QTest::newRow("bottom-right at tolerance")
        << kBand << QPoint(303, 203) << TBandDrag::BottomRight;
    QTest::newRow("beyond tolerance") << kBand << QPoint(304, 199) << TBandDrag::None;
    QTest::newRow("bottom-left") << kBand << QPoint(96, 199) << TBandDrag::BottomLeft;
    QTest::newRow("top-right") << kBand << QPoint(303, 46) << TBandDrag::TopRight;
    QTest::newRow("top-left") << kBand << QPoint(100, 50) << TBandDrag::TopLeft;
    QTest::newRow("right") << kBand << QPoint(299, 128) << TBandDrag::Right;
    QTest::newRow("bottom") << kBand << QPoint(195, 199) << TBandDrag::Bottom;
    QTest::newRow("left") << kBand << QPoint(100, 124) << TBandDrag::Left;
    QTest::newRow("top") << kBand << QPoint(199, 54) << TBandDrag::Top;
    QTest::newRow("edge away from handles moves") << kBand << QPoint(299, 100) << TBandDrag::Move;
    QTest::newRow("inside") << kBand << QPoint(200, 100) << TBandDrag::Move;
    QTest::newRow("outside the edge") << kBand << QPoint(99, 100) << TBandDrag::None;
    QTest::newRow("small frame: corner first")
        << TFloatRect{100, 100, 106, 106} << QPoint(103, 103) << TBandDrag::BottomRight;
    // 100.5 rounds to 100 and 299.5 to 300, as (100, 50, 300, 200).
    QTest::newRow("rounded to even")
        << TFloatRect{100.5f, 50.5f, 299.5f, 199.5f} << QPoint(96, 124) << TBandDrag::Left;
    QTest::newRow("rounded up") << TFloatRect{101.5f, 50, 300, 200} << QPoint(97, 124)
                                << TBandDrag::None;
}

void TestEditorGeometry::bandHitTest()
{
    QFETCH(TFloatRect, band);
    QFETCH(QPoint, mouse);
    QFETCH(TBandDrag, drag);
    QCOMPARE(BandHitTest(band, mouse), drag);
}

void TestEditorGeometry::draggedBand_data()
{
    QTest::addColumn<TBandDrag>("drag");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("mouse");
    QTest::addColumn<float>("minimum");
    QTest::addColumn<TFloatRect>("expected");
    QTest::newRow("move keeps size") << TBandDrag::Move << QPoint(150, 100) << QPoint(160, 90)
                                     << 1.0f << TFloatRect{110, 40, 310, 190};
    QTest::newRow("left") << TBandDrag::Left << QPoint(100, 124) << QPoint(250, 124) << 1.0f
                          << TFloatRect{250, 50, 300, 200};
    QTest::newRow("left past right stops at minimum")
        << TBandDrag::Left << QPoint(100, 124) << QPoint(400, 124) << 1.0f
        << TFloatRect{299, 50, 300, 200};
    QTest::newRow("right past left, class minimum")
        << TBandDrag::Right << QPoint(299, 124) << QPoint(50, 124) << 10.0f
        << TFloatRect{100, 50, 110, 200};
    QTest::newRow("top") << TBandDrag::Top << QPoint(199, 50) << QPoint(199, 190) << 1.0f
                         << TFloatRect{100, 190, 300, 200};
    QTest::newRow("bottom past top") << TBandDrag::Bottom << QPoint(199, 199) << QPoint(199, 10)
                                     << 1.0f << TFloatRect{100, 50, 300, 51};
    QTest::newRow("top-left") << TBandDrag::TopLeft << QPoint(100, 50) << QPoint(150, 60) << 1.0f
                              << TFloatRect{150, 60, 300, 200};
    QTest::newRow("bottom-right") << TBandDrag::BottomRight << QPoint(299, 199) << QPoint(400, 350)
                                  << 1.0f << TFloatRect{100, 50, 400, 350};
    QTest::newRow("top-right") << TBandDrag::TopRight << QPoint(299, 50) << QPoint(320, 30) << 1.0f
                               << TFloatRect{100, 30, 320, 200};
    QTest::newRow("bottom-left") << TBandDrag::BottomLeft << QPoint(100, 199) << QPoint(80, 210)
                                 << 1.0f << TFloatRect{80, 50, 300, 210};
}

void TestEditorGeometry::draggedBand()
{
    QFETCH(TBandDrag, drag);
    QFETCH(QPoint, press);
    QFETCH(QPoint, mouse);
    QFETCH(float, minimum);
    QFETCH(TFloatRect, expected);
    const QPointF grab = BandGrabOffset(drag, kBand, press);
    compareBands(DraggedBand(drag, kBand, QPointF(mouse) - grab, minimum, minimum), expected);
}

void TestEditorGeometry::placeBand_data()
{
    QTest::addColumn<QSize>("view");
    QTest::addColumn<QSize>("spins");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<TFloatRect>("centred");
    QTest::addColumn<QSize>("typed");
    QTest::addColumn<TFloatRect>("keptCorner");
    // 600 x 450 leaves a viewport of 586 x 436.
    QTest::newRow("400x300 at 100%, 500 typed into W")
        << QSize(600, 450) << QSize(400, 300) << 1.0f << TFloatRect{93, 68, 493, 368}
        << QSize(500, 300) << TFloatRect{93, 68, 593, 368};
    QTest::newRow("odd viewport") << QSize(601, 451) << QSize(400, 300) << 1.0f
                                  << TFloatRect{93.5f, 68.5f, 493.5f, 368.5f} << QSize(400, 0)
                                  << TFloatRect{93.5f, 68.5f, 493.5f, 68.5f};
    QTest::newRow("50%") << QSize(600, 450) << QSize(400, 300) << kZoom50
                         << TFloatRect{192.762558f, 142.821915f, 393.237427f, 293.178070f}
                         << QSize(300, 400)
                         << TFloatRect{192.762558f, 142.821915f, 343.118713f, 343.296783f};
}

void TestEditorGeometry::placeBand()
{
    QFETCH(QSize, view);
    QFETCH(QSize, spins);
    QFETCH(float, zoom);
    QFETCH(TFloatRect, centred);
    QFETCH(QSize, typed);
    QFETCH(TFloatRect, keptCorner);
    const TFloatRect band =
        CentredBand(ViewportRect(view.width(), view.height()), spins.width(), spins.height(), zoom);
    compareBands(band, centred);
    compareBands(CornerBand(band.left, band.top, typed.width(), typed.height(), zoom), keptCorner);
}

void TestEditorGeometry::bandOutputSize_data()
{
    QTest::addColumn<QRectF>("location");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<QSize>("spins");
    QTest::newRow("200 wide at 50%: 399.05")
        << QRectF(100, 50, 200, 100) << kZoom50 << QSize(399, 200);
    QTest::newRow("whole shown picture at 50%")
        << QRectF(-208, -158, 802, 601) << kZoom50 << QSize(1600, 1199);
    QTest::newRow("halves to even") << QRectF(0.25, 0, 2.5, 3.5) << 1.0f << QSize(2, 4);
}

void TestEditorGeometry::bandOutputSize()
{
    QFETCH(QRectF, location);
    QFETCH(float, zoom);
    QFETCH(QSize, spins);
    QCOMPARE(BandOutputSize(location, zoom), spins);
}

void TestEditorGeometry::planCut_data()
{
    QTest::addColumn<QSize>("fitted");
    QTest::addColumn<TRect>("bitmapRect");
    QTest::addColumn<TFloatRect>("band");
    QTest::addColumn<QSize>("spins");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<QSize>("whole");
    QTest::addColumn<TRect>("source");
    QTest::addColumn<QSize>("cut");
    QTest::newRow("100%, scrolled")
        << QSize(1000, 800) << TRect{-100, -50, 900, 750} << TFloatRect{93, 68, 493, 368}
        << QSize(400, 300) << 1.0f << QSize(1000, 800) << TRect{193, 118, 593, 418}
        << QSize(400, 300);
    // 1600 x 1200 centred in a 600 x 450 view, the frame centred too.
    QTest::newRow("50%") << QSize(802, 601) << TRect{-108, -83, 694, 518}
                         << TFloatRect{192.762558f, 142.821915f, 393.237427f, 293.178070f}
                         << QSize(400, 300) << kZoom50 << QSize(1600, 1199)
                         << TRect{600, 451, 1000, 751} << QSize(400, 300);
    // A spin edit at its limit stands for the frame's own size: cut 1:1.
    QTest::newRow("frame wider than the spin's limit")
        << QSize(1500, 800) << TRect{0, 0, 1500, 800} << TFloatRect{10, 10, 1210, 110}
        << QSize(1000, 100) << 1.0f << QSize(1500, 800) << TRect{10, 10, 1210, 110}
        << QSize(1200, 100);
    QTest::newRow("frame beyond both limits at 50%")
        << QSize(1504, 1002) << TRect{-300, -200, 1204, 802}
        << TFloatRect{-250.0f, -150.0f, 1003.0f, 702.0f} << QSize(1000, 1000) << kZoom50
        << QSize(3001, 1999) << TRect{100, 100, 2600, 1800} << QSize(2500, 1700);
}

void TestEditorGeometry::planCut()
{
    QFETCH(QSize, fitted);
    QFETCH(TRect, bitmapRect);
    QFETCH(TFloatRect, band);
    QFETCH(QSize, spins);
    QFETCH(float, zoom);
    QFETCH(QSize, whole);
    QFETCH(TRect, source);
    QFETCH(QSize, cut);
    const TCutPlan plan =
        PlanCut(fitted, bitmapRect, band, spins.width(), spins.height(), 1000, zoom);
    QCOMPARE(plan.wholeSize, whole);
    QCOMPARE(plan.source, source);
    QCOMPARE(plan.cutSize, cut);
}

void TestEditorGeometry::cutPicture_data()
{
    QTest::addColumn<QSize>("whole");
    QTest::addColumn<TRect>("source");
    QTest::addColumn<QSize>("cut");
    QTest::addColumn<bool>("cutDone");
    QTest::addColumn<QSize>("result");
    // Where the result's pixels (0, 0) and (1, 1) come from in the 8 x 6
    // original.
    QTest::addColumn<QPoint>("from00");
    QTest::addColumn<QPoint>("from11");
    QTest::newRow("1:1") << QSize(8, 6) << TRect{2, 1, 5, 4} << QSize(3, 3) << true << QSize(3, 3)
                         << QPoint(2, 1) << QPoint(3, 2);
    QTest::newRow("halved, then enlarged") << QSize(4, 3) << TRect{1, 1, 3, 2} << QSize(2, 2)
                                           << true << QSize(2, 2) << QPoint(2, 2) << QPoint(4, 2);
    QTest::newRow("source leaves the picture: resized only")
        << QSize(4, 3) << TRect{2, 1, 5, 3} << QSize(3, 2) << false << QSize(4, 3) << QPoint(0, 0)
        << QPoint(2, 2);
    QTest::newRow("empty frame: empty picture") << QSize(8, 6) << TRect{2, 1, 2, 4} << QSize(0, 3)
                                                << true << QSize(0, 3) << QPoint() << QPoint();
}

void TestEditorGeometry::cutPicture()
{
    QFETCH(QSize, whole);
    QFETCH(TRect, source);
    QFETCH(QSize, cut);
    QFETCH(bool, cutDone);
    QFETCH(QSize, result);
    QFETCH(QPoint, from00);
    QFETCH(QPoint, from11);
    TBitmap32 picture;
    fillCoordinates(picture, 8, 6);
    QCOMPARE(CutPicture(picture, {whole, source, cut}), cutDone);
    QCOMPARE(QSize(picture.width(), picture.height()), result);
    QCOMPARE(picture.stretchFilter(), sfNearest);
    if (picture.empty())
        return;
    QCOMPARE(coordinatesOf(picture.pixel(0, 0)), from00);
    QCOMPARE(coordinatesOf(picture.pixel(1, 1)), from11);
}

void TestEditorGeometry::edgeFrame_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<TRect>("outer");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<uint>("colour");
    // Over grey 0xFF808080: white at alpha 179 gives 0xCAD9D9D9, black at 89
    // gives 0xC5545454 (alpha is blended like the colours).
    const TRect all{0, 0, 12, 12};
    QTest::newRow("top row, 179") << QSize(12, 12) << all << QPoint(5, 0) << 0xCAD9D9D9u;
    QTest::newRow("top-right corner is light")
        << QSize(12, 12) << all << QPoint(11, 0) << 0xCAD9D9D9u;
    QTest::newRow("left column") << QSize(12, 12) << all << QPoint(0, 5) << 0xCAD9D9D9u;
    QTest::newRow("bottom row, 89") << QSize(12, 12) << all << QPoint(5, 11) << 0xC5545454u;
    QTest::newRow("bottom-left corner is dark")
        << QSize(12, 12) << all << QPoint(0, 11) << 0xC5545454u;
    QTest::newRow("right column") << QSize(12, 12) << all << QPoint(11, 5) << 0xC5545454u;
    QTest::newRow("ring 1 light, 138") << QSize(12, 12) << all << QPoint(5, 1) << 0xC0C4C4C4u;
    QTest::newRow("ring 3 dark, 28") << QSize(12, 12) << all << QPoint(5, 8) << 0xE6727272u;
    QTest::newRow("ring 4 light, 15") << QSize(12, 12) << all << QPoint(5, 4) << 0xF1878787u;
    QTest::newRow("inside untouched") << QSize(12, 12) << all << QPoint(5, 5) << 0xFF808080u;
    QTest::newRow("outer ring outside the bitmap")
        << QSize(12, 12) << TRect{-1, -1, 13, 13} << QPoint(5, 0) << 0xC0C4C4C4u;
    QTest::newRow("one-row ring: dark over light")
        << QSize(12, 3) << TRect{0, 0, 12, 3} << QPoint(5, 1) << 0x9F909090u;
}

void TestEditorGeometry::edgeFrame()
{
    QFETCH(QSize, size);
    QFETCH(TRect, outer);
    QFETCH(QPoint, at);
    QFETCH(uint, colour);
    TBitmap32 b;
    b.setSize(size.width(), size.height());
    std::fill(b.bits(), b.bits() + size.width() * size.height(), 0xFF808080u);
    int notified = 0;
    b.addChangeHandler([&] { ++notified; });
    DrawEdgeFrame(b, outer);
    QCOMPARE(b.pixel(at.x(), at.y()), TColor32(colour));
    QVERIFY(notified > 0);
}

QTEST_GUILESS_MAIN(TestEditorGeometry)
#include "tst_editor_geometry.moc"
