#pragma once

#include "imaging/bitmap32.h"

#include <QSize>

enum TScaleMode { smNormal, smStretch, smScale, smResize };
enum TBitmapAlign { baTopLeft, baCenter, baTile, baCustom };

// What an image control knows when it places its bitmap.
struct TImagePlacement
{
    int bitmapWidth = 0;
    int bitmapHeight = 0;
    int controlWidth = 0;
    int controlHeight = 0;
    TScaleMode scaleMode = smNormal;
    float scale = 1.0f;
    TBitmapAlign alignment = baTopLeft;
    float offsetHorz = 0.0f;
    float offsetVert = 0.0f;
};

// Rounds to the nearest integer, halves to the even neighbour.
int RoundEven(double value);

// The size at which the control shows its bitmap.
QSize FitSize(const TImagePlacement &placement);
// Where the control shows its bitmap, in control pixels.
TRect BitmapRect(const TImagePlacement &placement);

// The scale a control stores for a requested one: never below 0.001.
float NormalizedScale(float scale);
