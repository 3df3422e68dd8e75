#pragma once

#include "imaging/view_geometry.h"
#include "ui/image32.h"

class QMouseEvent;
class QResizeEvent;
class QScrollBar;

// The editor's scrolling picture view: the bitmap at the view's scale
// (nearest-neighbour, on black), centred while it is smaller than the
// viewport and scrolled by two scroll bars along the bottom and right edges
// otherwise. The bars sit outside the viewport, so the view itself receives
// every mouse event over the picture and hands it on by its signals.
class TImgView32 : public TImage32
{
    Q_OBJECT

public:
    explicit TImgView32(QWidget *parent = nullptr);

    // (0, 0, width - 14, height - 14).
    TRect viewportRect() const;
    TScrollAxis horzScroll() const { return m_horz; }
    TScrollAxis vertScroll() const { return m_vert; }
    // Positions beyond the ranges are pulled back.
    void scrollTo(float horz, float vert);
    QScrollBar *horzScrollBar() const { return m_horzBar; }
    QScrollBar *vertScrollBar() const { return m_vertBar; }

signals:
    // After a scroll position changed, by the bars or by the view itself.
    void scrolled();
    void mousePressed(QMouseEvent *event);
    void mouseMoved(QMouseEvent *event);
    void mouseReleased(QMouseEvent *event);

protected:
    void placementChanged() override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void bitmapChangedHere();
    void barMoved(float horz, float vert);
    // Takes the fitted size and the viewport into the scroll axes; a new
    // picture size scrolls to the picture's centre.
    void relayout(bool recentre);
    void applyScroll(const TScrollAxis &horz, const TScrollAxis &vert);
    void showAxis(QScrollBar *bar, const TScrollAxis &axis);

    QScrollBar *m_horzBar;
    QScrollBar *m_vertBar;
    TScrollAxis m_horz;
    TScrollAxis m_vert;
    QSize m_bitmapSize{0, 0};
    // Set while the view moves its own offsets and bars.
    bool m_applying = false;
};
