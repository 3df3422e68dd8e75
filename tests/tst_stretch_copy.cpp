#include "base/pictavel_error.h"
#include "imaging/bitmap32.h"
#include "imaging/bitmap_turns.h"
#include "imaging/box_resample.h"
#include "imaging/colour_blend.h"
#include "imaging/fit_geometry.h"
#include "imaging/stretch_copy.h"
#include "imaging/thumbnail.h"

#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

// A 1-row bitmap whose pixel i is opaque with blue = i, so a copy shows which
// source column each destination pixel took.
void fillIndexRow(TBitmap32 &b, int width)
{
    b.setSize(width, 1);
    for (int x = 0; x < width; ++x)
        b.setPixel(x, 0, 0xFF000000u | TColor32(x));
}

QList<int> columnsOf(const TBitmap32 &b)
{
    QList<int> out;
    for (int x = 0; x < b.width(); ++x)
        out << int(b.pixel(x, 0) & 0xFF);
    return out;
}

} // namespace

class TestStretchCopy : public QObject
{
    Q_OBJECT

private slots:
    void boxResampleAveragesWhatEachPixelCovers_data();
    void boxResampleAveragesWhatEachPixelCovers();
    void setSizeKeepsPixelsWhenUnchanged();
    void setSizeGivesZeroPixelsAndNotifies();
    void setSizeRefusesAbsurdSizes();
    void assignTakesPropertiesOrEmpties();
    void mulDivRound_data();
    void mulDivRound();
    void nearestColumns_data();
    void nearestColumns();
    void nearestClippedStartsFromMappedEdge();
    void linearGreyLevels();
    void linearFirstPixelAndEdges();
    void equalSizeIsExact_data();
    void equalSizeIsExact();
    void sourceRectangleChecks();
    void emptyCopiesDoNothing();
    void combineAndBlend();
    void fitSize_data();
    void fitSize();
    void bitmapRect();
    void scaleFloor();
    void thumbnail_data();
    void thumbnail();
    void orientRows_data();
    void orientRows();
};

void TestStretchCopy::setSizeKeepsPixelsWhenUnchanged()
{
    TBitmap32 b;
    b.setSize(3, 2);
    b.setPixel(2, 1, 0x12345678);
    int notified = 0;
    b.addChangeHandler([&] { ++notified; });
    b.setSize(3, 2);
    QCOMPARE(notified, 0);
    QCOMPARE(b.pixel(2, 1), TColor32(0x12345678));
}

void TestStretchCopy::setSizeGivesZeroPixelsAndNotifies()
{
    TBitmap32 b;
    QVERIFY(b.empty());
    QCOMPARE(b.stretchFilter(), sfNearest);
    QCOMPARE(b.masterAlpha(), 255);
    int notified = 0;
    const int id = b.addChangeHandler([&] { ++notified; });
    b.setSize(4, 3);
    for (int i = 0; i < 12; ++i)
        b.bits()[i] = 0xDEADBEEF;
    b.setSize(3, 4);
    QCOMPARE(notified, 2);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(b.bits()[i], TColor32(0));
    // Large areas come from the pool: reused memory must read as zero too.
    b.setSize(1000, 1000);
    std::fill(b.bits(), b.bits() + 1000000, 0xFFFFFFFFu);
    b.setSize(1000, 999);
    b.setSize(1000, 1000);
    QCOMPARE(std::count(b.bits(), b.bits() + 1000000, 0u), 1000000);
    b.setSize(-5, 2);
    QCOMPARE(b.width(), 0);
    QVERIFY(b.empty());
    QCOMPARE(notified, 6);
    b.removeChangeHandler(id);
    b.setSize(1, 1);
    QCOMPARE(notified, 6);

    // A kept area serves any smaller picture rather than a fresh one being
    // faulted in, down to the size the heap serves.
    PixelPool::trim();
    TBitmap32 large, smaller;
    large.setSize(3000, 2000);
    const TColor32 *area = large.bits();
    large.setSize(0, 0);
    smaller.setSize(800, 600);
    QCOMPARE(smaller.bits(), area);
    // A larger picture grows the kept area in place, and all of it can be
    // written.
    smaller.setSize(0, 0);
    large.setSize(4000, 3000);
    QCOMPARE(large.bits(), area);
    std::fill(large.bits(), large.bits() + 12000000, 0xFF00FF00u);
    QCOMPARE(large.bits()[11999999], TColor32(0xFF00FF00u));

    // Of two kept areas, a small picture takes the one that has served less,
    // so that a large picture after it finds the other's pages in place.
    large.setSize(0, 0);
    PixelPool::trim();
    large.setSize(2000, 1500);
    smaller.setSize(1500, 1000);
    const TColor32 *largeArea = large.bits(), *smallerArea = smaller.bits();
    large.setSize(0, 0);
    smaller.setSize(0, 0);
    TBitmap32 small;
    small.setSize(800, 600);
    QCOMPARE(small.bits(), smallerArea);
    large.setSize(2000, 1500);
    QCOMPARE(large.bits(), largeArea);
}

