#pragma once

#include "imaging/bitmap32.h"

#include <QSize>
#include <QString>

// The editor view's bars, scroll bars and output size, as numbers.

// Thickness of the view's scroll bars and the distance an arrow click moves.
constexpr int kViewScrollBarSize = 14;
constexpr int kViewScrollStep = 8;

// The display zoom of a zoom bar position: 10^(position / 100), except that
// position 1 (the bar's top) is exactly 1.
float ZoomFactorOf(int zoomPosition);
// The zoom as the status line shows it, "50%".
QString ZoomText(float zoomFactor);
// The view's scale for a scale bar position at a zoom:
// 10^(position / 100) x zoom, in single precision.
float ViewScaleOf(int scalePosition, float zoomFactor);

// Round(displayPixels / zoom): display pixels as pixels of the saved picture.
int OutputPixels(double displayPixels, float zoomFactor);
// The size a cut produces from the whole picture shown at `fitted`.
QSize OutputSize(const QSize &fitted, float zoomFactor);
// OutputSize as the status line shows it, "1600x1199".
QString OutputSizeText(const QSize &fitted, float zoomFactor);

// The area of a view of this size that shows the picture: all but the
// scroll bars along the bottom and right edges.
TRect ViewportRect(int viewWidth, int viewHeight);

// One scroll bar of the view.
struct TScrollAxis
{
    int range = 0;         // the fitted picture's side
    int window = 0;        // the viewport's side
    float position = 0.0f; // 0 ... range - window
    bool canScroll() const { return range > window; }
    bool operator==(const TScrollAxis &) const = default;
};

// A position beyond range - window is pulled back, a negative one becomes 0.
float ClampScrollPosition(float position, int range, int window);
// The axis once the fitted side is `range` and the viewport side `window`.
// A new range that exceeds the window keeps the picture point at the
// viewport's centre where it was (or starts centred when the old range did
// not exceed the window).
TScrollAxis RelaidScrollAxis(const TScrollAxis &axis, int range, int window);
// The position that puts the picture's middle pixel, (side div 2) x scale,
// at the viewport's centre.
float CentredScrollPosition(int bitmapSide, float scale, int range, int window);
// Where the picture starts in the view: centred when it is narrower than the
// viewport, otherwise scrolled by the position.
float BitmapOffset(const TScrollAxis &axis);
