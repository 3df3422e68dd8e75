#include "html/gallery_export.h"

#include "base/pictavel_error.h"
#include "base/text_file.h"
#include "imaging/picture_file.h"
#include "imaging/thumbnail.h"
#include "project/project_folders.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Writes one item's files; false when its source no longer exists, in which
// case nothing of it that needs the source is written.
bool exportItem(ExportWorkspace &work, const ExportJob &job, const ExportItem &item)
{
    // A thumbnail made here needs the source first; ready pixels are written
    // before the source is read, as the grid shows them whatever the file.
    const bool madeHere = !item.thumbPixels;
    if (madeHere && !work.loadSource(item.sourcePath))
        return false;
    ensureFolder(job.thumbFolder);
    WriteJpegFile(joinPath(job.thumbFolder, item.thumbName),
                  madeHere ? work.makeThumbnail(item.thumbBox) : *item.thumbPixels,
                  kExportJpegQuality);
    if (item.edited)
        return true;
    if (!madeHere && !work.loadSource(item.sourcePath))
        return false;
    work.writePicture(joinPath(job.pictureFolder, item.pictureName));
    return true;
}

QString passedOverMessage(const QList<const ExportItem *> &items)
{
    QString message = QStringLiteral("The gallery was written without these pictures:");
    for (const ExportItem *item : items)
        message += QStringLiteral("\n%1: its source file %2 no longer exists")
                       .arg(item->pictureName, item->sourcePath);
    return message;
}

} // namespace

void ensureFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return;
    // Another thread may make it between the test and mkdir.
    if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir())
        throw PictavelError(QStringLiteral("Cannot create folder %1").arg(folder));
}

bool ExportWorkspace::loadSource(const QString &path)
{
    // Emptied first, because the GIF decoder draws onto the pixels of a
    // bitmap that already has its size, and every file must come from its
    // own source alone. The area goes back to the pixel pool, from which the
    // decoder takes it again.
    m_picture.setSize(0, 0);
    try {
        LoadPicture(path, m_picture);
    } catch (const PictavelError &error) {
        // The decoders' own texts do not say which file they were reading.
        if (error.message().contains(path))
            throw;
        throw PictavelError(path + QStringLiteral(": ") + error.message());
    }
    return !m_picture.empty();
}

const TBitmap32 &ExportWorkspace::makeThumbnail(const QSize &box)
{
    m_picture.setStretchFilter(sfNearest);
    MakeThumbnail(m_picture, box.width(), box.height(), m_thumb);
    return m_thumb;
}

void ExportWorkspace::writePicture(const QString &path) const
{
    WriteJpegFile(path, m_picture, kExportJpegQuality);
}

void exportGallery(const ExportJob &job, const ExportProgress &onProgress)
{
    ensureFolder(job.pictureFolder);
    ExportWorkspace work;
    QList<const ExportItem *> passedOver;
    const int total = int(job.items.size());
    for (int i = 0; i < total; ++i) {
        const ExportItem &item = job.items.at(i);
        if (!exportItem(work, job, item))
            passedOver << &item;
        if (onProgress)
            onProgress(i + 1, total);
    }
    writeTextFile1251(joinPath(job.projectFolder, QString::fromLatin1(kPageFileName)),
                      job.pageLines);
    if (!passedOver.isEmpty())
        throw PictavelError(passedOverMessage(passedOver));
}