void TestStretchCopy::setSizeRefusesAbsurdSizes()
{
    TBitmap32 b;
    b.setSize(2, 2);
    try {
        b.setSize(40000, 1);
        QFAIL("no error");
    } catch (const PictavelError &e) {
        QCOMPARE(e.message(), QStringLiteral("picture too large: 40000 x 1"));
    }
    QVERIFY(b.empty());
    QVERIFY_THROWS_EXCEPTION(PictavelError, b.setSize(20000, 20000));
    QVERIFY(bitmapSizeAllowed(32767, 8192));
    QVERIFY(!bitmapSizeAllowed(32767, 8193));
}

void TestStretchCopy::assignTakesPropertiesOrEmpties()
{
    TBitmap32 a;
    a.setSize(2, 1);
    a.setPixel(0, 0, 0x11223344);
    a.setPixel(1, 0, 0x55667788);
    a.setStretchFilter(sfLinear);
    a.setMasterAlpha(100);
    a.setOuterColor(0xFF00FF00);
    a.setDrawMode(dmBlend);
    TBitmap32 b;
    int notified = 0;
    b.addChangeHandler([&] { ++notified; });
    b.assign(&a);
    QCOMPARE(b.width(), 2);
    QCOMPARE(b.pixel(1, 0), TColor32(0x55667788));
    QCOMPARE(b.stretchFilter(), sfLinear);
    QCOMPARE(b.masterAlpha(), 100);
    QCOMPARE(b.outerColor(), TColor32(0xFF00FF00));
    QCOMPARE(b.drawMode(), dmBlend);
    b.assign(nullptr);
    QVERIFY(b.empty());
    QCOMPARE(notified, 2);
}

void TestStretchCopy::mulDivRound_data()
{
    QTest::addColumn<qint64>("a");
    QTest::addColumn<qint64>("b");
    QTest::addColumn<qint64>("c");
    QTest::addColumn<int>("expected");
    QTest::newRow("exact") << qint64(6) << qint64(4) << qint64(3) << 8;
    QTest::newRow("half up") << qint64(1) << qint64(5) << qint64(2) << 3;
    QTest::newRow("half away from zero") << qint64(-1) << qint64(5) << qint64(2) << -3;
    QTest::newRow("negative divisor") << qint64(7) << qint64(1) << qint64(-2) << -4;
    QTest::newRow("below half") << qint64(1) << qint64(65535) << qint64(7) << 9362;
    QTest::newRow("zero divisor") << qint64(5) << qint64(5) << qint64(0) << -1;
    QTest::newRow("quotient past 32 bits") << qint64(65536) << qint64(65536) << qint64(1) << -1;
    QTest::newRow("big product") << (qint64(1) << 31) << qint64(65535) << qint64(1) << -1;
    QTest::newRow("big product, big divisor")
        << (qint64(1) << 31) << qint64(65535) << (qint64(1) << 20) << 134215680;
    QTest::newRow("smallest 32-bit quotient")
        << -(qint64(1) << 31) << qint64(1) << qint64(1) << int(-2147483647 - 1);
    QTest::newRow("extreme product")
        << std::numeric_limits<qint64>::min() << qint64(1) << qint64(1) << -1;
    QTest::newRow("product past 64 bits")
        << (qint64(1) << 40) << (qint64(1) << 30) << qint64(3) << -1;
}

