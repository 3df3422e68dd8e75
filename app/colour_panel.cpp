#include "app/colour_panel.h"

#include "html/colour_text.h"

#include <QMouseEvent>
#include <QPainter>

int panelColour(const QColor &colour)
{
    return panelColour(PanelChannels{colour.red(), colour.green(), colour.blue()});
}

QColor colourOfPanel(int panelColour)
{
    const PanelChannels c = channelsOfPanel(panelColour);
    return QColor(c.red, c.green, c.blue);
}

ColourPanel::ColourPanel(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setCursor(Qt::PointingHandCursor);
}

void ColourPanel::setColor(int color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
    emit colorChanged();
}

void ColourPanel::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(contentsRect(), colourOfPanel(m_color));
    painter.end();
    QFrame::paintEvent(event);
}

void ColourPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QFrame::mousePressEvent(event);
}
