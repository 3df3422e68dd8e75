#include "app/clear_project_question.h"
#include "app/error_guard.h"
#include "app/form_main.h"
#include "app/lockable_splitter.h"
#include "app/project_folder_dialog.h"
#include "base/paths.h"
#include "base/pictavel_error.h"
#include "collection/thumb_set.h"
#include "imaging/picture_prefetch.h"
#include "ui/image32.h"
#include "ui/thumb_cell.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopeGuard>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>

void TFormMain::connectThumbSet()
{
    // After the settings' binding, so that the handler reads the new option.
    connectGuarded(findChild<QCheckBox *>(QStringLiteral("chbSmoothThumbs")), &QCheckBox::toggled,
                   this, &TFormMain::thumbnailOptionChanged);
    connectGuarded(btnClearSelecthumb, &QToolButton::clicked, this,
                   &TFormMain::btnClearSelecthumbClick);
    connectGuarded(btnClearAllProject, &QToolButton::clicked, this,
                   &TFormMain::btnClearAllProjectClick);
    connectGuarded(btnRefreshTumb, &QToolButton::clicked, this, &TFormMain::btnRefreshTumbClick);
    connect(bteDirProject->findChild<QAction *>(QStringLiteral("bteDirProjectButton")),
            &QAction::triggered, this,
            [this] { runGuarded(this, [this] { bteDirProjectButtonClick(); }); });
}

SetPicture TFormMain::setPictureOf(const TThumbsCollection &thumb)
{
    const bool edited = !thumb.OriginalPath.isEmpty();
    return {edited ? thumb.OriginalPath : thumb.PicturePath, edited ? thumb.PicturePath : QString(),
            thumb.CaptionLabel->text(), thumb.ThumbRemade};
}

QList<SetPicture> TFormMain::setPictures() const
{
    QList<SetPicture> pictures;
    pictures.reserve(ThumbsCount);
    for (int i = 0; i < ThumbsCount; ++i)
        pictures.append(setPictureOf(Thumbs.at(i)));
    return pictures;
}

void TFormMain::showSetPictures(const QList<SetPicture> &pictures)
{
    for (int i = 0; i < pictures.size(); ++i) {
        const SetPicture &picture = pictures.at(i);
        Thumbs[i].PicturePath = picture.picture();
        Thumbs[i].OriginalPath = picture.isEdited() ? picture.source : QString();
        Thumbs[i].CaptionLabel->setText(picture.caption);
        Thumbs[i].ThumbRemade = picture.thumbRemade;
    }
}

ProjectFolders TFormMain::projectFolders() const
{
    return {ProjectPath, GalleryPath, ThumbsPath};
}

void TFormMain::showThumbCount()
{
    lblCountThubs->setText(tr("Миниатюр: ") + QString::number(ThumbsCount));
}

void TFormMain::enableSetButtons(bool enabled)
{
    for (QToolButton *button : {btnRedactImage, btnViewThumbs, btnClearSelecthumb, btnRefreshTumb})
        button->setEnabled(enabled);
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    // Long work (an add, a reopening, Start) lets the window's events in
    // while its pictures are decoded or written; closing then stops an add
    // after the picture in hand, lets Start finish the gallery, and closes
    // afterwards.
    if (SetBusy) {
        CloseRequested = true;
        event->ignore();
        return;
    }
    // The settings in effect stay with the set, saved in a profile or not.
    runGuarded(this, [this] { recordSet(); });
    saveWindowPlace();
    QWidget::closeEvent(event);
}

void TFormMain::beginGrowingSet()
{
    // The project panel would start a renaming pass or a profile load over a
    // set that is still growing; it waits until the set is done.
    SetBusy = true;
    pnlDir->setEnabled(false);
}

void TFormMain::endGrowingSet()
{
    SetBusy = false;
    pnlDir->setEnabled(true);
    if (CloseRequested)
        QTimer::singleShot(0, this, &QWidget::close);
}

void TFormMain::btnADDThumbClick()
{
    if (SetBusy)
        return;
    beginGrowingSet();
    auto done = qScopeGuard([this] { endGrowingSet(); });
    RelayoutThumbs(false);
    if (ProjectPath.isEmpty()) {
        done.dismiss();
        endGrowingSet();
        AskProjectFolder();
        return;
    }
    scrbThumbs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The other processors decode the next selected pictures while this
    // thread shows the current one; the steps below stay those of one thread.
    std::unique_ptr<PicturePrefetch> ahead;
    if (jobCount() > 1) {
        QStringList selected;
        for (int i = 0; i < FileListBox->count(); ++i)
            if (FileListBox->item(i)->isSelected())
                selected << joinPath(FileFolder, FileListBox->item(i)->text());
        ahead = std::make_unique<PicturePrefetch>(selected, jobCount());
    }
    AddAhead = ahead.get();
    const auto forgetAhead = qScopeGuard([this] { AddAhead = nullptr; });
    int lastAdded = 0;
    QStringList unreadable;
    for (int i = 0; i < FileListBox->count() && !CloseRequested; ++i) {
        QListWidgetItem *item = FileListBox->item(i);
        if (!item->isSelected())
            continue;
        const QString path = joinPath(FileFolder, item->text());
        // The picture is read before its cell is made: one that cannot be
        // read gets no cell and no name, and the add goes on with the rest.
        try {
            if (QFileInfo(path).isFile())
                pictureForThumb(path, splitBackImage->firstPaneOpen());
        } catch (const PictavelError &error) {
            unreadable << path + QStringLiteral(": ") + error.message();
            item->setSelected(false);
            lastAdded = i;
            continue;
        }
        AddThumb(path);
        showThumbCount();
        item->setSelected(false);
        lastAdded = i;
    }
    if (QListWidgetItem *last = FileListBox->item(lastAdded)) {
        last->setSelected(true);
        FileListBox->setCurrentItem(last, QItemSelectionModel::NoUpdate);
    }
    if (ThumbsCount > 0) {
        enableSetButtons(true);
        scrbThumbs->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        FitThumbStrip();
    }
    recordSet();
    if (!unreadable.isEmpty())
        throw PictavelError(tr("These pictures could not be read and were not added:\n") +
                            unreadable.join(u'\n'));
}

