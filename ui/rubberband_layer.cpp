#include "ui/rubberband_layer.h"

#include "ui/img_view32.h"

#include <QList>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TRubberbandLayer *TRubberbandLayer::create(TImgView32 &view)
{
    return static_cast<TRubberbandLayer *>(view.addLayer(std::make_unique<TRubberbandLayer>(view)));
}

TRubberbandLayer::TRubberbandLayer(TImgView32 &view) : m_view(view)
{
    connect(&view, &TImgView32::mousePressed, this, &TRubberbandLayer::mousePressed);
    connect(&view, &TImgView32::mouseMoved, this, &TRubberbandLayer::mouseMoved);
    connect(&view, &TImgView32::mouseReleased, this, &TRubberbandLayer::mouseReleased);
}

TRubberbandLayer::~TRubberbandLayer()
{
    // The frame's cursors go with it.
    m_view.unsetCursor();
}

void TRubberbandLayer::setBand(const TFloatRect &band)
{
    if (band == m_band)
        return;
    m_band = band;
    m_view.update();
}

void TRubberbandLayer::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (!visible)
        m_drag = TBandDrag::None;
    m_view.update();
}

void TRubberbandLayer::mousePressed(QMouseEvent *event)
{
    if (!m_visible || event->button() != Qt::LeftButton)
        return;
    const QPoint mouse = event->position().toPoint();
    m_drag = BandHitTest(m_band, mouse);
    m_dragStart = m_band;
    m_grabOffset = BandGrabOffset(m_drag, m_band, mouse);
}

void TRubberbandLayer::mouseMoved(QMouseEvent *event)
{
    const QPoint mouse = event->position().toPoint();
    if (m_drag == TBandDrag::None) {
        if (m_visible)
            showCursor(BandHitTest(m_band, mouse));
        return;
    }
    const TFloatRect moved =
        DraggedBand(m_drag, m_dragStart, QPointF(mouse) - m_grabOffset, m_minWidth, m_minHeight);
    // The handler may run pending events, and among them one that ends the
    // frame.
    const QPointer<TRubberbandLayer> alive(this);
    emit resizing(m_dragStart.toQRectF(), moved.toQRectF());
    if (alive)
        setBand(moved);
}

void TRubberbandLayer::mouseReleased(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_drag = TBandDrag::None;
}

void TRubberbandLayer::showCursor(TBandDrag part)
{
    Qt::CursorShape shape = Qt::ArrowCursor;
    switch (part) {
    case TBandDrag::None:
        break;
    case TBandDrag::Move:
        shape = m_insideCursor;
        break;
    case TBandDrag::Left:
    case TBandDrag::Right:
        shape = Qt::SizeHorCursor;
        break;
    case TBandDrag::Top:
    case TBandDrag::Bottom:
        shape = Qt::SizeVerCursor;
        break;
    case TBandDrag::TopLeft:
    case TBandDrag::BottomRight:
        shape = Qt::SizeFDiagCursor;
        break;
    case TBandDrag::TopRight:
    case TBandDrag::BottomLeft:
        shape = Qt::SizeBDiagCursor;
        break;
    }
    if (m_view.cursor().shape() != shape)
        m_view.setCursor(shape);
}

void TRubberbandLayer::paint(QPainter &painter, const TImage32 &)
{
    if (!m_visible)
        return;
    const TRect r = RoundedBand(m_band);
    const TBandHandleLine hx = BandHandlesHorz(r);
    const TBandHandleLine hy = BandHandlesVert(r);
    // The outline clockwise from the top-left pixel, two white and two black
    // pixels in turn.
    QList<QPoint> outline;
    if (r.hasArea()) {
        for (int x = hx.first; x <= hx.last; ++x)
            outline << QPoint(x, hy.first);
        for (int y = hy.first + 1; y <= hy.last; ++y)
            outline << QPoint(hx.last, y);
        for (int x = hx.last - 1; x >= hx.first && hy.last > hy.first; --x)
            outline << QPoint(x, hy.last);
        for (int y = hy.last - 1; y > hy.first && hx.last > hx.first; --y)
            outline << QPoint(hx.first, y);
    }
    QList<QPoint> white, black;
    for (qsizetype i = 0; i < outline.size(); ++i)
        (i % 4 < 2 ? white : black) << outline[i];
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawPoints(white.constData(), int(white.size()));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawPoints(black.constData(), int(black.size()));
    const int side = 2 * kBandHandleSize;
    for (const int x : {hx.first, hx.middle, hx.last}) {
        for (const int y : {hy.first, hy.middle, hy.last}) {
            if (x == hx.middle && y == hy.middle)
                continue;
            painter.fillRect(x - kBandHandleSize, y - kBandHandleSize, side, side, Qt::black);
            painter.fillRect(x - kBandHandleSize + 1, y - kBandHandleSize + 1, side - 2, side - 2,
                             Qt::white);
        }
    }
    painter.restore();
}
