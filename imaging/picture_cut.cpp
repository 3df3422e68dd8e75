#include "imaging/picture_cut.h"

#include "imaging/stretch_copy.h"

#include <exception>

bool CutPicture(TBitmap32 &picture, const TCutPlan &plan)
{
    TBitmap32 whole;
    whole.setSize(plan.wholeSize.width(), plan.wholeSize.height());
    StretchCopy(picture, whole, {0, 0, whole.width(), whole.height()});
    TBitmap32 cut;
    cut.setSize(plan.cutSize.width(), plan.cutSize.height());
    try {
        StretchCopy(whole, cut, {0, 0, cut.width(), cut.height()}, plan.source);
        // Emptied first, so that a view showing the picture takes the cut as
        // a new picture even when it keeps the old size.
        picture.assign(nullptr);
        picture.assign(&cut);
        return true;
    } catch (const std::exception &) {
        picture.assign(&whole);
        return false;
    }
}
