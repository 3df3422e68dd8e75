#include "app/form_main.h"
#include "base/paths.h"
#include "base/pictavel_error.h"
#include "collection/project_files.h"
#include "collection/thumb_set.h"
#include "export/gallery_export.h"
#include "imaging/crop_geometry.h"
#include "imaging/edge_frame.h"
#include "imaging/picture_cut.h"
#include "imaging/picture_file.h"
#include "imaging/view_geometry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSlider>
#include <QToolButton>

namespace {

// A spin edit's number as its text gives it; an empty or unreadable text is 0.
int spinNumber(const SpinEdit *spin)
{
    bool ok = false;
    const int value = spin->cleanText().toInt(&ok);
    return ok ? value : 0;
}

} // namespace

void TFormMain::btnLLClick()
{
    const bool on = btnLL->isChecked();
    btnSizeI->setEnabled(on);
    btnSizeIm->setEnabled(on);
    if (on) {
        CreateBand();
        RubberBand->setVisible(false);
        PlaceBand(TBandPlacement::Centred);
        RubberBand->setVisible(true);
    } else {
        releaseBand();
    }
}

void TFormMain::CreateBand()
{
    if (ImgR->layerCount() > 0)
        return;
    RubberBand = TRubberbandLayer::create(*ImgR);
    RubberBand->setMinWidth(1.0f);
    RubberBand->setMinHeight(1.0f);
    RubberBand->setInsideCursor(Qt::SizeAllCursor);
    connect(RubberBand, &TRubberbandLayer::resizing, this, &TFormMain::OnBandResizing);
}

void TFormMain::releaseBand()
{
    if (!RubberBand)
        return;
    ImgR->removeLayer(RubberBand);
    RubberBand = nullptr;
}

void TFormMain::PlaceBand(TBandPlacement placement)
{
    if (!RubberBand)
        return;
    const int w = spinNumber(spinW);
    const int h = spinNumber(spinH);
    const TFloatRect band = RubberBand->band();
    RubberBand->setBand(placement == TBandPlacement::Centred
                            ? CentredBand(ImgR->viewportRect(), w, h, ZoomFactor)
                            : CornerBand(band.left, band.top, w, h, ZoomFactor));
}

void TFormMain::OnBandResizing([[maybe_unused]] const QRectF &oldLocation,
                               const QRectF &newLocation)
{
    ApplySpinsToBand = false;
    const auto done = qScopeGuard([this] { ApplySpinsToBand = true; });
    const QSize output = BandOutputSize(newLocation, ZoomFactor);
    spinW->setValue(output.width());
    spinH->setValue(output.height());
}

void TFormMain::spinHChange()
{
    if (RubberBand && ApplySpinsToBand)
        PlaceBand(TBandPlacement::KeepCorner);
}

void TFormMain::btnSizeIClick()
{
    if (!RubberBand)
        return;
    const TRect shown = ImgR->BitmapRect();
    TFloatRect band = RubberBand->band();
    band.right += float(shown.left) - band.left;
    band.bottom += float(shown.top) - band.top;
    band.left = float(shown.left);
    band.top = float(shown.top);
    RubberBand->setBand(band);
    spinW->setValue(OutputPixels(shown.width(), ZoomFactor));
    spinH->setValue(OutputPixels(shown.height(), ZoomFactor));
}

void TFormMain::btnVHClick()
{
    if (!RubberBand)
        return;
    const int w = spinNumber(spinW);
    const int h = spinNumber(spinH);
    spinH->setValue(w);
    spinW->setValue(h);
    PlaceBand(TBandPlacement::KeepCorner);
}