void TestStretchCopy::mulDivRound()
{
    QFETCH(qint64, a);
    QFETCH(qint64, b);
    QFETCH(qint64, c);
    QFETCH(int, expected);
    QCOMPARE(MulDivRound(a, b, c), expected);
}

void TestStretchCopy::nearestColumns_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QList<int>>("columns");
    QTest::newRow("4 to 3") << 4 << 3 << QList<int>{0, 1, 2};
    QTest::newRow("4 to 8") << 4 << 8 << QList<int>{0, 0, 1, 1, 2, 2, 3, 3};
    QTest::newRow("2 to 5") << 2 << 5 << QList<int>{0, 0, 0, 1, 1};
    QTest::newRow("10 to 1") << 10 << 1 << QList<int>{0};
    QTest::newRow("10 to 3") << 10 << 3 << QList<int>{0, 3, 6};
}

void TestStretchCopy::nearestColumns()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QList<int>, columns);
    TBitmap32 src, dst;
    fillIndexRow(src, from);
    dst.setSize(to, 1);
    int notified = 0;
    dst.addChangeHandler([&] { ++notified; });
    StretchCopy(src, dst, TRect{0, 0, to, 1});
    QCOMPARE(columnsOf(dst), columns);
    QCOMPARE(notified, 1);
}

void TestStretchCopy::nearestClippedStartsFromMappedEdge()
{
    // 7 -> 20 columns with the first 5 clipped away: the first written pixel
    // starts at MulDivRound(5 * 6, 65535, 19) = 103476 and steps by
    // 7 * 65536 / 20 = 22937, so the columns run 1 .. 6 within the source.
    TBitmap32 src, part;
    fillIndexRow(src, 7);
    part.setSize(15, 1);
    StretchCopy(src, part, TRect{-5, 0, 15, 1});
    const QList<int> cols = columnsOf(part);
    QCOMPARE(cols.first(), 1);
    QCOMPARE(cols.last(), 6);
    QVERIFY(std::is_sorted(cols.begin(), cols.end()));
}

void TestStretchCopy::linearGreyLevels()
{
    TBitmap32 src, dst;
    src.setSize(2, 1);
    src.setPixel(0, 0, clBlack32);
    src.setPixel(1, 0, clWhite32);
    src.setStretchFilter(sfLinear);
    dst.setSize(4, 1);
    StretchCopy(src, dst, TRect{0, 0, 4, 1});
    const TColor32 expected[] = {0xFF010101, 0xFF414141, 0xFF808080, 0xFFC0C0C0};
    for (int x = 0; x < 4; ++x)
        QCOMPARE(dst.pixel(x, 0), expected[x]);
}

