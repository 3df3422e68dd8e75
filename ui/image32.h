#pragma once

#include "imaging/bitmap32.h"
#include "imaging/fit_geometry.h"

#include <QColor>
#include <QWidget>

#include <memory>
#include <vector>

class QPainter;
class TImage32;

// Something drawn over the bitmap of an image control (the crop frame).
class TImageLayer
{
public:
    virtual ~TImageLayer() = default;
    virtual void paint(QPainter &painter, const TImage32 &image) = 0;
};

// Shows a working bitmap placed by its scale mode and alignment, the rest of
// the control filled with its colour. The bitmap's own StretchFilter decides
// how it is resampled on screen.
class TImage32 : public QWidget
{
    Q_OBJECT

public:
    explicit TImage32(QWidget *parent = nullptr);
    ~TImage32() override;

    TBitmap32 &bitmap() { return m_bitmap; }
    const TBitmap32 &bitmap() const { return m_bitmap; }

    TScaleMode scaleMode() const { return m_placement.scaleMode; }
    void setScaleMode(TScaleMode mode);
    float scale() const { return m_placement.scale; }
    // Values below 0.001 are stored as 0.001.
    void setScale(float scale);
    TBitmapAlign bitmapAlign() const { return m_placement.alignment; }
    void setBitmapAlign(TBitmapAlign alignment);
    float offsetHorz() const { return m_placement.offsetHorz; }
    float offsetVert() const { return m_placement.offsetVert; }
    void setOffsetHorz(float offset);
    void setOffsetVert(float offset);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    TImageLayer *addLayer(std::unique_ptr<TImageLayer> layer);
    void removeLayer(TImageLayer *layer);
    int layerCount() const { return int(m_layers.size()); }

    TImagePlacement placement() const;
    QSize FitSize() const;
    TRect BitmapRect() const;

    // The picture as last painted: background, bitmap and layers.
    QImage renderToImage();

signals:
    // After the bitmap changed and the control scheduled its repaint.
    void bitmapChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    // After the scale mode, scale, alignment or an offset took a new value.
    virtual void placementChanged() {}

private:
    template <typename Value> void changePlacement(Value TImagePlacement::*field, Value value);
    void paintBuffer();
    void drawTo(QPainter &painter);

    TBitmap32 m_bitmap;
    TBitmap32 m_buffer;
    int m_changeHandler = 0;
    // Scale mode, scale, alignment and offsets; the sizes are filled in when
    // the placement is asked for.
    TImagePlacement m_placement;
    QColor m_color = Qt::white;
    std::vector<std::unique_ptr<TImageLayer>> m_layers;
};
