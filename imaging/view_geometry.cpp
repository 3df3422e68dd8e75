#include "imaging/view_geometry.h"

#include "imaging/fit_geometry.h"

#include <algorithm>
#include <cmath>

float ZoomFactorOf(int zoomPosition)
{
    if (zoomPosition == 1)
        return 1.0f;
    return float(std::pow(10.0L, zoomPosition / 100.0L));
}

QString ZoomText(float zoomFactor)
{
    return QString::number(RoundEven(double(zoomFactor * 100.0L))) + QLatin1Char('%');
}

float ViewScaleOf(int scalePosition, float zoomFactor)
{
    return float(std::pow(10.0L, scalePosition / 100.0L) * zoomFactor);
}

int OutputPixels(double displayPixels, float zoomFactor)
{
    return RoundEven(double(displayPixels / static_cast<long double>(zoomFactor)));
}

QSize OutputSize(const QSize &fitted, float zoomFactor)
{
    return {OutputPixels(fitted.width(), zoomFactor), OutputPixels(fitted.height(), zoomFactor)};
}

QString OutputSizeText(const QSize &fitted, float zoomFactor)
{
    const QSize size = OutputSize(fitted, zoomFactor);
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

TRect ViewportRect(int viewWidth, int viewHeight)
{
    return {0, 0, std::max(viewWidth - kViewScrollBarSize, 0),
            std::max(viewHeight - kViewScrollBarSize, 0)};
}

float ClampScrollPosition(float position, int range, int window)
{
    const float last = float(range - window);
    if (position > last)
        position = last;
    return position < 0.0f ? 0.0f : position;
}

TScrollAxis RelaidScrollAxis(const TScrollAxis &axis, int range, int window)
{
    float position = axis.position;
    if (range != axis.range && range > window) {
        const long double half = window / 2.0L;
        position = axis.range > window && axis.range > 0
                       ? float(range * ((half + position) / axis.range) - half)
                       : float(range / 2.0L - half);
    }
    return {range, window, ClampScrollPosition(position, range, window)};
}

float CentredScrollPosition(int bitmapSide, float scale, int range, int window)
{
    const long double position = static_cast<long double>(bitmapSide / 2) * scale - window / 2.0L;
    return ClampScrollPosition(float(position), range, window);
}

float BitmapOffset(const TScrollAxis &axis)
{
    if (axis.range < axis.window)
        return float((axis.window - axis.range) / 2.0L);
    return -axis.position;
}
