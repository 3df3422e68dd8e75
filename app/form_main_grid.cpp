#include "app/error_guard.h"
#include "app/form_main.h"
#include "app/lockable_splitter.h"
#include "app/off_the_window.h"
#include "export/gallery_export.h"
#include "imaging/picture_file.h"
#include "imaging/picture_prefetch.h"
#include "imaging/thumbnail.h"
#include "ui/image32.h"
#include "ui/thumb_cell.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>

GridMetrics TFormMain::gridMetrics() const
{
    // A row takes more cells only from room beyond the described size.
    const bool roomy = width() > minimumWidth();
    return {Settings.columns(), Settings.thumbBox().width(), Settings.thumbBox().height(),
            roomy ? scrbThumbs->viewport()->width() : 0};
}

void TFormMain::AddThumb(const QString &path)
{
    const int previous = CurrentThumb;
    const int n = ThumbsCount;
    CurrentThumb = n;
    ThumbsCount = n + 1;
    const GridMetrics metrics = gridMetrics();
    advanceForNewCell(LayoutCursor, metrics, ThumbsCount);

    auto *cell = new ThumbCell(scrbThumbs->widget(), n, metrics.maxWidth, metrics.maxHeight);
    cell->move(LayoutCursor.position());
    connect(cell, &ThumbCell::clicked, this,
            [this](QObject *sender) { runGuarded(this, [&] { ThumbClick(sender); }); });
    // A double-click always follows its click; one that arrives alone still
    // acts on the thumbnail it was made on.
    connect(cell, &ThumbCell::doubleClicked, this, [this](QObject *sender) {
        runGuarded(this, [&] {
            if (thumbIndexOf(sender) != CurrentThumb)
                ThumbClick(sender);
            ThumbDblClick(sender);
        });
    });
    TThumbsCollection record;
    record.PicturePath = path;
    record.CellPanel = cell;
    record.ThumbImage = cell->image();
    record.CaptionLabel = cell->caption();
    Thumbs.append(record);
    fitGridContent();
    cell->show();

    cell->caption()->setText(provisionalCaption(n, namingSettings(), path));
    try {
        cell->image()->hide();
        TBitmap32 *picture = nullptr;
        if (QFileInfo(path).isFile()) {
            picture = &pictureForThumb(path, splitBackImage->firstPaneOpen());
            if (thumbnailFromReduced(path, false))
                picture = &reducedPicture(path);
        }
        renderThumbFrom(cell->image(), picture);
        cell->image()->show();
    } catch (...) {
        // The cell stays, captioned provisionally; it is the current one.
        MarkCurrent(previous, n);
        throw;
    }
    QStringList earlierNames;
    for (int i = 0; i < n; ++i)
        earlierNames << OutputFileName(i, TFileKind::Picture);
    cell->caption()->setText(finalCaption(n, namingSettings(), path, earlierNames));
    MarkCurrent(previous, n);
    scrbThumbs->verticalScrollBar()->setValue(2 * LayoutCursor.cellTop + 1);
}

TBitmap32 &TFormMain::pictureForThumb(const QString &path, bool intoPreview)
{
    const FileStamp stamp = FileStamp::of(path);
    if (stamp.matches(PreviewShows))
        return ImageDest->bitmap();
    if (!stamp.matches(DecodedHolds)) {
        DecodedHolds = {};
        // Decoded off the window, which answers its events meanwhile.
        runOffTheWindow([&] {
            if (AddAhead)
                AddAhead->load(path, DecodedPicture);
            else
                LoadPicture(path, DecodedPicture);
        });
        DecodedHolds = stamp;
    }
    if (!intoPreview)
        return DecodedPicture;
    ImageDest->bitmap().swapPixels(DecodedPicture);
    std::swap(PreviewShows, DecodedHolds);
    return ImageDest->bitmap();
}

void TFormMain::RenderThumb(TImage32 *image, const QString &path, bool reload)
{
    image->hide();
    // An averaged thumbnail made again at another size from itself would not
    // be the one its picture gives; it is made from the picture instead.
    const bool resized = Settings.exportOptions().smoothThumbs && fittedSizeChanges(image);
    const bool fromFile = (reload || resized) && QFileInfo(path).isFile();
    bool edited = false;
    for (const TThumbsCollection &thumb : std::as_const(Thumbs))
        if (thumb.ThumbImage == image)
            edited = !thumb.OriginalPath.isEmpty();
    const bool reduced = fromFile && thumbnailFromReduced(path, edited);
    if (fromFile && !reduced) {
        DecodedHolds = {};
        const FileStamp stamp = FileStamp::of(path);
        runOffTheWindow([&] { LoadPicture(path, DecodedPicture); });
        DecodedHolds = stamp;
    }
    TBitmap32 *picture = !fromFile ? nullptr : reduced ? &reducedPicture(path) : &DecodedPicture;
    renderThumbFrom(image, picture);
    if (fromFile) {
        for (TThumbsCollection &thumb : Thumbs)
            thumb.ThumbRemade = thumb.ThumbRemade || thumb.ThumbImage == image;
    }
    image->show();
}

