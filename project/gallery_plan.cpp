#include "project/gallery_plan.h"

#include "base/paths.h"
#include "html/modern_page.h"

#include <QLocale>

#include <memory>

QList<ThumbOutputNames> galleryNames(const NamingSettings &naming,
                                     const QList<SetPicture> &pictures)
{
    QList<ThumbOutputNames> names;
    names.reserve(pictures.size());
    for (int i = 0; i < pictures.size(); ++i) {
        const QString &caption = pictures.at(i).caption;
        names.append({outputFileName(i, TFileKind::Picture, naming, caption),
                      outputFileName(i, TFileKind::Thumbnail, naming, caption)});
    }
    return names;
}

QStringList galleryPage(const PageSettings &page, const NamingSettings &naming,
                        const QList<SetPicture> &pictures)
{
    return generatePage(page, galleryNames(naming, pictures));
}

namespace {

ExportJob emptyJob(const GalleryLayout &layout, const QStringList &pageLines, int jobs)
{
    ExportJob job;
    job.projectFolder = layout.projectFolder;
    job.pictureFolder = layout.pictureFolder;
    job.thumbFolder = layout.thumbFolder;
    job.pictureFolderText = layout.pictureFolderText;
    job.thumbFolderText = layout.thumbFolderText;
    job.pageLines = pageLines;
    job.jobs = jobs;
    job.options = layout.options;
    return job;
}

} // namespace

ExportJob galleryExportJob(const GalleryLayout &layout, const QList<SetPicture> &pictures,
                           const QList<const TBitmap32 *> &cellPixels, const QStringList &pageLines,
                           int jobs)
{
    ExportJob job = emptyJob(layout, pageLines, jobs);
    const QList<ThumbOutputNames> names = galleryNames(layout.naming, pictures);
    job.items.reserve(pictures.size());
    for (int i = 0; i < pictures.size(); ++i) {
        const SetPicture &picture = pictures.at(i);
        job.items.append({picture.picture(), names.at(i).pictureName, names.at(i).thumbName,
                          picture.isEdited(), cellPixels.value(i), layout.thumbBox,
                          picture.thumbRemade ? sfLinear : sfNearest,
                          picture.isEdited() ? picture.source : QString()});
    }
    return job;
}

ExportJob sourcesExportJob(const GalleryLayout &layout, const QStringList &sources, int jobs)
{
    ExportJob job = emptyJob(layout, {}, jobs);
    // Named in set order, one at a time, after the names taken so far.
    const auto nameNext = [naming = layout.naming](const QString &source, QStringList &taken) {
        const int place = int(taken.size());
        const QString caption = finalCaption(place, naming, source, taken);
        const ThumbOutputNames names{outputFileName(place, TFileKind::Picture, naming, caption),
                                     outputFileName(place, TFileKind::Thumbnail, naming, caption)};
        taken << names.pictureName;
        return names;
    };
    // The items' names are those every readable source gets.
    QStringList predicted;
    for (const QString &source : sources) {
        const ThumbOutputNames names = nameNext(source, predicted);
        job.items.append({source,
                          names.pictureName,
                          names.thumbName,
                          false,
                          nullptr,
                          layout.thumbBox,
                          sfNearest,
                          {}});
    }
    auto taken = std::make_shared<QStringList>();
    job.nameReadable = [taken, sources, nameNext](int index) {
        return nameNext(sources.at(index), *taken);
    };
    return job;
}

ExportJob readableEntriesExportJob(const GalleryLayout &layout, const QList<SetPicture> &pictures,
                                   int jobs)
{
    ExportJob job = galleryExportJob(layout, pictures, {}, {}, jobs);
    QStringList captions;
    for (const SetPicture &picture : pictures)
        captions << picture.caption;
    auto named = std::make_shared<int>(0);
    job.nameReadable = [named, captions, naming = layout.naming](int index) {
        const int place = (*named)++;
        const QString &caption = captions.at(index);
        return ThumbOutputNames{outputFileName(place, TFileKind::Picture, naming, caption),
                                outputFileName(place, TFileKind::Thumbnail, naming, caption)};
    };
    return job;
}

namespace {

// The outcomes that were named and written, as the page's cells.
QList<const ExportOutcome *> writtenOutcomes(const QList<ExportOutcome> &outcomes)
{
    QList<const ExportOutcome *> written;
    for (const ExportOutcome &outcome : outcomes)
        if (!outcome.names.pictureName.isEmpty() && outcome.kind != ExportOutcome::Kind::Failed)
            written << &outcome;
    return written;
}

} // namespace

QList<QStringList> modernGalleryPages(const PageSettings &page,
                                      const QList<ThumbOutputNames> &names,
                                      const QList<QSize> &thumbSizes)
{
    QList<ModernPageCell> cells;
    for (qsizetype i = 0; i < names.size(); ++i)
        cells.append({names.at(i), names.at(i).pictureName, thumbSizes.value(i)});
    return generateModernPages(page, cells, QLocale::system().bcp47Name());
}

QList<QStringList> sourcesModernPages(const PageSettings &page,
                                      const QList<ExportOutcome> &outcomes)
{
    QList<ThumbOutputNames> names;
    QList<QSize> sizes;
    for (const ExportOutcome *outcome : writtenOutcomes(outcomes)) {
        names << outcome->names;
        sizes << outcome->thumbSize;
    }
    return modernGalleryPages(page, names, sizes);
}

void planModernExport(ExportJob &job)
{
    job.screenCopyFolder = joinPath(job.projectFolder, QString::fromLatin1(kScreenCopyFolderName));
    job.pageInUtf8 = true;
}

QStringList sourcesPage(const PageSettings &page, const QList<ExportOutcome> &outcomes)
{
    QList<ThumbOutputNames> cells;
    for (const ExportOutcome *outcome : writtenOutcomes(outcomes))
        cells << outcome->names;
    return generatePage(page, cells);
}