void TFormMain::btnClearSelecthumbClick()
{
    if (SetBusy || ThumbsCount == 0)
        return;
    SetBusy = true;
    const auto done = qScopeGuard([this] { SetBusy = false; });
    btnClearSelecthumb->setEnabled(false);
    const int c = CurrentThumb;
    const int count = ThumbsCount;
    QList<SetPicture> entries = setPictures();
    ThumbSet set(entries, namingSettings(), projectFolders());
    if (count > 1 && c >= count - 1) {
        MarkCurrent(c - 1, c - 1);
        CurrentThumb = count - 2;
    }
    for (int b = c; b < count - 1; ++b) {
        Thumbs[b].ThumbImage->bitmap().assign(&Thumbs[b + 1].ThumbImage->bitmap());
        placeThumb(Thumbs[b].ThumbImage);
    }
    set.remove(c);
    showSetPictures(entries);

    ThumbsCount = count - 1;
    delete Thumbs.takeLast().CellPanel;
    if (SwapPending && thumbIndexOf(SwapSource.CaptionLabel) >= ThumbsCount)
        endPendingExchange();
    if (ThumbsCount > 0)
        ShowPreview(Thumbs[CurrentThumb].PicturePath);
    showThumbCount();
    RelayoutThumbs(false);
    btnClearSelecthumb->setEnabled(true);
    if (ThumbsCount == 0) {
        enableSetButtons(false);
        CurrentThumb = 0;
        emptyPreview();
        forgetRecordedSet();
    }
    recordSet();
}

void TFormMain::btnClearAllProjectClick()
{
    if (SetBusy)
        return;
    // The button sits where a window's close button usually is; the files
    // go only when the user says so.
    const bool hadSet = ThumbsCount > 0;
    if (hadSet && !askToClearProject(this, Thumbs))
        return;
    QList<SetPicture> entries = setPictures();
    ThumbSet(entries, namingSettings(), projectFolders()).deleteProjectFiles();
    while (!Thumbs.isEmpty())
        delete Thumbs.takeLast().CellPanel;
    endPendingExchange();
    LayoutCursor = GridCursor();
    ThumbsCount = 0;
    CurrentThumb = 0;
    fitGridContent();
    showThumbCount();
    emptyPreview();
    enableSetButtons(false);
    if (hadSet)
        forgetRecordedSet();
    GenerateHtml();
}

void TFormMain::btnRefreshTumbClick()
{
    if (SetBusy)
        return;
    SetBusy = true;
    const auto done = qScopeGuard([this] { SetBusy = false; });
    RelayoutThumbs(true);
}

void TFormMain::thumbnailOptionChanged()
{
    // The cells are made again when their thumbnails would come out
    // otherwise now.
    const ExportOptions options = Settings.exportOptions();
    const bool remake = !thumbnailsMadeAlike(options, ThumbsMadeWith);
    ThumbsMadeWith = options;
    if (remake && ThumbsCount > 0)
        btnRefreshTumbClick();
}

void TFormMain::bteDirProjectButtonClick()
{
    const bool chosen = DirDialogProject->execute();
    takeProjectFolder();
    if (chosen)
        projectFolderChosen();
}

void TFormMain::AskProjectFolder()
{
    DirDialogProject->setWindowTitle(tr("Укажите путь для сохранения проекта."));
    const auto titled =
        qScopeGuard([this] { DirDialogProject->setWindowTitle(tr("Обзор папок")); });
    if (!DirDialogProject->execute())
        return;
    takeProjectFolder();
    projectFolderChosen();
    btnADDThumbClick();
}

void TFormMain::takeProjectFolder()
{
    bteDirProject->setText(DirDialogProject->directory());
    ProjectPath = bteDirProject->text();
    Settings.chooseProjectFolder(ProjectPath);
    edtGalerFolderChange();
    edtThumbsFolderChange();
}

void TFormMain::endPendingExchange()
{
    SwapPending = false;
    SwapSource = TThumbsCollection();
}

void TFormMain::ThumbDblClick(QObject *sender)
{
    if (SetBusy || ThumbsCount == 0)
        return;
    QList<SetPicture> entries = setPictures();
    ThumbSet set(entries, namingSettings(), projectFolders());
    if (!SwapPending) {
        SwapSource = Thumbs[CurrentThumb];
        set.beginExchange(CurrentThumb);
        SwapPending = true;
        return;
    }
    const int b = CurrentThumb;
    const int a = thumbIndexOf(SwapSource.CaptionLabel);
    const SetPicture sourceAtBegin = setPictureOf(SwapSource);
    TBitmap32 fromSource;
    fromSource.assign(&SwapSource.ThumbImage->bitmap());
    TBitmap32 kept;
    kept.assign(&Thumbs[b].ThumbImage->bitmap());
    Thumbs[b].ThumbImage->bitmap().assign(&fromSource);
    placeThumb(Thumbs[b].ThumbImage);
    Thumbs[a].ThumbImage->bitmap().assign(&kept);
    placeThumb(Thumbs[a].ThumbImage);
    set.finishExchange(a, sourceAtBegin, b);
    showSetPictures(entries);
    ThumbClick(sender);
    endPendingExchange();
    recordSet();
}
