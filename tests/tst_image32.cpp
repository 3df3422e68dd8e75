#include "ui/image32.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {

class MarkLayer : public TImageLayer
{
public:
    void paint(QPainter &painter, const TImage32 &) override
    {
        painter.fillRect(0, 0, 1, 1, Qt::magenta);
    }
};

// 2 x 1: opaque black, opaque white, with half alpha on white to show that
// alpha does not reach the screen.
void fillTwoPixels(TBitmap32 &b)
{
    b.setSize(2, 1);
    b.setPixel(0, 0, 0xFF000000);
    b.setPixel(1, 0, 0x80FFFFFF);
}

} // namespace

class TestImage32 : public QObject
{
    Q_OBJECT

private slots:
    void placesBitmapByModeAndAlignment();
    void paintsBackgroundAroundBitmap();
    void filterOfBitmapDecidesResampling();
    void repaintsOnBitmapChange();
    void scaleSetting();
    void layersDrawOverBitmap();
};

void TestImage32::placesBitmapByModeAndAlignment()
{
    TImage32 image;
    image.resize(120, 100);
    image.bitmap().setSize(1600, 1200);
    image.setScaleMode(smResize);
    image.setBitmapAlign(baCenter);
    QCOMPARE(image.FitSize(), QSize(120, 90));
    QCOMPARE(image.BitmapRect(), (TRect{0, 5, 120, 95}));
    image.setBitmapAlign(baCustom);
    image.setOffsetHorz(3.0f);
    image.setOffsetVert(-2.0f);
    QCOMPARE(image.BitmapRect(), (TRect{3, -2, 123, 88}));
    image.setScaleMode(smScale);
    image.setScale(0.01f);
    QCOMPARE(image.FitSize(), QSize(16, 12));
}

void TestImage32::paintsBackgroundAroundBitmap()
{
    TImage32 image;
    image.resize(10, 6);
    image.setColor(QColor(0, 0, 255));
    image.setScaleMode(smNormal);
    image.setBitmapAlign(baCenter);
    fillTwoPixels(image.bitmap());
    const QImage shot = image.renderToImage();
    // The bitmap sits at (4, 2); everything else is the control's colour.
    QCOMPARE(shot.pixel(4, 2), qRgb(0, 0, 0));
    QCOMPARE(shot.pixel(5, 2), qRgb(255, 255, 255));
    QCOMPARE(shot.pixel(0, 0), qRgb(0, 0, 255));
    QCOMPARE(shot.pixel(9, 5), qRgb(0, 0, 255));
    QCOMPARE(shot.pixel(6, 2), qRgb(0, 0, 255));
    QCOMPARE(shot.pixel(4, 3), qRgb(0, 0, 255));
}

void TestImage32::filterOfBitmapDecidesResampling()
{
    TImage32 image;
    image.resize(4, 1);
    image.setScaleMode(smStretch);
    fillTwoPixels(image.bitmap());
    image.bitmap().setPixel(1, 0, 0xFFFFFFFF);
    QImage shot = image.renderToImage();
    QCOMPARE(qRed(shot.pixel(1, 0)), 0);
    QCOMPARE(qRed(shot.pixel(2, 0)), 255);
    image.bitmap().setStretchFilter(sfLinear);
    shot = image.renderToImage();
    const int expected[4] = {1, 65, 128, 192};
    for (int x = 0; x < 4; ++x)
        QCOMPARE(qRed(shot.pixel(x, 0)), expected[x]);
}

void TestImage32::repaintsOnBitmapChange()
{
    TImage32 image;
    image.resize(20, 20);
    image.show();
    QVERIFY(QTest::qWaitForWindowExposed(&image));
    QSignalSpy spy(&image, &TImage32::bitmapChanged);
    image.bitmap().setSize(3, 3);
    QCOMPARE(spy.count(), 1);
    image.bitmap().setSize(3, 3);
    QCOMPARE(spy.count(), 1);
    TBitmap32 other;
    other.setSize(5, 5);
    image.bitmap().assign(&other);
    QCOMPARE(spy.count(), 2);
}

void TestImage32::scaleSetting()
{
    TImage32 image;
    image.setScale(0.0f);
    QCOMPARE(image.scale(), 0.001f);
    image.setScale(-1.0f);
    QCOMPARE(image.scale(), 0.001f);
    image.setScale(2.0f);
    QCOMPARE(image.scale(), 2.0f);
}

void TestImage32::layersDrawOverBitmap()
{
    TImage32 image;
    image.resize(4, 4);
    image.setScaleMode(smStretch);
    fillTwoPixels(image.bitmap());
    TImageLayer *layer = image.addLayer(std::make_unique<MarkLayer>());
    QCOMPARE(image.layerCount(), 1);
    QCOMPARE(image.renderToImage().pixel(0, 0), QColor(Qt::magenta).rgb());
    image.removeLayer(layer);
    QCOMPARE(image.layerCount(), 0);
    QCOMPARE(image.renderToImage().pixel(0, 0), qRgb(0, 0, 0));
}

QTEST_MAIN(TestImage32)
#include "tst_image32.moc"
