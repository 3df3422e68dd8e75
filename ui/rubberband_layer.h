#pragma once

#include "imaging/crop_geometry.h"
#include "ui/image32.h"

#include <QObject>
#include <QRectF>

class QMouseEvent;
class TImgView32;

// The crop frame over the editor view: a rectangle in the view's coordinates
// (it stays put when the picture scrolls), drawn as a dotted outline with
// eight handles. A left-button drag inside moves it, a drag on a handle
// resizes it; the view hands the mouse on.
class TRubberbandLayer : public QObject, public TImageLayer
{
    Q_OBJECT

public:
    // A frame added to the view, which owns it; view.removeLayer() ends it.
    static TRubberbandLayer *create(TImgView32 &view);

    explicit TRubberbandLayer(TImgView32 &view);
    ~TRubberbandLayer() override;

    QRectF location() const { return m_band.toQRectF(); }
    TFloatRect band() const { return m_band; }
    // Repaints the view.
    void setBand(const TFloatRect &band);

    // A drag keeps at least this size; 10 x 10 unless set.
    float minWidth() const { return m_minWidth; }
    float minHeight() const { return m_minHeight; }
    void setMinWidth(float width) { m_minWidth = width; }
    void setMinHeight(float height) { m_minHeight = height; }

    // A hidden frame is neither drawn nor taken by the mouse.
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    // The cursor over the inside; over the handles the resize cursors.
    Qt::CursorShape insideCursor() const { return m_insideCursor; }
    void setInsideCursor(Qt::CursorShape shape) { m_insideCursor = shape; }

    TBandDrag dragState() const { return m_drag; }

    void paint(QPainter &painter, const TImage32 &image) override;

signals:
    // During a drag, before the frame takes the new location: the location
    // when the drag began and the one the mouse gives now.
    void resizing(const QRectF &startLocation, const QRectF &newLocation);

private:
    void mousePressed(QMouseEvent *event);
    void mouseMoved(QMouseEvent *event);
    void mouseReleased(QMouseEvent *event);
    void showCursor(TBandDrag part);

    TImgView32 &m_view;
    TFloatRect m_band;
    float m_minWidth = 10.0f;
    float m_minHeight = 10.0f;
    bool m_visible = true;
    Qt::CursorShape m_insideCursor = Qt::ArrowCursor;
    TBandDrag m_drag = TBandDrag::None;
    TFloatRect m_dragStart;
    QPointF m_grabOffset;
};
