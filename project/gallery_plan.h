#pragma once

#include "export/gallery_export.h"
#include "html/page_generator.h"
#include "project/output_names.h"
#include "project/set_picture.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// Where a gallery is written, how its files are named and the box of its
// thumbnails: what the window's controls or a saved profile give. The page's
// look comes with PageSettings.
struct GalleryLayout
{
    QString projectFolder;
    QString pictureFolder;
    QString thumbFolder;
    NamingSettings naming;
    // The box every thumbnail is fitted into.
    QSize thumbBox;
    ExportOptions options;
    // The folder texts the two folders come from, which a refusal names.
    QString pictureFolderText{};
    QString thumbFolderText{};
};

// The output names of every thumbnail, in set order.
QList<ThumbOutputNames> galleryNames(const NamingSettings &naming,
                                     const QList<SetPicture> &pictures);

// The page of a set.
QStringList galleryPage(const PageSettings &page, const NamingSettings &naming,
                        const QList<SetPicture> &pictures);

// The export of a set whose pictures have all been read, as the window holds
// it: every thumbnail under its names, written from the cells' pixels
// (`cellPixels`, one for each picture) or, without them, made from the
// pictures; `pageLines` as the page.
ExportJob galleryExportJob(const GalleryLayout &layout, const QList<SetPicture> &pictures,
                           const QList<const TBitmap32 *> &cellPixels, const QStringList &pageLines,
                           int jobs);

// The export of pictures that have not been read yet, as an add would take
// them: the pictures that can be read are captioned and named in order as the
// add names them, the others are left out. The page follows from what was
// named: sourcesPage().
ExportJob sourcesExportJob(const GalleryLayout &layout, const QStringList &sources, int jobs);
QStringList sourcesPage(const PageSettings &page, const QList<ExportOutcome> &outcomes);

// The modern page and its further pages (generateModernPages) of thumbnails
// under these names, of these sizes, in the language of the system, and the
// same of what an export of sources named and wrote.
QList<QStringList> modernGalleryPages(const PageSettings &page,
                                      const QList<ThumbOutputNames> &names,
                                      const QList<QSize> &thumbSizes);
QList<QStringList> sourcesModernPages(const PageSettings &page,
                                      const QList<ExportOutcome> &outcomes);

// What an export writes for the modern page besides its files: the
// screen-sized copies in the project folder's view folder, and the page in
// UTF-8.
void planModernExport(ExportJob &job);

// The export of a set whose pictures have not been read yet, with their
// captions and edited copies: a picture that cannot be read is left out and
// those after it take its place, as an add leaves out what it cannot read.
// Their thumbnails are made from the pictures. The page follows from what was
// named: sourcesPage().
ExportJob readableEntriesExportJob(const GalleryLayout &layout, const QList<SetPicture> &pictures,
                                   int jobs);
