#pragma once

#include "imaging/bitmap32.h"
#include "imaging/crop_geometry.h"

// Resamples `picture` to the plan's whole size and replaces it with the
// plan's source rectangle at the cut size. When the source leaves the resized
// picture ("Source rectangle is invalid") or the cut fails otherwise, the
// picture becomes the whole resized picture and false is returned.
bool CutPicture(TBitmap32 &picture, const TCutPlan &plan);
