#include "imaging/thumbnail.h"

#include "imaging/fit_geometry.h"
#include "imaging/stretch_copy.h"

void MakeThumbnail(const TBitmap32 &picture, int maxWidth, int maxHeight, TBitmap32 &thumb)
{
    TImagePlacement p;
    p.bitmapWidth = picture.width();
    p.bitmapHeight = picture.height();
    p.controlWidth = maxWidth;
    p.controlHeight = maxHeight;
    p.scaleMode = smResize;
    const QSize fit = FitSize(p);
    thumb.setStretchFilter(picture.stretchFilter());
    thumb.setSize(fit.width(), fit.height());
    StretchCopy(picture, thumb, TRect{0, 0, fit.width(), fit.height()});
}
