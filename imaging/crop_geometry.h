#pragma once

#include "imaging/bitmap32.h"

#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QSize>

// The crop frame's geometry: where it is, what of it the mouse holds, how a
// drag moves it, and which pixels of the picture it cuts.

// The frame's rectangle in view coordinates, single precision as the frame
// keeps it.
struct TFloatRect
{
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;

    QRectF toQRectF() const { return {QPointF(left, top), QPointF(right, bottom)}; }
    bool operator==(const TFloatRect &) const = default;
};

// What a press on the frame holds: nothing, the inside (a move), or a handle.
enum class TBandDrag {
    None,
    Move,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight
};

// Handles are squares of twice this side, centred on the corners and the
// side midpoints; a press within the tolerance of a handle takes it.
constexpr int kBandHandleSize = 3;
constexpr int kBandTolerance = 4;

// The frame as drawn and hit: every coordinate rounded.
TRect RoundedBand(const TFloatRect &band);
// The handle points of a rounded frame along one axis: first pixel, middle
// pixel ((first + last) div 2) and last pixel.
struct TBandHandleLine
{
    int first;
    int middle;
    int last;
};
TBandHandleLine BandHandlesHorz(const TRect &rounded);
TBandHandleLine BandHandlesVert(const TRect &rounded);

// What of the frame is under the mouse; corners before sides before the
// inside.
TBandDrag BandHitTest(const TFloatRect &band, QPoint mouse);
// How far the mouse is from the point a drag moves: the frame's top-left
// corner for a move, the mouse itself for a handle.
QPointF BandGrabOffset(TBandDrag drag, const TFloatRect &band, QPoint mouse);
// The frame during a drag that began on `start`, with `point` the mouse less
// the grab offset. A handle never makes the frame narrower or lower than the
// minimum; a move keeps the size.
TFloatRect DraggedBand(TBandDrag drag, const TFloatRect &start, QPointF point, float minWidth,
                       float minHeight);

// A frame of spinW x spinH output pixels at the zoom, centred in the viewport.
TFloatRect CentredBand(const TRect &viewport, int spinW, int spinH, float zoomFactor);
// The same frame with its top-left corner kept at (left, top).
TFloatRect CornerBand(float left, float top, int spinW, int spinH, float zoomFactor);
// The frame's size in output pixels, as the spin edits hold it.
QSize BandOutputSize(const QRectF &location, float zoomFactor);

// The rectangles of a cut. The whole picture is first resampled to its
// output size; the frame's rectangle of that is then copied to the frame's
// size.
struct TCutPlan
{
    QSize wholeSize; // the whole picture at the output size
    TRect source;    // the rectangle cut, in pixels of the whole picture
    QSize cutSize;   // the result
    bool operator==(const TCutPlan &) const = default;
};

// `fitted` and `bitmapRect` are the view's, `band` the frame's location;
// the source is spinW x spinH from the frame's corner, except that a spin
// value at `spinLimit` (the most the spin edits hold) stands for the frame's
// own size in that direction, so a larger frame is cut 1:1.
TCutPlan PlanCut(const QSize &fitted, const TRect &bitmapRect, const TFloatRect &band, int spinW,
                 int spinH, int spinLimit, float zoomFactor);
