#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class AtomicBatch;

struct KeptOriginal
{
    // The file to publish as pieces, in order, of the source it was made from
    // or of `made`; none when the source cannot be published as it is.
    std::vector<QByteArrayView> pieces;
    // A picture turned upright is made anew here.
    QByteArray made;
    // Why not, when that is worth telling: markers the walk cannot account
    // for, behind which anything may hide.
    QString warning;
};

// The full-size picture of a JPEG source published as the source's own
// compressed data instead of a new encoding: turned losslessly to upright
// when its orientation tag says so, keeping its colour profile (the
// "ICC_PROFILE" APP2 markers) when the decoder uses it, and the markers that
// say how to decode it (JFIF, Adobe), and nothing else: no EXIF, XMP, IPTC,
// comments, or previews embedded in markers or appended after the picture's
// end. Markers without a length (TEM, stray restarts) are stepped over.
//
// No pieces mean it cannot be done exactly (not a JPEG file whose markers
// can all be followed, or a turn that does not come out in whole blocks):
// the picture is then encoded as usual. The pieces point into `source`,
// which must outlive them, unless the picture was turned.
KeptOriginal keptOriginal(QByteArrayView source);

// Writes keptOriginal() of the file's bytes `source` as `path` through
// AtomicFile, straight from those bytes, committed into `batch` when given;
// false, writing nothing, when it has no pieces, with `warning` saying why
// when that is worth telling. Raises PictavelError naming the file when it
// cannot be written.
bool WriteKeptOriginal(QByteArrayView source, const QString &path, QString &warning,
                       AtomicBatch *batch = nullptr);
