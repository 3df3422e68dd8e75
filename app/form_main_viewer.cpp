#include "app/error_guard.h"
#include "app/form_main.h"
#include "app/lockable_splitter.h"
#include "imaging/picture_file.h"
#include "imaging/view_geometry.h"

#include <QCoreApplication>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

void TFormMain::connectViewer()
{
    connectGuarded(btnMiddle, &QToolButton::clicked, this, &TFormMain::btnMiddleClick);
    connectGuarded(btnViewThumbs, &QToolButton::clicked, this, &TFormMain::btnViewThumbsClick);
    connectGuarded(btnRedactImage, &QToolButton::clicked, this, &TFormMain::btnRedactImageClick);
    for (QSlider *bar : {ZoomBar, ScaleBar})
        connect(bar, &QSlider::valueChanged, this,
                [this, bar] { runGuarded(this, [&] { ScaleBarChange(bar); }); });
    connectGuarded(btnPrevious, &QToolButton::clicked, this, &TFormMain::btnPreviousClick);
    connectGuarded(btnNext, &QToolButton::clicked, this, &TFormMain::btnNextClick);
    connectGuarded(btnLL, &QToolButton::clicked, this, &TFormMain::btnLLClick);
    for (SpinEdit *spin : {spinW, spinH})
        connectGuarded(spin, &SpinEdit::valueTextChanged, this, &TFormMain::spinHChange);
    connectGuarded(btnSizeI, &QToolButton::clicked, this, &TFormMain::btnSizeIClick);
    connectGuarded(btnVH, &QToolButton::clicked, this, &TFormMain::btnVHClick);
    connectGuarded(btnSizeIm, &QToolButton::clicked, this, &TFormMain::btnSizeImClick);
    connectGuarded(btnCutImage, &QToolButton::clicked, this, &TFormMain::btnCutImageClick);
    connectGuarded(btnRestoreImage, &QToolButton::clicked, this, &TFormMain::btnRestoreImageClick);
}

void TFormMain::btnMiddleClick()
{
    splitBack->setPercent(ViewerPercent);
    FitThumbStrip();
    ImgR->hide();
    pnlResizeImage->hide();
    pnlStatusRes->hide();
    ImageDest->show();
    lblCountThubs->show();
    stpDestPSize->show();
    {
        const QSignalBlocker blocker(btnLL);
        btnLL->setChecked(false);
    }
    ImgR->bitmap().assign(static_cast<const TBitmap32 *>(nullptr));
    releaseBand();
    if (ThumbsCount > 0)
        ShowPreview(Thumbs[CurrentThumb].PicturePath);
}

void TFormMain::btnViewThumbsClick()
{
    pnlStatusRes->hide();
    lblCountThubs->show();
    stpDestPSize->show();
    splitBackImage->setPercent(0);
    splitBack->setPercent(100);
}

void TFormMain::btnRedactImageClick()
{
    if (ThumbsCount == 0)
        return;
    splitBackImage->setPosition(splitBackImage->height() - pnlViewer->height() - 4);
    splitBack->setPercent(100);
    lblCurrentImage->setText(QString::number(CurrentThumb + 1));
    lblCountImage->setText(QString::number(ThumbsCount));
    btnPrevious->setEnabled(CurrentThumb > 0);
    btnNext->setEnabled(CurrentThumb < ThumbsCount - 1);
    ImageDest->hide();
    lblCountThubs->hide();
    stpDestPSize->hide();
    ImgR->show();
    pnlResizeImage->show();
    pnlStatusRes->show();
    UpdateRestoreButton();
    LoadPicture(Thumbs[CurrentThumb].PicturePath, ImgR->bitmap());
    ShowImageSize();
}

void TFormMain::ScaleBarChange(QObject *sender)
{
    ZoomFactor = ZoomFactorOf(ZoomBar->value());
    lblZoom->setText(ZoomText(ZoomFactor));
    ImgR->setScale(ViewScaleOf(ScaleBar->value(), ZoomFactor));
    if (sender == ScaleBar)
        ShowImageSize();
    else if (btnLL->isChecked())
        PlaceBand(TBandPlacement::Centred);
}

void TFormMain::ShowImageSize()
{
    lblImageSize->setText(OutputSizeText(ImgR->FitSize(), ZoomFactor));
}

void TFormMain::btnNextClick()
{
    if (CurrentThumb >= ThumbsCount - 1)
        return;
    btnPrevious->setEnabled(true);
    const int old = CurrentThumb;
    CurrentThumb = old + 1;
    lblCurrentImage->setText(QString::number(old + 2));
    if (ThumbsCount == CurrentThumb + 1)
        btnNext->setEnabled(false);
    stepTo(old);
}

void TFormMain::btnPreviousClick()
{
    if (CurrentThumb <= 0)
        return;
    btnNext->setEnabled(true);
    const int old = CurrentThumb;
    CurrentThumb = old - 1;
    lblCurrentImage->setText(QString::number(old));
    if (CurrentThumb == 0)
        btnPrevious->setEnabled(false);
    stepTo(old);
}

void TFormMain::stepTo(int old)
{
    LoadPicture(Thumbs[CurrentThumb].PicturePath, ImgR->bitmap());
    ShowImageSize();
    UpdateRestoreButton();
    MarkCurrent(old, CurrentThumb);
}
