#include "app/error_guard.h"
#include "app/form_main.h"
#include "base/paths.h"
#include "collection/picture_folder.h"
#include "imaging/picture_file.h"
#include "ui/image32.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QTreeView>

void TFormMain::connectBrowser()
{
    // Read at once, not when the model has loaded the folder in the background.
    connect(DirectoryTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                runGuarded(this, [&] { readFileList(FolderModel->filePath(current)); });
            });
    connectGuarded(DirectoryTree, &QTreeView::clicked, this, &TFormMain::DirectoryTreeClick);
    connectGuarded(FileListBox, &QListWidget::currentItemChanged, this,
                   &TFormMain::FileListBoxChange);
    connectGuarded(FileListBox, &QListWidget::itemSelectionChanged, this,
                   &TFormMain::FileListBoxClick);
    connectGuarded(FileListBox, &QListWidget::itemDoubleClicked, this,
                   &TFormMain::FileListBoxDblClick);
    connectGuarded(btnADDThumb, &QToolButton::clicked, this, &TFormMain::btnADDThumbClick);
    FileListBox->installEventFilter(this);
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{

    if (watched == FileListBox && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            runGuarded(this, [this] { FileListBoxKeyPress(QChar(13)); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormMain::readFileList(const QString &folder)
{
    FileFolder = folder;
    const QStringList names = listPictureFiles(folder);
    static const QFileIconProvider icons;
    {
        const QSignalBlocker blocker(FileListBox);
        FileListBox->clear();
        for (const QString &name : names)
            new QListWidgetItem(icons.icon(QFileInfo(joinPath(folder, name))), name, FileListBox);
    }
    // The total follows the list however its folder was reached: a click or
    // the keyboard in the tree.
    FileCount = FileListBox->count();
    FileListBoxChange();
}

void TFormMain::DirectoryTreeClick()
{
    FileCount = FileListBox->count();
    FileListBoxClick();
}

void TFormMain::FileListBoxChange()
{
    btnADDThumb->setEnabled(FileListBox->count() > 0);
}

void TFormMain::FileListBoxClick()
{
    stpSelCount->setText(
        tr("Выбрано: %1 из %2").arg(FileListBox->selectedItems().size()).arg(FileCount));
    const QListWidgetItem *focused = FileListBox->currentItem();
    ShowPreview(focused && focused->isSelected() ? joinPath(FileFolder, focused->text())
                                                 : QString());
}

void TFormMain::FileListBoxDblClick()
{
    btnADDThumbClick();
}

void TFormMain::FileListBoxKeyPress(QChar key)
{
    if (key == QChar(13))
        btnADDThumbClick();
}

void TFormMain::ShowPreview(const QString &path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        return;
    // The preview is a convenience: a picture that cannot be shown leaves it as
    // it was, without a message.
    try {
        const FileStamp stamp = FileStamp::of(path);
        if (!stamp.matches(PreviewShows)) {
            if (stamp.matches(DecodedHolds)) {
                ImageDest->bitmap().swapPixels(DecodedPicture);
                std::swap(PreviewShows, DecodedHolds);
            } else {
                PreviewShows = {};
                LoadPicture(path, ImageDest->bitmap());
                PreviewShows = stamp;
            }
        }
        stpDestFSize->setText(fileSizeText(file.size()));
        stpDestPSize->setText(QStringLiteral("%1x%2")
                                  .arg(ImageDest->bitmap().width())
                                  .arg(ImageDest->bitmap().height()));
    } catch (const std::exception &) {
        // What a failed load left in the preview is no file's picture.
    }
}

void TFormMain::emptyPreview()
{
    ImageDest->bitmap().assign(static_cast<const TBitmap32 *>(nullptr));
    PreviewShows = {};
}
