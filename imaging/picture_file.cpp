#include "imaging/picture_file.h"

#include "base/pictavel_error.h"
#include "imaging/picture_decoders.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

enum class Decoder { None, Bmp, Jpeg, Gif };

// The decoder a file name's extension chooses, without regard to case.
Decoder decoderOf(const QString &extension)
{
    const QString lower = extension.toLower();
    if (lower == QLatin1String("bmp"))
        return Decoder::Bmp;
    if (lower == QLatin1String("jpg") || lower == QLatin1String("jpeg"))
        return Decoder::Jpeg;
    if (lower == QLatin1String("gif"))
        return Decoder::Gif;
    return Decoder::None;
}

QString extensionOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

} // namespace

bool isJpegPath(const QString &path)
{
    return decoderOf(extensionOf(path)) == Decoder::Jpeg;
}

namespace {

void loadPicture(const QString &path, TBitmap32 &bitmap, QString *warning, QSize thumbnailBox,
                 PictureBytes *file)
{
    if (warning)
        warning->clear();
    const QFileInfo info(path);
    if (!info.exists())
        return;
    // Opening a pipe would wait for a writer that never comes.
    if (!info.isFile())
        throw PictavelError(QStringLiteral("Cannot open file %1: not a regular file").arg(path));
    const QString extension = extensionOf(path);
    const Decoder decoder = decoderOf(extension);
    if (decoder == Decoder::None)
        throw PictavelError(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));

    thread_local PictureBytes ownBuffer;
    PictureBytes &buffer = file ? *file : ownBuffer;
    if (!buffer.read(path))
        throw PictavelError(QStringLiteral("Cannot open file %1").arg(path));
    const auto *data = reinterpret_cast<const uint8_t *>(buffer.bytes().data());
    const qsizetype size = buffer.bytes().size();

    switch (decoder) {
    case Decoder::Bmp:
        loadBmpData(data, size_t(size), bitmap);
        break;
    case Decoder::Jpeg:
        loadJpegData(data, size_t(size), bitmap, warning, thumbnailBox);
        break;
    case Decoder::Gif:
        loadGifData(data, size_t(size), bitmap);
        break;
    case Decoder::None:
        break;
    }
}

} // namespace

bool PictureBytes::read(const QString &path)
{
    m_size = 0;
    // Opening a pipe would wait for a writer that never comes.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size < 0)
        return false;
    if (size_t(size) > m_capacity || !m_data) {
        // Room for any usual photograph from the start: only the pages a
        // file fills are touched, so a small file costs no more, and a
        // worker that meets larger files after smaller ones does not map and
        // fault in a new buffer for each.
        constexpr size_t kRoomBytes = size_t(32) << 20;
        m_capacity = std::max<size_t>(size_t(size), kRoomBytes);
        m_data = std::make_unique_for_overwrite<char[]>(m_capacity);
    }
    if (file.read(m_data.get(), size) != size)
        return false;
    m_size = size_t(size);
    return true;
}

void LoadPicture(const QString &path, TBitmap32 &bitmap, QString *warning)
{
    loadPicture(path, bitmap, warning, QSize(), nullptr);
}

void LoadPictureForThumbnail(const QString &path, TBitmap32 &bitmap, QSize box, QString *warning,
                             PictureBytes *file)
{
    loadPicture(path, bitmap, warning, box, file);
}
