#pragma once

#include "imaging/bitmap32.h"

#include <QPoint>
#include <QSize>

// The eight ways a picture may lie, numbered as EXIF's orientation tag: 1 is
// upright, 2 mirrored left to right, 3 turned half round, 4 mirrored top to
// bottom, 5 mirrored across the main diagonal, 6 turned a quarter clockwise,
// 7 mirrored across the other diagonal, 8 turned a quarter anticlockwise.
// Any other value is taken as 1.

// The size of a width x height picture once shown as `orientation` says:
// 5 to 8 swap the sides.
QSize OrientedSize(int width, int height, int orientation);

// The same in steps: stored rows become shown columns (`transposed`), then
// shown x and shown y run backwards (`flipX`, `flipY`).
struct OrientationSteps
{
    bool transposed = false, flipX = false, flipY = false;
};
OrientationSteps StepsOfOrientation(int orientation);

// The stored pixel of a width x height picture that `orientation` shows at
// shown (x, y).
QPoint StoredPixelAt(int x, int y, int width, int height, int orientation);

// Writes `count` stored rows of a width x height picture, from stored row
// `first` on, to where `orientation` shows them in `destination`, which holds
// OrientedSize() pixels and does not overlap `rows`. `rows` holds the rows one
// after another, `width` pixels each. A decoder turns its picture batch by
// batch through this, without a second picture-sized area; with `first` 0 and
// `count` `height` it turns a whole picture.
void OrientRows(const TColor32 *rows, int width, int height, int first, int count, int orientation,
                TColor32 *destination);