void TestStretchCopy::linearFirstPixelAndEdges()
{
    // Enlarging 2x2 to 3x3: the last row and column are reached only as the
    // second taps, and a one-pixel source never reads past itself.
    TBitmap32 src, dst;
    src.setSize(2, 2);
    src.setPixel(0, 0, 0xFF000000);
    src.setPixel(1, 0, 0xFF0000FF);
    src.setPixel(0, 1, 0xFF00FF00);
    src.setPixel(1, 1, 0xFFFF0000);
    src.setStretchFilter(sfLinear);
    dst.setSize(3, 3);
    StretchCopy(src, dst, TRect{0, 0, 3, 3});
    // A weight of 255 lets 1/256 of the neighbours through.
    QCOMPARE(dst.pixel(0, 0), TColor32(0xFF000101));
    // xstep = 65536 / 3 = 21845: column 1 weighs column 0 with 170.
    QCOMPARE(dst.pixel(1, 0), TColor32(0xFF000155));

    TBitmap32 one, wide;
    one.setSize(1, 1);
    one.setPixel(0, 0, 0x80402010);
    one.setStretchFilter(sfLinear);
    wide.setSize(5, 4);
    StretchCopy(one, wide, TRect{0, 0, 5, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            QCOMPARE(wide.pixel(x, y), TColor32(0x80402010));

    // Strong reduction skips source pixels instead of averaging them.
    TBitmap32 stripes, small;
    stripes.setSize(9, 1);
    for (int x = 0; x < 9; ++x)
        stripes.setPixel(x, 0, x % 3 == 0 ? clWhite32 : clBlack32);
    stripes.setStretchFilter(sfLinear);
    small.setSize(2, 1);
    StretchCopy(stripes, small, TRect{0, 0, 2, 1});
    // fx = 0 and 4 * 65536: the white pixels 0 and... the black pixel 4.
    QCOMPARE(small.pixel(0, 0), CombineWeighted(clWhite32, clBlack32, 255));
    QCOMPARE(small.pixel(1, 0), CombineWeighted(clBlack32, clBlack32, 255));
}

void TestStretchCopy::equalSizeIsExact_data()
{
    QTest::addColumn<int>("filter");
    QTest::newRow("nearest") << int(sfNearest);
    QTest::newRow("linear") << int(sfLinear);
}

void TestStretchCopy::equalSizeIsExact()
{
    QFETCH(int, filter);
    TBitmap32 src, dst;
    src.setSize(5, 4);
    for (int i = 0; i < 20; ++i)
        src.bits()[i] = TColor32(i) * 0x0B0D0F11u;
    src.setStretchFilter(TStretchFilter(filter));
    dst.setSize(6, 6);
    StretchCopy(src, dst, TRect{1, 2, 6, 6});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            QCOMPARE(dst.pixel(x + 1, y + 2), src.pixel(x, y));
    QCOMPARE(dst.pixel(0, 0), TColor32(0));
    // Partly outside the destination and from a source rectangle.
    TBitmap32 d2;
    d2.setSize(3, 3);
    StretchCopy(src, d2, TRect{-1, -1, 2, 2}, TRect{2, 1, 5, 4});
    QCOMPARE(d2.pixel(0, 0), src.pixel(3, 2));
    QCOMPARE(d2.pixel(1, 1), src.pixel(4, 3));
    QCOMPARE(d2.pixel(2, 2), TColor32(0));
}

void TestStretchCopy::sourceRectangleChecks()
{
    TBitmap32 src, dst;
    src.setSize(4, 4);
    dst.setSize(4, 4);
    dst.setPixel(0, 0, 7);
    try {
        StretchCopy(src, dst, TRect{0, 0, 2, 2}, TRect{0, 0, 5, 4});
        QFAIL("no error");
    } catch (const PictavelError &e) {
        QCOMPARE(e.message(), QStringLiteral("Source rectangle is invalid"));
    }
    QVERIFY_THROWS_EXCEPTION(PictavelError,
                             StretchCopy(src, dst, TRect{0, 0, 2, 2}, TRect{-1, 0, 2, 2}));
    QCOMPARE(dst.pixel(0, 0), TColor32(7));
    // A source rectangle without area does nothing, even outside the source.
    StretchCopy(src, dst, TRect{0, 0, 2, 2}, TRect{10, 10, 10, 12});
    QCOMPARE(dst.pixel(0, 0), TColor32(7));
}

void TestStretchCopy::emptyCopiesDoNothing()
{
    TBitmap32 src, dst;
    dst.setSize(2, 2);
    int notified = 0;
    dst.addChangeHandler([&] { ++notified; });
    StretchCopy(src, dst, TRect{0, 0, 2, 2});
    src.setSize(2, 2);
    StretchCopy(src, dst, TRect{5, 5, 9, 9});
    StretchCopy(src, dst, TRect{1, 1, 1, 3});
    QCOMPARE(notified, 0);
}

void TestStretchCopy::combineAndBlend()
{
    QCOMPARE(CombineWeighted(0x00000000, 0xFFFFFFFF, 255), TColor32(0x01010101));
    QCOMPARE(CombineWeighted(0xFF102030, 0xFF102030, 255), TColor32(0xFF102030));
    QCOMPARE(CombineWeighted(0xFFFFFFFF, 0x00000000, 0), TColor32(0x00000000));
    // The edge frame's outer ring: white at alpha 179 and black at alpha 89.
    QCOMPARE(BlendOver(0xB3FFFFFF, clBlack32), TColor32(0xCAB2B2B2));
    QCOMPARE(BlendOver(0x59000000, clWhite32), TColor32(0xC5A6A6A6));
    QCOMPARE(BlendOver(0x00FFFFFF, 0x12345678), TColor32(0x12345678));
    QCOMPARE(BlendOver(0xFFABCDEF, 0x12345678), TColor32(0xFFABCDEF));
}

void TestStretchCopy::fitSize_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("bitmap");
    QTest::addColumn<QSize>("control");
    QTest::addColumn<float>("scale");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("resize reduce")
        << int(smResize) << QSize(1600, 1200) << QSize(120, 100) << 1.0f << QSize(120, 90);
    QTest::newRow("resize enlarge")
        << int(smResize) << QSize(50, 40) << QSize(120, 100) << 1.0f << QSize(120, 96);
    QTest::newRow("resize wide box")
        << int(smResize) << QSize(100, 100) << QSize(120, 100) << 1.0f << QSize(100, 100);
    QTest::newRow("resize tall box")
        << int(smResize) << QSize(100, 100) << QSize(100, 120) << 1.0f << QSize(100, 100);
    QTest::newRow("resize half to even")
        << int(smResize) << QSize(5, 2) << QSize(10, 1) << 1.0f << QSize(2, 1);
    QTest::newRow("normal") << int(smNormal) << QSize(30, 20) << QSize(10, 10) << 1.0f
                            << QSize(30, 20);
    QTest::newRow("stretch") << int(smStretch) << QSize(30, 20) << QSize(11, 13) << 1.0f
                             << QSize(11, 13);
    QTest::newRow("scale halves") << int(smScale) << QSize(5, 7) << QSize(1, 1) << 0.5f
                                  << QSize(2, 4);
    QTest::newRow("empty bitmap") << int(smNormal) << QSize(0, 20) << QSize(10, 10) << 1.0f
                                  << QSize(0, 0);
    QTest::newRow("empty control")
        << int(smResize) << QSize(10, 20) << QSize(0, 10) << 1.0f << QSize(0, 0);
}

void TestStretchCopy::fitSize()
{
    QFETCH(int, mode);
    QFETCH(QSize, bitmap);
    QFETCH(QSize, control);
    QFETCH(float, scale);
    QFETCH(QSize, expected);
    TImagePlacement p;
    p.bitmapWidth = bitmap.width();
    p.bitmapHeight = bitmap.height();
    p.controlWidth = control.width();
    p.controlHeight = control.height();
    p.scaleMode = TScaleMode(mode);
    p.scale = scale;
    QCOMPARE(FitSize(p), expected);
}

void TestStretchCopy::bitmapRect()
{
    TImagePlacement p;
    p.bitmapWidth = 1600;
    p.bitmapHeight = 1200;
    p.controlWidth = 120;
    p.controlHeight = 100;
    p.scaleMode = smResize;
    p.alignment = baCenter;
    QCOMPARE(BitmapRect(p), (TRect{0, 5, 120, 95}));
    p.alignment = baTopLeft;
    QCOMPARE(BitmapRect(p), (TRect{0, 0, 120, 90}));
    p.alignment = baCustom;
    p.offsetHorz = 2.5f;
    p.offsetVert = -3.5f;
    QCOMPARE(BitmapRect(p), (TRect{2, -4, 122, 86}));
    // A bitmap larger than the control: a negative half rounds toward zero.
    p.scaleMode = smNormal;
    p.alignment = baCenter;
    p.bitmapWidth = 125;
    p.bitmapHeight = 103;
    QCOMPARE(BitmapRect(p), (TRect{-2, -1, 123, 102}));
    p.bitmapWidth = 0;
    QCOMPARE(BitmapRect(p), TRect{});
}

void TestStretchCopy::scaleFloor()
{
    QCOMPARE(NormalizedScale(0.0f), 0.001f);
    QCOMPARE(NormalizedScale(-3.0f), 0.001f);
    QCOMPARE(NormalizedScale(0.0005f), 0.001f);
    QCOMPARE(NormalizedScale(2.5f), 2.5f);
}

void TestStretchCopy::thumbnail_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("landscape") << QSize(400, 300) << int(sfNearest) << QSize(110, 83);
    QTest::newRow("landscape, half to even") << QSize(640, 480) << int(sfLinear) << QSize(110, 82);
    QTest::newRow("portrait") << QSize(300, 400) << int(sfNearest) << QSize(83, 110);
    QTest::newRow("enlarged") << QSize(50, 40) << int(sfLinear) << QSize(110, 88);
    QTest::newRow("empty picture") << QSize(0, 0) << int(sfLinear) << QSize(0, 0);
}

