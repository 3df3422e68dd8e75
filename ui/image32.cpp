#include "ui/image32.h"

#include "imaging/stretch_copy.h"
#include "ui/bitmap_image.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

TImage32::TImage32(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_changeHandler = m_bitmap.addChangeHandler([this] {
        update();
        emit bitmapChanged();
    });
}

TImage32::~TImage32()
{
    m_bitmap.removeChangeHandler(m_changeHandler);
}

template <typename Value> void TImage32::changePlacement(Value TImagePlacement::*field, Value value)
{
    if (m_placement.*field == value)
        return;
    m_placement.*field = value;
    update();
    placementChanged();
}

void TImage32::setScaleMode(TScaleMode mode)
{
    changePlacement(&TImagePlacement::scaleMode, mode);
}

void TImage32::setScale(float scale)
{
    changePlacement(&TImagePlacement::scale, NormalizedScale(scale));
}

void TImage32::setBitmapAlign(TBitmapAlign alignment)
{
    changePlacement(&TImagePlacement::alignment, alignment);
}

void TImage32::setOffsetHorz(float offset)
{
    changePlacement(&TImagePlacement::offsetHorz, offset);
}

void TImage32::setOffsetVert(float offset)
{
    changePlacement(&TImagePlacement::offsetVert, offset);
}

void TImage32::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

TImageLayer *TImage32::addLayer(std::unique_ptr<TImageLayer> layer)
{
    TImageLayer *added = layer.get();
    m_layers.push_back(std::move(layer));
    update();
    return added;
}

void TImage32::removeLayer(TImageLayer *layer)
{
    std::erase_if(m_layers, [layer](const auto &l) { return l.get() == layer; });
    update();
}

TImagePlacement TImage32::placement() const
{
    TImagePlacement p = m_placement;
    p.bitmapWidth = m_bitmap.empty() ? 0 : m_bitmap.width();
    p.bitmapHeight = m_bitmap.empty() ? 0 : m_bitmap.height();
    p.controlWidth = width();
    p.controlHeight = height();
    return p;
}

QSize TImage32::FitSize() const
{
    return ::FitSize(placement());
}

TRect TImage32::BitmapRect() const
{
    return ::BitmapRect(placement());
}

void TImage32::paintBuffer()
{
    m_buffer.setSize(width(), height());
    if (m_buffer.empty())
        return;
    const QRgb rgb = m_color.rgb();
    const TColor32 background = 0xFF000000u | (rgb & 0xFFFFFFu);
    const TRect r = BitmapRect();
    const int w = m_buffer.width();
    const int h = m_buffer.height();
    // Only the part of the control that the bitmap leaves uncovered.
    const int left = std::clamp(r.left, 0, w), right = std::clamp(r.right, 0, w);
    const int top = std::clamp(r.top, 0, h), bottom = std::clamp(r.bottom, 0, h);
    const bool covered = r.hasArea() && left < right && top < bottom;
    for (int y = 0; y < h; ++y) {
        TColor32 *row = m_buffer.scanLine(y);
        if (!covered || y < top || y >= bottom) {
            std::fill(row, row + w, background);
        } else {
            std::fill(row, row + left, background);
            std::fill(row + right, row + w, background);
        }
    }
    if (r.hasArea())
        StretchCopy(m_bitmap, m_buffer, r);
    // The screen shows colour only; picture alpha must not leak into it.
    m_buffer.makeOpaque();
}

void TImage32::drawTo(QPainter &painter)
{
    paintBuffer();
    if (!m_buffer.empty())
        painter.drawImage(0, 0, bitmapImage(m_buffer, QImage::Format_RGB32));
    for (const auto &layer : m_layers)
        layer->paint(painter, *this);
}

void TImage32::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawTo(painter);
}

QImage TImage32::renderToImage()
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    drawTo(painter);
    return image;
}
