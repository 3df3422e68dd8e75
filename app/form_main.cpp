#include "app/form_main.h"

#include "app/control_settings.h"
#include "app/error_guard.h"
#include "app/lockable_splitter.h"
#include "app/settings_binding.h"
#include "base/pictavel_error.h"
#include "collection/thumb_set.h"
#include "project/profile_list.h"
#include "project/project_folders.h"
#include "project/settings_location.h"
#include "project/settings_table.h"
#include "ui/image32.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

// The button pictures are compiled into the static UI library, whose resource
// initialiser the linker would otherwise drop.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

QStringList comboItems(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

namespace {

// The size the window's controls were placed for; it starts so and grows.
constexpr QSize kDescribedSize(772, 554);

} // namespace

TFormMain::TFormMain(const QString &exeFolder, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    initResources();
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Pictavel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/pictavel.png")));
    // The fixed layout was drawn for a narrow sans-serif of 11 pixels;
    // Liberation Sans (a package dependency) has those widths, where the
    // system's default sans-serif would clip the layout's texts.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);
    setMinimumSize(kDescribedSize);
    resize(kDescribedSize);

    buildProjectPanel();
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setGeometry(0, 43, 772, 511);
    PageControl->setDocumentMode(true);
    // A style sheet gives the controls under it the application's font unless
    // it names one itself; it names the window's.
    PageControl->setStyleSheet(QStringLiteral("QWidget { font-family: \"%1\"; font-size: %2px; }"
                                              "QTabBar::tab { width: 375px; height: 20px; }")
                                   .arg(font.family())
                                   .arg(font.pixelSize()));
    buildThumbsTab();
    buildHtmlTab();
    // The layout keeps "HTML editor" in front; showing the window brings "Thumbs".
    PageControl->setCurrentWidget(TabSheet_SetHTML);

    // Room beyond the described size goes to the tabs: on "Thumbs" through
    // their splitters, on "HTML editor" to the page source.
    Growing.add(pnlDir, GrowingLayout::GrowWidth);
    Growing.add(PageControl, GrowingLayout::GrowWidth | GrowingLayout::GrowHeight);
    bindControlsToSettings(this, Settings);
    ThumbsMadeWith = Settings.exportOptions();
    RoomChanged = new QTimer(this);
    RoomChanged->setSingleShot(true);
    RoomChanged->setInterval(150);
    connect(RoomChanged, &QTimer::timeout, this,
            [this] { runGuarded(this, [this] { relayoutForRoom(); }); });

    FormCreate(exeFolder);
    connectHandlers();
    restoreWindowPlace();
}

TFormMain::~TFormMain()
{
    // Hiding moves the focus, which may still run a handler; after that, no
    // control's signal may reach a window that is being taken apart.
    hide();
    for (QObject *child : findChildren<QObject *>())
        child->disconnect(this);
    FormDestroy();
}

void TFormMain::FormCreate(const QString &exeFolder)
{
    QString folder = exeFolder.isEmpty() ? QCoreApplication::applicationDirPath() : exeFolder;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    ExePath = folder == u"/" ? folder : folder + u'/';
    LayoutCursor = GridCursor();

    // An installed program's folder cannot be written; its profiles then live
    // in the user's configuration folder. Should even that be impossible, the
    // first write reports the file that could not be written.
    QString iniPath;
    try {
        iniPath = settingsFilePath(folder);
    } catch (const PictavelError &) {
        iniPath = ExePath + QStringLiteral("propstor.ini");
    }
    Store = std::make_unique<SettingsStore>(
        iniPath, objectName(), galleryProps(), controlSettingResolver(this),
        [this](const QString &message) { showErrorMessage(this, message); });
}

void TFormMain::FormShow()
{
    PageControl->setCurrentWidget(TabSheet_Thumbs);
    splitBackImage->setLockBar(true);
    FileCount = FileListBox->count();

    SettingsStore &store = *Store;
    QStringList profiles = comboItems(cmbPropProj);
    if (QFileInfo::exists(store.iniPath())) {
        profiles = readProfileNames(store);
        const QSignalBlocker blocker(cmbPropProj);
        cmbPropProj->clear();
        cmbPropProj->addItems(profiles);
    } else {
        writeProfileNames(store, profiles);
        store.setProfile(defaultProfileName());
        store.Save();
    }

    {
        const QSignalBlocker blocker(cmbPropProj);
        cmbPropProj->setCurrentIndex(0);
    }
    cmbPropProjChange();
    lblCountThubs->setText(tr("Миниатюр: ") + QString::number(ThumbsCount));
    chbRenameFClick();
    FileListBoxClick();
    btnMiddleClick();
}

void TFormMain::FormDestroy()
{
    Thumbs.clear();
    ThumbsCount = 0;
}

void TFormMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        runGuarded(this, [this] { FormShow(); });
}

void TFormMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Growing.apply(size() - kDescribedSize);
    RoomChanged->start();
}

void TFormMain::relayoutForRoom()
{
    if (SetBusy || ThumbsCount == 0)
        return;
    GridCursor cursor;
    const QList<QPoint> positions = relayoutPositions(cursor, gridMetrics(), ThumbsCount);
    if (positions.constLast() != Thumbs.constLast().CellPanel->pos())
        RelayoutThumbs(false);
}

void TFormMain::restoreWindowPlace()
{
    const QSettings place(QStringLiteral("Pictavel"), QStringLiteral("window"));
    if (!restoreGeometry(place.value(QStringLiteral("geometry")).toByteArray()))
        centreOnScreen();
}

void TFormMain::saveWindowPlace() const
{
    QSettings place(QStringLiteral("Pictavel"), QStringLiteral("window"));
    place.setValue(QStringLiteral("geometry"), saveGeometry());
}

void TFormMain::centreOnScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TFormMain::connectHandlers()
{
    connectGuarded(cmbPropProj, &QComboBox::activated, this, &TFormMain::cmbPropProjChange);
    connectGuarded(btnSavePropProj, &QToolButton::clicked, this, &TFormMain::btnSavePropProjClick);
    connectGuarded(btnDeletePropProj, &QToolButton::clicked, this,
                   &TFormMain::btnDeletePropProjClick);
    connectGuarded(edtGalerFolder, &QLineEdit::textChanged, this, &TFormMain::edtGalerFolderChange);
    for (QLineEdit *edit : {edtThumbsFolder, edtOrigPref, edtThumbPref})
        connectGuarded(edit, &QLineEdit::textChanged, this, &TFormMain::edtThumbsFolderChange);
    connectGuarded(chbRenameF, &QCheckBox::toggled, this, &TFormMain::chbRenameFClick);
    connectBrowser();
    connectThumbSet();
    connectViewer();
    connectExport();
    connectHtmlTab();
}

void TFormMain::cmbPropProjChange()
{
    btnDeletePropProj->setEnabled(cmbPropProj->currentIndex() > 0);
    Store->setProfile(cmbPropProj->currentText());
    Store->Load();
    deriveEmptyLinkPrefixes();
    // A setting loaded after the page's last rebuild, the columns for one,
    // raises no rebuild of its own.
    GenerateHtml();
    recordSet();
}

void TFormMain::deriveEmptyLinkPrefixes()
{
    edtHref->setText(loadedLinkPrefix(edtHref->text(), edtGalerFolder->text()));
    edtSrc->setText(loadedLinkPrefix(edtSrc->text(), edtThumbsFolder->text()));
}

bool TFormMain::acceptProfileName(const QString &name)
{
    if (!name.contains(u'|') && !name.contains(u'\n') && !name.contains(u'\r'))
        return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pictavel"),
                    tr("Имя профиля не может содержать символ «|» или перевод строки. "
                       "Параметры не сохранены."),
                    QMessageBox::Ok, this);
    box.exec();
    return false;
}

