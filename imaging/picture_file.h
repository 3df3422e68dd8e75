#pragma once

#include "base/stat_stamp.h"
#include "imaging/bitmap32.h"

#include <QSize>
#include <QString>

#include <QByteArrayView>

#include <memory>
#include <optional>

class AtomicBatch;
class AtomicFile;

// A picture file read whole into a buffer that is kept from file to file: a
// few MB per photo that would otherwise be mapped and faulted in afresh each
// time.
class PictureBytes
{
public:
    // Reads the file at `path`; false, holding nothing, when it cannot be
    // opened or read.
    bool read(const QString &path);
    // The file as read last, valid until the next read.
    QByteArrayView bytes() const { return QByteArrayView(m_data.get(), qsizetype(m_size)); }

private:
    std::unique_ptr<char[]> m_data;
    size_t m_capacity = 0;
    size_t m_size = 0;
};

// Reads a BMP, JPEG or GIF file into `bitmap`, the decoder chosen by the
// extension. A missing file leaves the bitmap as it is; an error raised before
// the pixels are transferred leaves it as it was too. A path that is not a
// regular file (a folder, a pipe, a device) is refused before it is opened.
// `warning`, when given, receives what the decoder noticed without failing
// (libjpeg's first warning, such as a truncated file completed with grey), or
// nothing.
void LoadPicture(const QString &path, TBitmap32 &bitmap, QString *warning = nullptr);

// LoadPicture for a picture that is wanted only for a thumbnail fitted into
// `box` (an empty box for the whole picture): a JPEG file is reduced by
// libjpeg while it is decoded, as far as it keeps at least twice the
// thumbnail's size each way; other files are loaded whole. The file is read
// into `file` when given, where it stays for other uses of the same bytes.
void LoadPictureForThumbnail(const QString &path, TBitmap32 &bitmap, QSize box,
                             QString *warning = nullptr, PictureBytes *file = nullptr);

// The width and height a JPEG file's header gives; an empty size when the
// file cannot be read or its header is not whole in its first 64 KB.
QSize JpegFileSize(const QString &path);

// Whether LoadPicture reads the file as a JPEG picture, by its extension.
bool isJpegPath(const QString &path);

// Writes `bitmap` as a baseline colour JPEG of the given quality through
// AtomicFile: the file is replaced only once the new one is complete, and a
// failure names the file and the system's reason. An empty bitmap is refused.
// The stamp of the file written; with a batch, the file is committed into
// it and waits there to be published.
std::optional<StatStamp> WriteJpegFile(const QString &path, const TBitmap32 &bitmap, int quality,
                                       AtomicBatch *batch = nullptr);

// The same JPEG file written into `file`, which is open and is committed by
// the caller; raises PictavelError naming the file when it cannot be made,
// and gives the file up.
void EncodeJpegInto(AtomicFile &file, const TBitmap32 &bitmap, int quality);
