#include "app/gallery_progress_bar.h"

#include "imaging/fit_geometry.h"

#include <QPainter>
#include <QRegion>

GalleryProgressBar::GalleryProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
}

void GalleryProgressBar::setTotal(int total)
{
    if (total == m_total)
        return;
    m_total = qMax(0, total);
    m_completed = 0;
    showPercent(0);
}

void GalleryProgressBar::setCompleted(int completed)
{
    m_completed = qBound(0, completed, m_total);
    if (m_total != 0)
        showPercent(RoundEven(double(m_completed) / m_total * 100.0));
}

void GalleryProgressBar::empty()
{
    m_total = 0;
    m_completed = 0;
    showPercent(0);
}

QString GalleryProgressBar::text() const
{
    return QString::number(value()) + u'%';
}

void GalleryProgressBar::showPercent(int percent)
{
    setValue(percent);
    repaint();
}

void GalleryProgressBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor back = palette().color(QPalette::Base);
    const QColor bar = palette().color(QPalette::Highlight);
    painter.fillRect(rect(), back);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect inside = rect().adjusted(2, 2, -2, -2);
    const int span = maximum() - minimum();
    const int filledWidth = span > 0 ? inside.width() * (value() - minimum()) / span : 0;
    const QRect filled(inside.topLeft(), QSize(filledWidth, inside.height()));
    painter.fillRect(filled, bar);

    if (!isTextVisible())
        return;
    const QString number = text();
    painter.setClipRegion(QRegion(rect()).subtracted(filled));
    painter.setPen(bar);
    painter.drawText(rect(), Qt::AlignCenter, number);
    painter.setClipRect(filled);
    painter.setPen(back);
    painter.drawText(rect(), Qt::AlignCenter, number);
}