void TestStretchCopy::thumbnail()
{
    QFETCH(QSize, picture);
    QFETCH(int, filter);
    QFETCH(QSize, expected);
    // Left half red, right half blue: the thumb shows both halves in place.
    TBitmap32 p;
    p.setSize(picture.width(), picture.height());
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            p.setPixel(x, y, x < p.width() / 2 ? 0xFFFF0000u : 0xFF0000FFu);
    p.setStretchFilter(TStretchFilter(filter));
    TBitmap32 thumb;
    thumb.setSize(5, 5);
    MakeThumbnail(p, 110, 110, thumb);
    QCOMPARE(QSize(thumb.width(), thumb.height()), expected);
    QCOMPARE(int(thumb.stretchFilter()), filter);
    if (thumb.empty())
        return;
    const int bottom = thumb.height() - 1;
    QCOMPARE(thumb.pixel(0, 0), TColor32(0xFFFF0000));
    QCOMPARE(thumb.pixel(thumb.width() / 4, bottom), TColor32(0xFFFF0000));
    QCOMPARE(thumb.pixel(thumb.width() * 3 / 4, bottom), TColor32(0xFF0000FF));
    QCOMPARE(thumb.pixel(thumb.width() - 1, 0), TColor32(0xFF0000FF));
}

void TestStretchCopy::orientRows_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("inverse");
    QTest::addColumn<QList<TColor32>>("shown");
    // The stored picture is 3 x 2:  0 1 2
    //                               3 4 5
    QTest::newRow("1 upright") << 1 << 1 << QList<TColor32>{0, 1, 2, 3, 4, 5};
    QTest::newRow("2 mirrored") << 2 << 2 << QList<TColor32>{2, 1, 0, 5, 4, 3};
    QTest::newRow("3 half round") << 3 << 3 << QList<TColor32>{5, 4, 3, 2, 1, 0};
    QTest::newRow("4 upside down") << 4 << 4 << QList<TColor32>{3, 4, 5, 0, 1, 2};
    QTest::newRow("5 main diagonal") << 5 << 5 << QList<TColor32>{0, 3, 1, 4, 2, 5};
    QTest::newRow("6 clockwise") << 6 << 8 << QList<TColor32>{3, 0, 4, 1, 5, 2};
    QTest::newRow("7 other diagonal") << 7 << 7 << QList<TColor32>{5, 2, 4, 1, 3, 0};
    QTest::newRow("8 anticlockwise") << 8 << 6 << QList<TColor32>{2, 5, 1, 4, 0, 3};
    QTest::newRow("9 taken as upright") << 9 << 9 << QList<TColor32>{0, 1, 2, 3, 4, 5};
}

