#include "ui/img_view32.h"

#include "imaging/fit_geometry.h"

#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>

TImgView32::TImgView32(QWidget *parent)
    : TImage32(parent), m_horzBar(new QScrollBar(Qt::Horizontal, this)),
      m_vertBar(new QScrollBar(Qt::Vertical, this))
{
    m_horzBar->setSingleStep(kViewScrollStep);
    m_vertBar->setSingleStep(kViewScrollStep);
    connect(m_horzBar, &QScrollBar::valueChanged, this,
            [this](int value) { barMoved(float(value), m_vert.position); });
    connect(m_vertBar, &QScrollBar::valueChanged, this,
            [this](int value) { barMoved(m_horz.position, float(value)); });
    setMouseTracking(true);
    setScaleMode(smScale);
    setBitmapAlign(baCustom);
    setColor(Qt::black);
    bitmap().setStretchFilter(sfNearest);
    connect(this, &TImage32::bitmapChanged, this, &TImgView32::bitmapChangedHere);
    relayout(true);
}

TRect TImgView32::viewportRect() const
{
    return ViewportRect(width(), height());
}

void TImgView32::scrollTo(float horz, float vert)
{
    TScrollAxis h = m_horz;
    TScrollAxis v = m_vert;
    h.position = ClampScrollPosition(horz, h.range, h.window);
    v.position = ClampScrollPosition(vert, v.range, v.window);
    applyScroll(h, v);
}

void TImgView32::placementChanged()
{
    if (!m_applying)
        relayout(false);
}

void TImgView32::resizeEvent(QResizeEvent *event)
{
    TImage32::resizeEvent(event);
    const TRect viewport = viewportRect();
    m_horzBar->setGeometry(0, viewport.bottom, viewport.right, kViewScrollBarSize);
    m_vertBar->setGeometry(viewport.right, 0, kViewScrollBarSize, viewport.bottom);
    relayout(false);
}

void TImgView32::mousePressEvent(QMouseEvent *event)
{
    emit mousePressed(event);
}

void TImgView32::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event);
}

void TImgView32::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseReleased(event);
}

void TImgView32::bitmapChangedHere()
{
    // Whatever was assigned, the view shows its picture nearest-neighbour.
    bitmap().setStretchFilter(sfNearest);
    const QSize size(bitmap().width(), bitmap().height());
    if (size == m_bitmapSize)
        return;
    m_bitmapSize = size;
    relayout(true);
}

void TImgView32::barMoved(float horz, float vert)
{
    if (!m_applying)
        scrollTo(horz, vert);
}

void TImgView32::relayout(bool recentre)
{
    const QSize fitted = FitSize();
    const TRect viewport = viewportRect();
    TScrollAxis h = RelaidScrollAxis(m_horz, fitted.width(), viewport.width());
    TScrollAxis v = RelaidScrollAxis(m_vert, fitted.height(), viewport.height());
    if (recentre) {
        h.position = CentredScrollPosition(bitmap().width(), scale(), h.range, h.window);
        v.position = CentredScrollPosition(bitmap().height(), scale(), v.range, v.window);
    }
    applyScroll(h, v);
}

void TImgView32::applyScroll(const TScrollAxis &horz, const TScrollAxis &vert)
{
    const bool moved = horz.position != m_horz.position || vert.position != m_vert.position;
    m_horz = horz;
    m_vert = vert;
    {
        const QScopedValueRollback applying(m_applying, true);
        setOffsetHorz(BitmapOffset(m_horz));
        setOffsetVert(BitmapOffset(m_vert));
        showAxis(m_horzBar, m_horz);
        showAxis(m_vertBar, m_vert);
    }
    if (moved)
        emit scrolled();
}

void TImgView32::showAxis(QScrollBar *bar, const TScrollAxis &axis)
{
    bar->setRange(0, std::max(axis.range - axis.window, 0));
    bar->setPageStep(std::max(axis.window, 1));
    bar->setValue(RoundEven(axis.position));
    bar->setEnabled(axis.canScroll());
}
