#include "imaging/crop_geometry.h"

#include "imaging/fit_geometry.h"
#include "imaging/view_geometry.h"

#include <cstdlib>

TRect RoundedBand(const TFloatRect &band)
{
    return {RoundEven(band.left), RoundEven(band.top), RoundEven(band.right),
            RoundEven(band.bottom)};
}

TBandHandleLine BandHandlesHorz(const TRect &r)
{
    return {r.left, (r.left + r.right - 1) / 2, r.right - 1};
}

TBandHandleLine BandHandlesVert(const TRect &r)
{
    return {r.top, (r.top + r.bottom - 1) / 2, r.bottom - 1};
}

TBandDrag BandHitTest(const TFloatRect &band, QPoint mouse)
{
    const TRect r = RoundedBand(band);
    const TBandHandleLine hx = BandHandlesHorz(r);
    const TBandHandleLine hy = BandHandlesVert(r);
    const auto near = [](int a, int b) {
        return std::abs(a - b) <= kBandTolerance;
    };
    const bool left = near(mouse.x(), hx.first);
    const bool centreX = near(mouse.x(), hx.middle);
    const bool right = near(mouse.x(), hx.last);
    const bool top = near(mouse.y(), hy.first);
    const bool centreY = near(mouse.y(), hy.middle);
    const bool bottom = near(mouse.y(), hy.last);
    if (right && bottom)
        return TBandDrag::BottomRight;
    if (left && bottom)
        return TBandDrag::BottomLeft;
    if (right && top)
        return TBandDrag::TopRight;
    if (left && top)
        return TBandDrag::TopLeft;
    if (right && centreY)
        return TBandDrag::Right;
    if (centreX && bottom)
        return TBandDrag::Bottom;
    if (left && centreY)
        return TBandDrag::Left;
    if (centreX && top)
        return TBandDrag::Top;
    if (mouse.x() >= r.left && mouse.x() < r.right && mouse.y() >= r.top && mouse.y() < r.bottom)
        return TBandDrag::Move;
    return TBandDrag::None;
}

QPointF BandGrabOffset(TBandDrag drag, const TFloatRect &band, QPoint mouse)
{
    if (drag != TBandDrag::Move)
        return {};
    return {double(mouse.x()) - band.left, double(mouse.y()) - band.top};
}

namespace {

bool movesLeft(TBandDrag d)
{
    return d == TBandDrag::Left || d == TBandDrag::TopLeft || d == TBandDrag::BottomLeft;
}

bool movesRight(TBandDrag d)
{
    return d == TBandDrag::Right || d == TBandDrag::TopRight || d == TBandDrag::BottomRight;
}

bool movesTop(TBandDrag d)
{
    return d == TBandDrag::Top || d == TBandDrag::TopLeft || d == TBandDrag::TopRight;
}

bool movesBottom(TBandDrag d)
{
    return d == TBandDrag::Bottom || d == TBandDrag::BottomLeft || d == TBandDrag::BottomRight;
}

} // namespace

TFloatRect DraggedBand(TBandDrag drag, const TFloatRect &start, QPointF point, float minWidth,
                       float minHeight)
{
    TFloatRect r = start;
    const float x = float(point.x());
    const float y = float(point.y());
    if (drag == TBandDrag::Move) {
        r.left = x;
        r.top = y;
        r.right = float(x + (static_cast<long double>(start.right) - start.left));
        r.bottom = float(y + (static_cast<long double>(start.bottom) - start.top));
        return r;
    }
    if (movesLeft(drag)) {
        r.left = x;
        if (r.right - static_cast<long double>(r.left) < minWidth)
            r.left = float(r.right - static_cast<long double>(minWidth));
    }
    if (movesRight(drag)) {
        r.right = x;
        if (r.right - static_cast<long double>(r.left) < minWidth)
            r.right = float(r.left + static_cast<long double>(minWidth));
    }
    if (movesTop(drag)) {
        r.top = y;
        if (r.bottom - static_cast<long double>(r.top) < minHeight)
            r.top = float(r.bottom - static_cast<long double>(minHeight));
    }
    if (movesBottom(drag)) {
        r.bottom = y;
        if (r.bottom - static_cast<long double>(r.top) < minHeight)
            r.bottom = float(r.top + static_cast<long double>(minHeight));
    }
    return r;
}

TFloatRect CentredBand(const TRect &viewport, int spinW, int spinH, float zoomFactor)
{
    const float left = float((viewport.right - static_cast<long double>(spinW) * zoomFactor) / 2);
    const float top = float((viewport.bottom - static_cast<long double>(spinH) * zoomFactor) / 2);
    return CornerBand(left, top, spinW, spinH, zoomFactor);
}

TFloatRect CornerBand(float left, float top, int spinW, int spinH, float zoomFactor)
{
    return {left, top, float(left + static_cast<long double>(spinW) * zoomFactor),
            float(top + static_cast<long double>(spinH) * zoomFactor)};
}

QSize BandOutputSize(const QRectF &location, float zoomFactor)
{
    return {OutputPixels(location.width(), zoomFactor),
            OutputPixels(location.height(), zoomFactor)};
}

TCutPlan PlanCut(const QSize &fitted, const TRect &bitmapRect, const TFloatRect &band, int spinW,
                 int spinH, int spinLimit, float zoomFactor)
{
    const int l = OutputPixels(band.left, zoomFactor);
    const int t = OutputPixels(band.top, zoomFactor);
    const int r = OutputPixels(band.right, zoomFactor);
    const int b = OutputPixels(band.bottom, zoomFactor);
    const int x = l - OutputPixels(bitmapRect.left, zoomFactor);
    const int y = t - OutputPixels(bitmapRect.top, zoomFactor);
    // A spin edit at its limit cannot show a larger frame; the frame's own
    // size is then the size it stands for.
    const int w = spinW >= spinLimit ? r - l : spinW;
    const int h = spinH >= spinLimit ? b - t : spinH;
    return {OutputSize(fitted, zoomFactor), {x, y, x + w, y + h}, {r - l, b - t}};
}