void TestStretchCopy::orientRows()
{
    QFETCH(int, orientation);
    QFETCH(int, inverse);
    QFETCH(QList<TColor32>, shown);
    const TColor32 small[6] = {0, 1, 2, 3, 4, 5};
    const QSize size = OrientedSize(3, 2, orientation);
    QCOMPARE(size, orientation >= 5 && orientation <= 8 ? QSize(2, 3) : QSize(3, 2));
    QList<TColor32> out(6, 99);
    OrientRows(small, 3, 2, 0, 2, orientation, out.data());
    QCOMPARE(out, shown);

    // Larger than the bands the turns walk in, and given in batches of 5
    // rows as a decoder hands them over: turning back restores every pixel.
    constexpr int w = 70, h = 37;
    QList<TColor32> picture(w * h), turned(w * h), back(w * h);
    for (int i = 0; i < w * h; ++i)
        picture[i] = TColor32(i);
    for (int first = 0; first < h; first += 5)
        OrientRows(picture.constData() + first * w, w, h, first, std::min(5, h - first),
                   orientation, turned.data());
    const QSize t = OrientedSize(w, h, orientation);
    OrientRows(turned.constData(), t.width(), t.height(), 0, t.height(), inverse, back.data());
    QCOMPARE(back, picture);
}

