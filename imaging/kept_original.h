#pragma once

#include <QByteArray>
#include <QString>

// The full-size picture of a JPEG source published as the source's own
// compressed data instead of a new encoding: turned losslessly to upright
// when its orientation tag says so, keeping its colour profile (the
// "ICC_PROFILE" APP2 markers) and the markers that say how to decode it
// (JFIF, Adobe), and nothing else: no EXIF, XMP, IPTC, comments, or previews
// embedded in markers or appended after the picture's end.
//
// An empty result means it cannot be done exactly (not a JPEG file whose
// markers can be followed, or a turn that does not come out in whole
// blocks): the picture is then encoded as usual.
QByteArray keptOriginal(const QByteArray &source);

// Writes keptOriginal() of the file `sourcePath` as `path` through
// AtomicFile; false, writing nothing, when it is empty. Raises PictavelError
// naming the file when it cannot be written.
bool WriteKeptOriginal(const QString &sourcePath, const QString &path);
