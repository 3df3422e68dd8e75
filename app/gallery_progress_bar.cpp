#include "app/gallery_progress_bar.h"

#include "imaging/fit_geometry.h"

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
