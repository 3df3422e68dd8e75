#include "imaging/fit_geometry.h"

#include <cmath>
#include <limits>

int RoundEven(double value)
{
    if (!(value > std::numeric_limits<int>::min() && value < std::numeric_limits<int>::max()))
        return value > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    return int(std::nearbyint(value));
}

QSize FitSize(const TImagePlacement &p)
{
    const int bw = p.bitmapWidth;
    const int bh = p.bitmapHeight;
    if (bw <= 0 || bh <= 0 || p.controlWidth == 0 || p.controlHeight == 0)
        return {0, 0};
    switch (p.scaleMode) {
    case smNormal:
        return {bw, bh};
    case smStretch:
        return {p.controlWidth, p.controlHeight};
    case smScale:
        return {RoundEven(double(bw) * double(p.scale)), RoundEven(double(bh) * double(p.scale))};
    case smResize: {
        // The ratios are held in single precision; the products are not.
        const float rx = float(p.controlWidth) / float(bw);
        const float ry = float(p.controlHeight) / float(bh);
        if (rx >= ry)
            return {RoundEven(double(bw) * double(ry)), p.controlHeight};
        return {p.controlWidth, RoundEven(double(bh) * double(rx))};
    }
    }
    return {0, 0};
}

TRect BitmapRect(const TImagePlacement &p)
{
    if (p.bitmapWidth <= 0 || p.bitmapHeight <= 0)
        return {};
    const QSize size = FitSize(p);
    int dx = 0;
    int dy = 0;
    switch (p.alignment) {
    case baTopLeft:
    case baTile:
        break;
    case baCenter:
        dx = (p.controlWidth - size.width()) / 2;
        dy = (p.controlHeight - size.height()) / 2;
        break;
    case baCustom:
        dx = RoundEven(p.offsetHorz);
        dy = RoundEven(p.offsetVert);
        break;
    }
    return {dx, dy, dx + size.width(), dy + size.height()};
}

float NormalizedScale(float scale)
{
    return scale >= 0.001f ? scale : 0.001f;
}
