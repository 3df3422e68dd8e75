#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Writes a photo-like quality 90 JPEG file: smooth shading, a few hard edges
// and sensor-like noise, enough structure that the JPEG coder works about as
// hard as on a photo. The same seed gives the same file. `icc`, when given,
// is embedded as the file's colour profile; an `orientation` other than 1 is
// written as an EXIF orientation tag, as cameras held upright write it. A
// failure raises PictavelError.
void writeCorpusJpeg(const QString &path, int width, int height, uint32_t seed,
                     const QByteArray &icc = QByteArray(), int orientation = 1);
