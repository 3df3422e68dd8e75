#pragma once

#include "imaging/bitmap32.h"

#include <QString>

// Reads a BMP, JPEG or GIF file into `bitmap`, the decoder chosen by the
// extension. A missing file leaves the bitmap as it is; an error raised before
// the pixels are transferred leaves it as it was too.
void LoadPicture(const QString &path, TBitmap32 &bitmap);

// Writes `bitmap` as a baseline colour JPEG of the given quality. The file is
// replaced only once the new one is complete.
void WriteJpegFile(const QString &path, const TBitmap32 &bitmap, int quality);
