#include "imaging/picture_file.h"

#include "base/pictavel_error.h"
#include "imaging/picture_decoders.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

// The compressed file stays in one buffer kept between loads: a few MB per
// photo that would otherwise be mapped and faulted in afresh every time.
class FileBuffer
{
public:
    uint8_t *reserve(size_t size)
    {
        if (size > m_capacity) {
            m_data = std::make_unique_for_overwrite<uint8_t[]>(size);
            m_capacity = size;
        }
        return m_data.get();
    }

private:
    std::unique_ptr<uint8_t[]> m_data;
    size_t m_capacity = 0;
};

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

void loadPicture(const QString &path, TBitmap32 &bitmap, QString *warning, QSize thumbnailBox)
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

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictavelError(QStringLiteral("Cannot open file %1").arg(path));
    const qint64 size = file.size();
    thread_local FileBuffer buffer;
    uint8_t *data = buffer.reserve(size_t(std::max<qint64>(size, 1)));
    if (size < 0 || file.read(reinterpret_cast<char *>(data), size) != size)
        throw PictavelError(QStringLiteral("Cannot open file %1").arg(path));
    file.close();

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

void LoadPicture(const QString &path, TBitmap32 &bitmap, QString *warning)
{
    loadPicture(path, bitmap, warning, QSize());
}

void LoadPictureForThumbnail(const QString &path, TBitmap32 &bitmap, QSize box, QString *warning)
{
    loadPicture(path, bitmap, warning, box);
}
