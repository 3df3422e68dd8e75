#include "app/control_settings.h"
#include "app/error_guard.h"
#include "app/form_main.h"
#include "app/lockable_splitter.h"
#include "app/reopen_question.h"
#include "base/pictavel_error.h"
#include "collection/thumb_set.h"
#include "project/gallery_record.h"
#include "project/settings_store.h"
#include "project/settings_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSignalBlocker>

void TFormMain::recordSet()
{
    if (ProjectPath.isEmpty() || ThumbsCount == 0)
        return;
    GalleryRecord record{ProjectPath,
                         cmbPropProj->currentText(),
                         Settings.galleryFolderText(),
                         Settings.thumbsFolderText(),
                         namingSettings(),
                         setPictures(),
                         storedSettings(galleryProps(), Settings.resolver())};
    saveGalleryRecord(record);
}

void TFormMain::forgetRecordedSet()
{
    if (!ProjectPath.isEmpty())
        removeGalleryRecord(ProjectPath);
}

void TFormMain::projectFolderChosen()
{
    if (ThumbsCount > 0) {
        recordSet();
        return;
    }
    // A record that cannot be read is no reason to keep the folder from
    // opening; the set simply starts empty, as it always did.
    std::optional<GalleryRecord> record;
    try {
        record = loadGalleryRecord(ProjectPath);
    } catch (const PictavelError &) {
        return;
    }
    if (record && !record->pictures.isEmpty() &&
        askToReopenSet(this, ProjectPath, int(record->pictures.size())))
        reopenSet(*record);
}

void TFormMain::applyRecordedTexts(const GalleryRecord &record)
{
    const int profile = cmbPropProj->findText(record.profile, Qt::MatchFixedString);
    if (profile >= 0) {
        {
            const QSignalBlocker blocker(cmbPropProj);
            cmbPropProj->setCurrentIndex(profile);
        }
        cmbPropProjChange();
    }
    // The settings in effect when the set was recorded, over its profile.
    applyStoredSettings(galleryProps(), controlSettingResolver(this), record.settings);
    {
        const QSignalBlocker galleryBlocker(edtGalerFolder);
        const QSignalBlocker thumbsBlocker(edtThumbsFolder);
        const QSignalBlocker pictureBlocker(edtOrigPref);
        const QSignalBlocker thumbnailBlocker(edtThumbPref);
        const QSignalBlocker renamingBlocker(chbRenameF);
        edtGalerFolder->setText(record.galleryFolderText);
        edtThumbsFolder->setText(record.thumbsFolderText);
        edtOrigPref->setText(record.naming.picturePrefix);
        edtThumbPref->setText(record.naming.thumbnailPrefix);
        chbRenameF->setChecked(record.naming.renaming);
    }
    Settings.applyProjectTexts(record.galleryFolderText, record.thumbsFolderText, record.naming);
    // As after choosing the folder: the folders and link prefixes follow the
    // texts, then the renaming state, over a set that is still empty.
    edtGalerFolderChange();
    edtThumbsFolderChange();
    chbRenameFClick();
}

void TFormMain::reopenSet(const GalleryRecord &record)
{
    applyRecordedTexts(record);
    beginGrowingSet();
    const auto done = qScopeGuard([this] { endGrowingSet(); });
    RelayoutThumbs(false);
    scrbThumbs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QList<SetPicture> entries = record.pictures;
    QStringList leftOut;
    for (int place = 0; place < entries.size() && !CloseRequested;) {
        const SetPicture &entry = entries.at(place);
        QString missing = missingRecordedFile(entry.source, entry.edited);
        if (missing.isEmpty()) {
            try {
                pictureForThumb(entry.picture(), splitBackImage->firstPaneOpen());
            } catch (const PictavelError &error) {
                missing = entry.picture() + QStringLiteral(": ") + error.message();
            }
        }
        if (!missing.isEmpty()) {
            // Numbered files move down a place as when the thumbnail is
            // removed, so that each edited copy keeps its thumbnail's name.
            leftOut << missing;
            if (chbRenameF->isChecked())
                ThumbSet(entries, namingSettings(), projectFolders()).remove(place);
            else
                entries.removeAt(place);
            continue;
        }
        AddThumb(entry.picture());
        TThumbsCollection &thumb = Thumbs.last();
        thumb.OriginalPath = entry.isEdited() ? entry.source : QString();
        // Numbered names follow the places; the others came with the picture.
        if (!chbRenameF->isChecked())
            thumb.CaptionLabel->setText(entry.caption);
        if (entry.thumbRemade)
            RenderThumb(thumb.ThumbImage, thumb.PicturePath, true);
        showThumbCount();
        ++place;
    }
    if (ThumbsCount > 0) {
        enableSetButtons(true);
        scrbThumbs->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        FitThumbStrip();
    }
    GenerateHtml();
    // A close in between leaves the record whole for the next start.
    if (!CloseRequested)
        recordSet();
    if (!leftOut.isEmpty())
        showErrorMessage(this, tr("These pictures could not be reopened and were "
                                  "left out of the set:\n") +
                                   leftOut.join(u'\n'));
}