void TFormMain::btnSavePropProjClick()
{
    QInputDialog dialog(this);
    dialog.setWindowTitle(tr("Сохранение параметров проекта"));
    dialog.setLabelText(tr("Сохранить параметры как..."));
    // Wide enough for the window manager to show the whole title beside its
    // buttons.
    dialog.setMinimumWidth(dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) * 3 / 2 +
                           160);
    dialog.setTextValue(cmbPropProj->currentText());
    if (auto *edit = dialog.findChild<QLineEdit *>()) {
        edit->setMaxLength(255);
        edit->selectAll();
    }
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString name = dialog.textValue().left(255);
    if (!acceptProfileName(name))
        return;

    SettingsStore &store = *Store;
    if (name != cmbPropProj->currentText()) {
        // Sections compare without regard to case, so a name that differs from
        // a stored one only in case is that profile.
        int existing = -1;
        for (int i = 0; i < cmbPropProj->count() && existing < 0; ++i) {
            if (cmbPropProj->itemText(i).compare(name, Qt::CaseInsensitive) == 0)
                existing = i;
        }
        if (existing >= 0) {
            // Overwrite that profile with the settings on show, without loading it.
            {
                const QSignalBlocker blocker(cmbPropProj);
                cmbPropProj->setCurrentIndex(existing);
            }
            btnDeletePropProj->setEnabled(existing > 0);
            name = cmbPropProj->itemText(existing);
        } else {
            {
                const QSignalBlocker blocker(cmbPropProj);
                cmbPropProj->addItem(name);
                cmbPropProj->setCurrentIndex(cmbPropProj->count() - 1);
            }
            writeProfileNames(store, comboItems(cmbPropProj));
            // A name without a section yet has nothing to load: the settings
            // on show, the options and a hand-edited page included, are the
            // ones it is saved with.
            btnDeletePropProj->setEnabled(true);
        }
    }
    store.setProfile(name);
    store.Save();
    recordSet();
}

void TFormMain::btnDeletePropProjClick()
{
    const int selected = cmbPropProj->currentIndex();
    if (selected <= 0)
        return;
    SettingsStore &store = *Store;
    store.EraseProfile(cmbPropProj->currentText());
    {
        const QSignalBlocker blocker(cmbPropProj);
        cmbPropProj->removeItem(selected);
    }
    writeProfileNames(store, comboItems(cmbPropProj));
    {
        const QSignalBlocker blocker(cmbPropProj);
        cmbPropProj->setCurrentIndex(0);
    }
    btnDeletePropProj->setEnabled(false);
    store.setProfile(defaultProfileName());
    store.Load();
    deriveEmptyLinkPrefixes();
    GenerateHtml();
    recordSet();
}

void TFormMain::edtGalerFolderChange()
{
    // The model derived the folder and its link prefix as the text changed.
    edtHref->setText(Settings.pictureLinkPrefix());
    GalleryPath = Settings.galleryPath();
    recordSet();
}

void TFormMain::edtThumbsFolderChange()
{
    edtSrc->setText(Settings.thumbLinkPrefix());
    ThumbsPath = Settings.thumbsPath();
    // Equal folders would give a picture and its thumbnail the same file.
    if (sameFolderText(Settings.galleryFolderText(), Settings.thumbsFolderText())) {
        chbRenameF->setChecked(true);
        chbRenameFClick();
    }
    recordSet();
}

void TFormMain::chbRenameFClick()
{
    const bool renaming = chbRenameF->isChecked();
    for (QWidget *prefix : renamingPrefixControls())
        prefix->setEnabled(renaming);
    // The thumbnail files an earlier export wrote carry the names of the
    // naming in force before this pass.
    NamingSettings before = namingSettings();
    before.renaming = RenamingWasOn;
    QStringList previousThumbnailNames;
    for (int i = 0; i < ThumbsCount; ++i)
        previousThumbnailNames << outputFileName(i, TFileKind::Thumbnail, before,
                                                 Thumbs[i].CaptionLabel->text());
    QList<SetPicture> entries = setPictures();
    ThumbSet set(entries, namingSettings(), projectFolders());
    if (renaming)
        set.renameToNumbers(previousThumbnailNames);
    else
        set.renameToSources();
    showSetPictures(entries);
    RenamingWasOn = renaming;
    GenerateHtml();
    recordSet();
}

void TFormMain::checkOutputTexts() const
{
    Settings.checkFolderTexts();
}

NamingSettings TFormMain::namingSettings() const
{
    return Settings.naming();
}

QString TFormMain::OutputFileName(int index, TFileKind kind) const
{
    return outputFileName(index, kind, namingSettings(), Thumbs.at(index).CaptionLabel->text());
}