void TFormMain::renderThumbFrom(TImage32 *image, TBitmap32 *picture)
{
    TBitmap32 &own = image->bitmap();
    TBitmap32 &source = picture ? *picture : own;
    // Resampled with the control's own filter: nearest for a fresh cell, the
    // linear one that every thumbnail carries afterwards.
    const TStretchFilter sourceFilter = source.stretchFilter();
    source.setStretchFilter(own.stretchFilter());
    TBitmap32 thumb;
    MakeThumbnail(source, image->width(), image->height(), thumb,
                  Settings.exportOptions().smoothThumbs);
    source.setStretchFilter(sourceFilter);
    thumb.setStretchFilter(sfLinear);
    own.assign(&thumb);
    placeThumb(image);
}

bool TFormMain::thumbnailFromReduced(const QString &path, bool edited) const
{
    return thumbnailFromReducedSource(Settings.exportOptions(), edited, path);
}

TBitmap32 &TFormMain::reducedPicture(const QString &path)
{
    const QSize box = Settings.thumbBox();
    runOffTheWindow([&] { LoadPictureForThumbnail(path, ReducedPicture, box); });
    return ReducedPicture;
}

bool TFormMain::fittedSizeChanges(TImage32 *image)
{
    const TBitmap32 &own = image->bitmap();
    return ThumbnailSize(own.width(), own.height(), image->width(), image->height()) !=
           QSize(own.width(), own.height());
}

void TFormMain::placeThumb(TImage32 *image)
{
    const QPoint offset = thumbOffset(image->size(), image->FitSize());
    image->setOffsetHorz(float(offset.x()));
    image->setOffsetVert(float(offset.y()));
}

void TFormMain::fitGridContent()
{
    QSize extent(0, 0);
    for (const TThumbsCollection &thumb : std::as_const(Thumbs)) {
        const QRect place = thumb.CellPanel->geometry();
        extent = extent.expandedTo(QSize(place.right() + 3, place.bottom() + 3));
    }
    scrbThumbs->widget()->resize(extent);
}

void TFormMain::RelayoutThumbs(bool reload)
{
    scrbThumbs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (splitBackImage->firstPaneOpen())
        FitThumbStrip();
    const GridMetrics metrics = gridMetrics();
    const QList<QPoint> positions = relayoutPositions(LayoutCursor, metrics, ThumbsCount);
    if (ThumbsCount != 0) {
        for (int i = ThumbsCount - 1; i >= 0; --i)
            Thumbs[i].CellPanel->hide();
        for (int i = 0; i < ThumbsCount; ++i) {
            auto *cell = static_cast<ThumbCell *>(Thumbs[i].CellPanel);
            cell->move(positions[i]);
            cell->setBoxSize(metrics.maxWidth, metrics.maxHeight);
            cell->show();
            fitGridContent();
            RenderThumb(Thumbs[i].ThumbImage, Thumbs[i].PicturePath, reload);
        }
        scrbThumbs->verticalScrollBar()->setValue(2 * LayoutCursor.cellTop);
    }
    fitGridContent();
    scrbThumbs->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TFormMain::FitThumbStrip()
{
    splitBackImage->setPosition(thumbStripPosition(splitBackImage->height(), pnlViewer->height(),
                                                   scrbThumbs->viewport()->width(), gridMetrics(),
                                                   ThumbsCount));
}

void TFormMain::ThumbClick(QObject *sender)
{
    const int index = thumbIndexOf(sender);
    if (index < 0 || index >= ThumbsCount)
        return;
    const int old = CurrentThumb;
    CurrentThumb = index;
    MarkCurrent(old, CurrentThumb);
}

void TFormMain::MarkCurrent(int oldIndex, int newIndex)
{
    if (oldIndex >= 0 && oldIndex < ThumbsCount)
        static_cast<ThumbCell *>(Thumbs[oldIndex].CellPanel)->setCurrent(false);
    if (newIndex < 0 || newIndex >= ThumbsCount)
        return;
    static_cast<ThumbCell *>(Thumbs[newIndex].CellPanel)->setCurrent(true);
    if (splitBackImage->firstPaneOpen())
        ShowPreview(Thumbs[newIndex].PicturePath);
}
