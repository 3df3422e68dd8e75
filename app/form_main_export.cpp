#include "app/error_guard.h"
#include "app/form_main.h"
#include "app/gallery_progress_bar.h"
#include "app/off_the_window.h"
#include "base/paths.h"
#include "collection/thumb_set.h"
#include "export/gallery_export.h"
#include "imaging/picture_file.h"
#include "project/gallery_plan.h"
#include "ui/image32.h"
#include "ui/source_pane.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QThread>
#include <QUrl>

#include <memory>
#include <vector>

void TFormMain::connectExport()
{
    connectGuarded(btnStart, &QPushButton::clicked, this, &TFormMain::btnStartClick);
    connectGuarded(btnPreview, &QPushButton::clicked, this, &TFormMain::btnPreviewClick);
    connectGuarded(chbKeepOriginals, &QCheckBox::toggled, this, &TFormMain::thumbnailOptionChanged);
}

void TFormMain::btnStartClick()
{
    if (SetBusy)
        return;
    if (ProjectPath.isEmpty()) {
        AskProjectFolder();
        return;
    }
    checkOutputTexts();
    if (ThumbsCount >= 1)
        ProgressBar->setTotal(ThumbsCount - 1);
    // The window stays open to the user while the workers write, so they
    // take the cells' pixels as they are now.
    std::vector<std::unique_ptr<TBitmap32>> pixels;
    QList<const TBitmap32 *> cellPixels;
    for (int i = 0; i < ThumbsCount; ++i) {
        pixels.push_back(std::make_unique<TBitmap32>());
        pixels.back()->assign(&Thumbs.at(i).ThumbImage->bitmap());
        cellPixels << pixels.back().get();
    }
    ExportJob job =
        galleryExportJob(galleryLayout(), setPictures(), cellPixels, CL->lines(), jobCount());
    // The source pane holds the modern page itself; its further pages follow
    // from the set.
    if (Settings.modernPage()) {
        planModernExport(job);
        job.morePages = modernPages().mid(1);
    }
    QStringList notices;
    job.onNotice = [&notices](const QString &notice) {
        notices << notice;
    };
    beginGrowingSet();
    const auto done = qScopeGuard([this] { endGrowingSet(); });
    // The bar shows the place among 0 ... N - 1 of the last thumbnail written
    // with all those before it.
    runOffTheWindow([&] {
        exportGallery(job, [this](int written, int, const ExportOutcome &) {
            QMetaObject::invokeMethod(
                this, [this, written] { ProgressBar->setCompleted(written - 1); },
                Qt::QueuedConnection);
        });
    });
    // The gallery as published: its settings go with the set.
    recordSet();
    if (!notices.isEmpty())
        QMessageBox(QMessageBox::Warning, QStringLiteral("Pictavel"), notices.join(u'\n'),
                    QMessageBox::Ok, this)
            .exec();
}

void TFormMain::refuseReplacingSetSource(const QString &output, TFileKind kind) const
{
    QList<SetPicture> entries = setPictures();
    const bool thumbnail = kind == TFileKind::Thumbnail;
    refuseReplacingSource(ThumbSet(entries, namingSettings(), projectFolders()).sources(), output,
                          thumbnail ? OutputFolder::Thumbnails : OutputFolder::Pictures,
                          thumbnail ? Settings.thumbsFolderText() : Settings.galleryFolderText(),
                          SpareCheck::BeforeAnything);
}

GalleryLayout TFormMain::galleryLayout() const
{
    return Settings.layout();
}

void TFormMain::setJobs(int jobs)
{
    Jobs = jobs;
}

int TFormMain::jobCount() const
{
    return Jobs > 0 ? Jobs : QThread::idealThreadCount();
}

void TFormMain::SaveThumbnail(int index)
{
    checkOutputTexts();
    const QString path = joinPath(ThumbsPath, OutputFileName(index, TFileKind::Thumbnail));
    refuseReplacingSetSource(path, TFileKind::Thumbnail);
    ensureFolder(ThumbsPath);
    WriteJpegFile(path, Thumbs.at(index).ThumbImage->bitmap(), kExportJpegQuality);
}

void TFormMain::btnPreviewClick()
{
    if (ProjectPath.isEmpty()) {
        AskProjectFolder();
        return;
    }
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(joinPath(ProjectPath, QString::fromLatin1(kPageFileName))));
    ProgressBar->empty();
}