void TFormMain::btnSizeImClick()
{
    if (!RubberBand)
        return;
    PlaceBand(TBandPlacement::Centred);
    const QRectF frame = RubberBand->location();
    const auto shownWidth = [this] {
        return ImgR->FitSize().width();
    };
    const auto shownHeight = [this] {
        return ImgR->FitSize().height();
    };
    const int w = shownWidth();
    const int h = shownHeight();
    // The picture's shorter side is brought near the frame's matching side,
    // one scale step at a time, until the bar reaches its end.
    const auto step = [this](int by) {
        ScaleBar->setValue(ScaleBar->value() + by);
        return ScaleBar->value() != (by < 0 ? ScaleBar->minimum() : ScaleBar->maximum());
    };
    if (w > frame.width() && h > frame.height()) {
        if (h > w) {
            while (shownWidth() - 6 > frame.width() && step(-1)) {
            }
        } else if (w > h) {
            while (shownHeight() - 6 > frame.height() && step(-1)) {
            }
        }
    } else if (h > w) {
        while (shownWidth() - 6 < frame.width() && step(1)) {
        }
    } else if (w > h) {
        while (shownHeight() - 6 < frame.height() && step(1)) {
        }
    }
}

void TFormMain::btnCutImageClick()
{
    // An export in progress publishes the picture as it was.
    if (!RubberBand || ThumbsCount == 0 || SetBusy)
        return;
    checkOutputTexts();
    const int w = spinNumber(spinW);
    const int h = spinNumber(spinH);
    // An empty frame would write an empty picture over the edited copy.
    if (w <= 0 || h <= 0)
        throw PictavelError(tr("Рамка обрезки пуста: задайте ей ширину и высоту больше нуля."));
    const TCutPlan plan = PlanCut(ImgR->FitSize(), ImgR->BitmapRect(), RubberBand->band(), w, h,
                                  qMin(spinW->maximum(), spinH->maximum()), ZoomFactor);
    btnLL->setChecked(false);
    btnLLClick();
    // A frame reaching outside the picture leaves the whole picture, resized.
    CutPicture(ImgR->bitmap(), plan);
    ScaleBar->setValue(0);
    if (btnKant->isChecked()) {
        const QSize output = OutputSize(ImgR->FitSize(), ZoomFactor);
        DrawEdgeFrame(ImgR->bitmap(), TRect{0, 0, output.width(), output.height()});
        ImgR->update();
    }
    SaveEditedPicture();
    ShowImageSize();
}

void TFormMain::SaveEditedPicture()
{
    checkOutputTexts();
    ensureFolder(GalleryPath);
    TThumbsCollection &rec = Thumbs[CurrentThumb];
    const QString edited = joinPath(GalleryPath, OutputFileName(CurrentThumb, TFileKind::Picture));
    refuseReplacingSetSource(edited, TFileKind::Picture);
    // The record follows the file: it changes only once the copy is written.
    WriteJpegFile(edited, ImgR->bitmap(), kExportJpegQuality);
    if (rec.OriginalPath.isEmpty())
        rec.OriginalPath = rec.PicturePath;
    rec.PicturePath = edited;
    RenderThumb(rec.ThumbImage, rec.PicturePath, true);
    UpdateRestoreButton();
    recordSet();
}

void TFormMain::UpdateRestoreButton()
{
    btnRestoreImage->setEnabled(ThumbsCount > 0 && !Thumbs[CurrentThumb].OriginalPath.isEmpty());
}

void TFormMain::btnRestoreImageClick()
{
    if (ThumbsCount == 0 || Thumbs[CurrentThumb].OriginalPath.isEmpty() || SetBusy)
        return;
    TThumbsCollection &rec = Thumbs[CurrentThumb];
    LoadPicture(rec.OriginalPath, ImgR->bitmap());
    const QString edited = rec.PicturePath;
    rec.PicturePath = rec.OriginalPath;
    rec.OriginalPath.clear();
    // Only the copy an edit wrote goes; a source picture is never deleted.
    QList<SetPicture> entries = setPictures();
    if (!ThumbSet(entries, namingSettings(), projectFolders()).isSource(edited))
        ProjectFiles::deleteFile(edited);
    RenderThumb(rec.ThumbImage, rec.PicturePath, true);
    UpdateRestoreButton();
    ShowImageSize();
    recordSet();
}