namespace {

// The exact area average of one channel over the box a result pixel covers,
// integrated in floating point: what the filter must give, rounded.
int areaAverage(const TBitmap32 &src, int width, int height, int x, int y, int shift)
{
    const double x0 = double(x) * src.width() / width, x1 = double(x + 1) * src.width() / width;
    const double y0 = double(y) * src.height() / height, y1 = double(y + 1) * src.height() / height;
    double sum = 0;
    for (int sy = 0; sy < src.height(); ++sy)
        for (int sx = 0; sx < src.width(); ++sx) {
            const double w = std::max(0.0, std::min(x1, sx + 1.0) - std::max(x0, double(sx)));
            const double h = std::max(0.0, std::min(y1, sy + 1.0) - std::max(y0, double(sy)));
            sum += w * h * ((src.pixel(sx, sy) >> shift) & 0xFF);
        }
    return int(std::floor(sum / ((x1 - x0) * (y1 - y0)) + 0.5));
}

} // namespace

void TestStretchCopy::boxResampleAveragesWhatEachPixelCovers_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QSize>("from");
    QTest::addColumn<QSize>("to");
    QTest::newRow("checkerboard by 2") << "checker" << QSize(12, 8) << QSize(6, 4);
    QTest::newRow("checkerboard by 3") << "checker" << QSize(12, 9) << QSize(4, 3);
    QTest::newRow("checkerboard by 2.5") << "checker" << QSize(10, 10) << QSize(4, 4);
    QTest::newRow("white dot into 3 x 3") << "dot" << QSize(9, 9) << QSize(3, 3);
    QTest::newRow("white dot across four") << "dot" << QSize(9, 9) << QSize(2, 2);
    QTest::newRow("smaller than its box") << "ramp" << QSize(3, 2) << QSize(7, 5);
    QTest::newRow("photo-like, uneven") << "ramp" << QSize(41, 29) << QSize(11, 8);
}

void TestStretchCopy::boxResampleAveragesWhatEachPixelCovers()
{
    QFETCH(QString, pattern);
    QFETCH(QSize, from);
    QFETCH(QSize, to);
    TBitmap32 src;
    src.setSize(from.width(), from.height());
    for (int y = 0; y < from.height(); ++y)
        for (int x = 0; x < from.width(); ++x) {
            const bool white = pattern == u"checker"
                                   ? (x + y) % 2 == 0
                                   : x == from.width() / 2 && y == from.height() / 2;
            src.setPixel(x, y,
                         pattern == u"ramp" ? TColor32(0xFF000000u | (x * 37 % 256) << 16 |
                                                       (y * 53 % 256) << 8 | ((x * y * 11) % 256))
                         : white            ? 0xFFFFFFFFu
                                            : 0xFF000000u);
        }
    TBitmap32 dst;
    BoxResample(src, dst, to.width(), to.height());
    QCOMPARE(QSize(dst.width(), dst.height()), to);
    for (int y = 0; y < to.height(); ++y)
        for (int x = 0; x < to.width(); ++x)
            for (int shift : {0, 8, 16, 24})
                QCOMPARE(int((dst.pixel(x, y) >> shift) & 0xFF),
                         areaAverage(src, to.width(), to.height(), x, y, shift));
    if (pattern == u"dot" && to == QSize(3, 3))
        QCOMPARE(dst.pixel(1, 1), 0xFF1C1C1Cu); // 255 / 9, rounded
}

QTEST_GUILESS_MAIN(TestStretchCopy)
#include "tst_stretch_copy.moc"
