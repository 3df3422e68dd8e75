#include "ui/bitmap_image.h"

QImage bitmapImage(const TBitmap32 &bitmap, QImage::Format format)
{
    if (bitmap.empty())
        return {};
    return QImage(reinterpret_cast<const uchar *>(bitmap.bits()), bitmap.width(), bitmap.height(),
                  qsizetype(bitmap.width()) * 4, format);
}
