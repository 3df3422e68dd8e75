#include "imaging/thumbnail.h"

#include "imaging/box_resample.h"
#include "imaging/fit_geometry.h"
#include "imaging/stretch_copy.h"

QSize ThumbnailSize(int pictureWidth, int pictureHeight, int maxWidth, int maxHeight)
{
    TImagePlacement p;
    p.bitmapWidth = pictureWidth;
    p.bitmapHeight = pictureHeight;
    p.controlWidth = maxWidth;
    p.controlHeight = maxHeight;
    p.scaleMode = smResize;
    // A picture far thinner than its box would round to no row or column;
    // every picture keeps at least one pixel each way.
    QSize fit = FitSize(p);
    if (fit.width() > 0 || fit.height() > 0)
        fit = fit.expandedTo(QSize(1, 1));
    return fit;
}

void MakeThumbnail(const TBitmap32 &picture, int maxWidth, int maxHeight, TBitmap32 &thumb,
                   bool smooth)
{
    const QSize fit = ThumbnailSize(picture.width(), picture.height(), maxWidth, maxHeight);
    thumb.setStretchFilter(picture.stretchFilter());
    if (smooth) {
        BoxResample(picture, thumb, fit.width(), fit.height());
        return;
    }
    thumb.setSize(fit.width(), fit.height());
    StretchCopy(picture, thumb, TRect{0, 0, fit.width(), fit.height()});
}
