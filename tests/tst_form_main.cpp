#include "app/form_main.h"
#include "app/hint_delay_style.h"
#include "collection/picture_folder.h"
#include "modal_dialogs.h"
#include "project/gallery_settings.h"
#include "project/profile_list.h"
#include "project/settings_table.h"
#include "test_files.h"
#include "ui/image32.h"
#include "ui/source_pane.h"
#include "window_controls.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFontInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <memory>

namespace {

const QByteArray DefaultProfileLines =
    "btnKant.Down=0\r\nchbBold.Checked=0\r\nchbItalic.Checked=0\r\nchbRenameF.Checked=0\r\n"
    "chbUnderline.Checked=0\r\ncmbFontHeader.Text=\r\ncmbFontSize.Text=\r\ncmbTarget.Text=\r\n"
    "edtBgColor.Text=#FFFFFF\r\nedtBGColorPage.Text=#FFFFFF\r\nedtBordColor.Text=\r\n"
    "edtBordColorD.Text=\r\nedtBordColorL.Text=\r\nedtColorFont.Text=\r\n"
    "edtGalerFolder.Text=\\gal\r\nedtHeader.Text=\r\nedtHref.Text=\r\nedtSrc.Text=\r\n"
    "edtTextColorPage.Text=#000000\r\nedtThumbsFolder.Text=\\thumb\r\n"
    "edtTitle.Text=Untitled Document\r\npnlBgColor.Color=16777215\r\n"
    "pnlBGColorPage.Color=16777215\r\npnlBordColor.Color=16777215\r\n"
    "pnlBordColorD.Color=16777215\r\npnlBordColorL.Color=16777215\r\n"
    "pnlColorFont.Color=16777215\r\npnlTextColorPage.Color=0\r\nrdbAlignTab.ItemIndex=1\r\n"
    "spinBorder.Value=0\r\nspinBorderImg.Value=0\r\nspinCellPad.Value=2\r\nspinCellSpac.Value=0\r\n"
    "spinCounCol.Value=5\r\nspinH.Value=300\r\nspinLeftMargin.Value=0\r\nspinMaxH.Value=110\r\n"
    "spinMaxW.Value=110\r\nspinTopMargin.Value=0\r\nspinW.Value=400\r\n";

// Types the name into the save dialog and confirms it.
void answerSaveDialog(const QString &name, QString *title = nullptr, QString *prefill = nullptr)
{
    answerNextModal<QInputDialog>([=](QInputDialog *dialog) {
        if (title)
            *title = dialog->windowTitle();
        if (prefill)
            *prefill = dialog->textValue();
        dialog->setTextValue(name);
        dialog->accept();
    });
}

} // namespace

class TestFormMain : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartWritesDefaultProfile();
    void settingsWithoutTheWindowStartTheSame();
    void secondStartReadsListBack();
    void controlsStartAsLaidOut_data();
    void controlsStartAsLaidOut();
    void windowStartsAtItsSizeOnThumbs();
    void longestTextsShowWhole();
    void storedValuesAreClampedAndParsed();
    void numbersAreClampedWhenLeftOrStepped();
    void hintsWaitOneSecond();
    void saveAsNewNameOverwriteAndDelete();
    void saveRefusesNamesThatWouldSplit();
    void saveOverExistingNameSelectsIt();
    void switchingProfilesReplacesUnsavedChanges();
    void loadDerivesFolderPrefixesInListOrder();
    void equalFolderTextsForceRenaming();
    void unwritableFolderShowsMessagesAndKeepsFiles();
    void emptyStoredListFallsBackToDefault();
    void folderTreeStaysWhereTheUserPutsIt();

private:
    std::unique_ptr<TFormMain> showWindow();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_iniPath;
};

void TestFormMain::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_iniPath = m_dir->filePath(QStringLiteral("propstor.ini"));
}

void TestFormMain::cleanup()
{
    m_dir.reset();
}

std::unique_ptr<TFormMain> TestFormMain::showWindow()
{
    auto window = std::make_unique<TFormMain>(m_dir->path());
    window->show();
    return window;
}

void TestFormMain::firstStartWritesDefaultProfile()
{
    auto window = showWindow();
    QCOMPARE(readBytes(m_iniPath),
             "[PropertyProject]\r\nNameProp=Default|\r\n[DefaultDefault]\r\n" +
                 DefaultProfileLines);
    auto *profiles = control<QComboBox>(window.get(), "cmbPropProj");
    QCOMPARE(profiles->count(), 1);
    QCOMPARE(profiles->currentText(), QStringLiteral("Default"));
    QVERIFY(!control<QToolButton>(window.get(), "btnDeletePropProj")->isEnabled());
    QCOMPARE(window->exePath(), m_dir->path() + u'/');
}

void TestFormMain::settingsWithoutTheWindowStartTheSame()
{
    auto window = showWindow();
    GallerySettings settings;
    const QString other = m_dir->filePath(QStringLiteral("other.ini"));
    SettingsStore store(other, QStringLiteral("FormMain"), galleryProps(), settings.resolver(),
                        [](const QString &message) { QFAIL(qPrintable(message)); });
    writeProfileNames(store, {defaultProfileName()});
    store.setProfile(defaultProfileName());
    store.Save();
    QCOMPARE(readBytes(other), readBytes(m_iniPath));
}

void TestFormMain::secondStartReadsListBack()
{
    writeBytes(m_iniPath, "[PropertyProject]\r\nNameProp=Default|Summer trip|\r\n"
                          "[DefaultDefault]\r\nedtTitle.Text=\xC3\xE0\xEB\xE5\xF0\xE5\xFF\r\n"
                          "[Summer tripSummer trip]\r\nedtTitle.Text=Trip\r\n");
    auto window = showWindow();
    auto *profiles = control<QComboBox>(window.get(), "cmbPropProj");
    QCOMPARE(profiles->count(), 2);
    QCOMPARE(profiles->itemText(1), QStringLiteral("Summer trip"));
    QCOMPARE(profiles->currentIndex(), 0);
    QCOMPARE(control<QLineEdit>(window.get(), "edtTitle")->text(), QStringLiteral("Галерея"));
    // Nothing is written at a later start.
    QVERIFY(!readBytes(m_iniPath).contains("spinW"));
}

void TestFormMain::controlsStartAsLaidOut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("hidden");
    auto row = [](const char *name, const QString &hint, bool enabled = true, bool hidden = false) {
        QTest::newRow(name) << QString::fromLatin1(name) << hint << enabled << hidden;
    };
    row("btnSavePropProj", QStringLiteral("Save parameters as.."));
    row("btnDeletePropProj", QStringLiteral("Delete current parameters from list"), false);
    row("bteDirProject", QStringLiteral("Project path"));
    row("edtGalerFolder", QStringLiteral("Thumbs folder"));
    row("edtThumbsFolder", QStringLiteral("Папка для сохранения миниатюр"));
    row("edtOrigPref", QStringLiteral("Thumbs folder"), false);
    row("edtThumbPref", QStringLiteral("Thumbs folder"), false);
    row("lblOrigPref", QString(), false);
    row("lblThumbPref", QString(), false);
    row("btnClearAllProject", QStringLiteral("Delete project"));
    // Enabled exactly when the working folder, where the file list opens, has pictures.
    row("btnADDThumb", QStringLiteral("create thumbs from file"),
        !listPictureFiles(QDir::currentPath()).isEmpty());
    row("btnRedactImage", QStringLiteral("Change size and scrap of originals"), false);
    row("btnMiddle", QStringLiteral("Resore"));
    row("btnViewThumbs", QStringLiteral("Full screen"), false);
    row("spinCounCol", QStringLiteral("Thumbs columns"));
    row("btnRefreshTumb", QStringLiteral("Restore tumbs"), false);
    row("btnClearSelecthumb", QStringLiteral("Delete selected thumbs"), false);
    row("ImageDest", QStringLiteral("Thumbs space"));
    row("ImgR", QString(), true, true);
    row("pnlResizeImage", QString(), true, true);
    row("pnlStatusRes", QString(), true, true);
    row("ZoomBar", QStringLiteral("Reduction scale of the image"));
    row("btnSizeI", QStringLiteral("Go crop"), false);
    row("btnSizeIm", QStringLiteral("Selecy crop"), false);
    row("btnVH", QStringLiteral("circl 90 "));
    row("btnRestoreImage", QStringLiteral("Incert origin imahe"));
    row("btnPrevious", QStringLiteral("Prevuouse image"));
    row("pnlBgColor", QStringLiteral("cells backgroubd color"));
    row("rdbAlignTab", QStringLiteral("Cells arrangement"));
    row("btnCutSelText", QStringLiteral("crop"));
}

void TestFormMain::controlsStartAsLaidOut()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    QFETCH(bool, enabled);
    QFETCH(bool, hidden);
    auto window = showWindow();
    auto *widget = window->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->toolTip(), hint);
    QCOMPARE(widget->isEnabled(), enabled);
    QCOMPARE(widget->isHidden(), hidden);
}

void TestFormMain::windowStartsAtItsSizeOnThumbs()
{
    auto window = showWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Pictavel"));
    // It starts at the size its controls were placed for, may grow from there
    // and comes back at the size it was closed with.
    QCOMPARE(window->size(), QSize(772, 554));
    QCOMPARE(window->minimumSize(), QSize(772, 554));
    QVERIFY(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    window->resize(1000, 700);
    QVERIFY(window->close());
    QCOMPARE(showWindow()->size(), QSize(1000, 700));
    auto *tabs = control<QTabWidget>(window.get(), "PageControl");
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("TabSheet_Thumbs"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("HTML editor"));
    QCOMPARE(control<QLabel>(window.get(), "lblCountThubs")->text(), QStringLiteral("Миниатюр: 0"));
    QCOMPARE(control<QLabel>(window.get(), "stpSelCount")->text(),
             QStringLiteral("Выбрано: 0 из 0"));
    QCOMPARE(control<QLineEdit>(window.get(), "edtOrigPref")->text(), QStringLiteral("A_"));
    QCOMPARE(control<QLineEdit>(window.get(), "edtThumbPref")->text(), QStringLiteral("B_"));
    auto *preview = control<TImage32>(window.get(), "ImageDest");
    QCOMPARE(preview->scaleMode(), smResize);
    QCOMPARE(preview->bitmapAlign(), baCenter);
    QCOMPARE(preview->bitmap().stretchFilter(), sfLinear);
    auto *fonts = control<QComboBox>(window.get(), "cmbFontSize");
    QCOMPARE(fonts->count(), 21);
    QCOMPARE(fonts->itemText(7), QStringLiteral("+1"));
    QCOMPARE(fonts->currentText(), QString());
}

void TestFormMain::longestTextsShowWhole()
{
    auto window = showWindow();
    const std::pair<const char *, QString> longest[] = {
        {"stpSelCount", QStringLiteral("Выбрано: 24 из 24")},
        // A 24-megapixel photograph's file.
        {"stpDestFSize", QStringLiteral("24999.9 KB")},
        {"stpDestPSize", QStringLiteral("6000x4000")},
        {"lblCountThubs", QStringLiteral("Миниатюр: 24")},
    };
    for (const auto &[name, text] : longest)
        control<QLabel>(window.get(), name)->setText(text);
    // At the described size, maximised on a common screen and on a large one:
    // every label and pane on show on either tab, in the window's font, whole
    // and inside the window; the panes that take the room grow with it.
    // An option list of the page opens as wide as its longest entry.
    for (const QComboBox *list :
         control<QWidget>(window.get(), "TabSheet_SetHTML")->findChildren<QComboBox *>())
        for (int i = 0; i < list->count(); ++i)
            QVERIFY2(list->fontMetrics().horizontalAdvance(list->itemText(i)) <
                         list->view()->minimumWidth(),
                     qPrintable(list->itemText(i)));
    const char *panes[] = {"ImageDest", "scrbThumbs", "FileListBox", "DirectoryTree", "CL"};
    QMap<QString, QSize> before;
    auto *tabs = control<QTabWidget>(window.get(), "PageControl");
    for (const QSize size : {QSize(772, 554), QSize(1280, 900), QSize(1920, 1080)}) {
        window->resize(size);
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            for (const QLabel *label : window->findChildren<QLabel *>()) {
                if (!label->isVisible() || label->text().isEmpty())
                    continue;
                QCOMPARE(QFontInfo(label->font()).family(), QStringLiteral("Liberation Sans"));
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <=
                             label->contentsRect().width(),
                         qPrintable(label->text()));
                // The text, where it stands: some labels' boxes reach past it.
                const QRect place(label->mapTo(window.get(), label->contentsRect().topLeft()),
                                  QSize(label->fontMetrics().horizontalAdvance(label->text()),
                                        label->contentsRect().height()));
                QVERIFY2(window->rect().contains(place), qPrintable(label->text()));
            }
            for (const char *name : panes) {
                const QWidget *pane = control<QWidget>(window.get(), name);
                if (!pane->isVisible())
                    continue;
                QVERIFY2(!before.contains(name) || (pane->width() > before[name].width() &&
                                                    pane->height() >= before[name].height()),
                         name);
                before[name] = pane->size();
            }
        }
    }
}

void TestFormMain::storedValuesAreClampedAndParsed()
{
    writeBytes(m_iniPath, "[PropertyProject]\r\nNameProp=Default|\r\n[DefaultDefault]\r\n"
                          "spinMaxW.Value=500\r\nspinCounCol.Value=0x1E\r\nspinMaxH.Value=abc\r\n"
                          "rdbAlignTab.ItemIndex=7\r\nspinW.Value=1e2\r\nbtnKant.Down=1\r\n"
                          "pnlBgColor.Color=$FF\r\n");
    auto window = showWindow();
    QCOMPARE(control<QSpinBox>(window.get(), "spinMaxW")->value(), 200);
    QCOMPARE(control<QSpinBox>(window.get(), "spinCounCol")->value(), 30);
    QCOMPARE(control<QSpinBox>(window.get(), "spinMaxH")->value(), 110);
    QCOMPARE(control<QSpinBox>(window.get(), "spinW")->value(), 100);
    QVERIFY(control<QToolButton>(window.get(), "btnKant")->isChecked());
    // Saving writes the clamped values back.
    answerSaveDialog(QStringLiteral("Default"));
    window->btnSavePropProjClick();
    const QByteArray stored = readBytes(m_iniPath);
    QVERIFY(stored.contains("spinMaxW.Value=200\r\n"));
    QVERIFY(stored.contains("rdbAlignTab.ItemIndex=2\r\n"));
    QVERIFY(stored.contains("pnlBgColor.Color=255\r\n"));
}

void TestFormMain::numbersAreClampedWhenLeftOrStepped()
{
    auto window = showWindow();
    QApplication::setActiveWindow(window.get());
    auto *margin = control<QSpinBox>(window.get(), "spinLeftMargin");
    auto *field = margin->findChild<QLineEdit *>();
    margin->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "350");
    QCOMPARE(field->text(), QStringLiteral("350"));
    control<QLineEdit>(window.get(), "edtTitle")->setFocus();
    QCOMPARE(field->text(), QStringLiteral("300"));
    QCOMPARE(margin->value(), 300);

    margin->setFocus();
    field->clear();
    control<QLineEdit>(window.get(), "edtTitle")->setFocus();
    QCOMPARE(margin->value(), 0);

    auto *width = control<QSpinBox>(window.get(), "spinMaxW");
    QCOMPARE(width->singleStep(), 5);
    width->setValue(198);
    width->stepUp();
    QCOMPARE(width->value(), 200);
    width->setValue(20);
    QCOMPARE(width->value(), 60);
}

void TestFormMain::hintsWaitOneSecond()
{
    const HintDelayStyle style;
    QCOMPARE(style.styleHint(QStyle::SH_ToolTip_WakeUpDelay), 1000);
}

void TestFormMain::saveAsNewNameOverwriteAndDelete()
{
    auto window = showWindow();
    auto *profiles = control<QComboBox>(window.get(), "cmbPropProj");
    auto *deleteButton = control<QToolButton>(window.get(), "btnDeletePropProj");
    auto *title = control<QLineEdit>(window.get(), "edtTitle");

    title->setText(QStringLiteral("Trip title"));
    // A new name stores what is on show: both options and the hand edit stay.
    for (const char *option : {"chbSmoothThumbs", "chbKeepOriginals"})
        control<QCheckBox>(window.get(), option)->setChecked(true);
    auto *page = control<HtmlSourcePane>(window.get(), "CL");
    page->setPlainText(page->toPlainText() + QStringLiteral("<!-- by hand -->"));
    QString dialogTitle, prefill;
    answerSaveDialog(QStringLiteral("Trip"), &dialogTitle, &prefill);
    QTest::mouseClick(control<QToolButton>(window.get(), "btnSavePropProj"), Qt::LeftButton);
    QVERIFY(page->toPlainText().endsWith(QStringLiteral("<!-- by hand -->")));
    for (const char *option : {"chbSmoothThumbs", "chbKeepOriginals"}) {
        QVERIFY(control<QCheckBox>(window.get(), option)->isChecked());
        QVERIFY(readBytes(m_iniPath).contains(option + QByteArray(".Checked=1\r\n")));
    }
    QCOMPARE(dialogTitle, QStringLiteral("Сохранение параметров проекта"));
    QCOMPARE(prefill, QStringLiteral("Default"));
    QCOMPARE(profiles->count(), 2);
    QCOMPARE(profiles->currentText(), QStringLiteral("Trip"));
    QVERIFY(deleteButton->isEnabled());
    QByteArray stored = readBytes(m_iniPath);
    QVERIFY(stored.startsWith("[PropertyProject]\r\nNameProp=Default|Trip|\r\n"));
    QVERIFY(stored.contains("[TripTrip]\r\nbtnKant.Down=0\r\n"));
    QVERIFY(stored.contains("edtTitle.Text=Trip title\r\n"));
    QVERIFY(stored.contains("edtTitle.Text=Untitled Document\r\n"));

    // Overwriting "Default" keeps the list as it is.
    {
        const QSignalBlocker blocker(profiles);
        profiles->setCurrentIndex(0);
    }
    window->cmbPropProjChange();
    QCOMPARE(title->text(), QStringLiteral("Untitled Document"));
    title->setText(QStringLiteral("New default"));
    answerSaveDialog(QStringLiteral("Default"));
    window->btnSavePropProjClick();
    stored = readBytes(m_iniPath);
    QVERIFY(stored.contains("NameProp=Default|Trip|\r\n"));
    QVERIFY(stored.contains("[DefaultDefault]\r\nbtnKant.Down=0"));
    QVERIFY(!stored.contains("Untitled Document"));

    // Deleting Trip removes its section and loads "Default".
    {
        const QSignalBlocker blocker(profiles);
        profiles->setCurrentIndex(1);
    }
    window->cmbPropProjChange();
    QCOMPARE(title->text(), QStringLiteral("Trip title"));
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    QCOMPARE(profiles->count(), 1);
    QCOMPARE(profiles->currentText(), QStringLiteral("Default"));
    QVERIFY(!deleteButton->isEnabled());
    QCOMPARE(title->text(), QStringLiteral("New default"));
    stored = readBytes(m_iniPath);
    QVERIFY(stored.contains("NameProp=Default|\r\n"));
    QVERIFY(!stored.contains("TripTrip"));
}

void TestFormMain::saveRefusesNamesThatWouldSplit()
{
    auto window = showWindow();
    const QByteArray before = readBytes(m_iniPath);
    QStringList messages;
    answerSaveDialog(QStringLiteral("a|b"));
    answerMessage(&messages);
    window->btnSavePropProjClick();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().startsWith(QStringLiteral("Pictavel|")));
    QCOMPARE(control<QComboBox>(window.get(), "cmbPropProj")->count(), 1);
    QCOMPARE(readBytes(m_iniPath), before);
}

void TestFormMain::saveOverExistingNameSelectsIt()
{
    writeBytes(m_iniPath, "[PropertyProject]\r\nNameProp=Default|Trip|\r\n"
                          "[TripTrip]\r\nedtTitle.Text=Old trip\r\n");
    auto window = showWindow();
    auto *profiles = control<QComboBox>(window.get(), "cmbPropProj");
    control<QLineEdit>(window.get(), "edtTitle")->setText(QStringLiteral("Current"));
    answerSaveDialog(QStringLiteral("trip"));
    window->btnSavePropProjClick();
    QCOMPARE(profiles->count(), 2);
    QCOMPARE(profiles->currentText(), QStringLiteral("Trip"));
    QVERIFY(control<QToolButton>(window.get(), "btnDeletePropProj")->isEnabled());
    const QByteArray stored = readBytes(m_iniPath);
    QVERIFY(stored.contains("NameProp=Default|Trip|\r\n"));
    QVERIFY(stored.contains("edtTitle.Text=Current\r\n"));
    QVERIFY(!stored.contains("Old trip"));
}

void TestFormMain::switchingProfilesReplacesUnsavedChanges()
{
    writeBytes(m_iniPath, "[PropertyProject]\r\nNameProp=Default|Trip|\r\n"
                          "[TripTrip]\r\nedtHeader.Text=Stored header\r\n");
    auto window = showWindow();
    auto *header = control<QLineEdit>(window.get(), "edtHeader");
    auto *title = control<QLineEdit>(window.get(), "edtTitle");
    header->setText(QStringLiteral("Unsaved"));
    title->setText(QStringLiteral("Kept title"));
    auto *profiles = control<QComboBox>(window.get(), "cmbPropProj");
    {
        const QSignalBlocker blocker(profiles);
        profiles->setCurrentIndex(1);
    }
    window->cmbPropProjChange();
    QCOMPARE(header->text(), QStringLiteral("Stored header"));
    // A key the section lacks leaves its setting as it is.
    QCOMPARE(title->text(), QStringLiteral("Kept title"));
}

void TestFormMain::loadDerivesFolderPrefixesInListOrder()
{
    writeBytes(m_iniPath, "[PropertyProject]\r\nNameProp=Default|\r\n[DefaultDefault]\r\n"
                          "edtGalerFolder.Text=photos\r\nedtHref.Text=http://example.org/\r\n"
                          "edtSrc.Text=stored/\r\nedtThumbsFolder.Text=\\small\r\n");
    auto window = showWindow();
    QCOMPARE(control<QLineEdit>(window.get(), "edtHref")->text(),
             QStringLiteral("http://example.org/"));
    QCOMPARE(control<QLineEdit>(window.get(), "edtSrc")->text(), QStringLiteral("small/"));
    control<QLineEdit>(window.get(), "edtGalerFolder")->setText(QStringLiteral("\\big"));
    QCOMPARE(control<QLineEdit>(window.get(), "edtHref")->text(), QStringLiteral("big/"));
}

void TestFormMain::equalFolderTextsForceRenaming()
{
    auto window = showWindow();
    auto *rename = control<QCheckBox>(window.get(), "chbRenameF");
    auto *thumbs = control<QLineEdit>(window.get(), "edtThumbsFolder");
    thumbs->setText(QStringLiteral("\\Gal"));
    QVERIFY(!rename->isChecked());
    thumbs->setText(QStringLiteral("\\gal"));
    QVERIFY(rename->isChecked());
    QVERIFY(control<QLineEdit>(window.get(), "edtOrigPref")->isEnabled());
    QVERIFY(control<QLabel>(window.get(), "lblThumbPref")->isEnabled());
}

void TestFormMain::unwritableFolderShowsMessagesAndKeepsFiles()
{
    // A folder path through a plain file cannot be written, even with root's rights.
    const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
    writeBytes(blocker, "keep");
    // Writable configuration folder: the profiles live there instead.
    const QByteArray keptConfig = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", keptConfig); });
    qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("config")).toUtf8());
    {
        TFormMain installed(blocker);
        installed.show();
        const QString ini = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                            QStringLiteral("/propstor.ini");
        QVERIFY2(readBytes(ini).startsWith("[PropertyProject]\r\nNameProp=Default|\r\n"),
                 qPrintable(ini));
    }
    // Neither place writable: the write is reported.
    qputenv("XDG_CONFIG_HOME", (blocker + QStringLiteral("/config")).toUtf8());
    QStringList messages;
    answerMessage(&messages);
    TFormMain window(blocker);
    window.show();
    QCOMPARE(messages, QStringList{QStringLiteral("Pictavel|Unable to write to ") + blocker +
                                   QStringLiteral("/propstor.ini: Not a directory")});
    QCOMPARE(readBytes(blocker), QByteArray("keep"));
    // The start ended at the failed write: the profile was never loaded.
    QCOMPARE(control<QLabel>(&window, "lblCountThubs")->text(), QStringLiteral("thumns "));

    // A store that cannot be replaced: saving reports the first entry and goes on.
    const QString folder = m_dir->filePath(QStringLiteral("exe"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/propstor.ini")));
    QStringList saveMessages;
    auto second = std::make_unique<TFormMain>(folder);
    second->show();
    answerSaveDialog(QStringLiteral("Default"));
    answerMessage(&saveMessages);
    second->btnSavePropProjClick();
    QCOMPARE(saveMessages,
             QStringList{QStringLiteral("Pictavel|SettingsStore: проблемы c btnKant.Down")});
}

void TestFormMain::emptyStoredListFallsBackToDefault()
{
    writeBytes(m_iniPath, "[PropertyProject]\r\nNameProp=\r\n");
    auto window = showWindow();
    auto *profiles = control<QComboBox>(window.get(), "cmbPropProj");
    QCOMPARE(profiles->count(), 1);
    QCOMPARE(profiles->currentText(), QStringLiteral("Default"));
}

void TestFormMain::folderTreeStaysWhereTheUserPutsIt()
{
    // The window opens at the working folder, below a folder whose files
    // keep changing.
    const QString before = QDir::currentPath();
    const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
    QVERIFY(QDir().mkpath(m_dir->filePath("busy/start")));
    QVERIFY(QDir::setCurrent(m_dir->filePath("busy/start")));
    auto window = showWindow();
    auto *tree = control<QTreeView>(window.get(), "DirectoryTree");
    auto *model = static_cast<QFileSystemModel *>(tree->model());
    // The start follows the folders on the way to the working folder.
    QTRY_VERIFY(tree->visualRect(model->index(QDir::currentPath())).isValid() &&
                model->rowCount(model->index("/")) > 3);
    // A folder above the temporary one, whose folders other tests running
    // at the same time come and go in.
    const QPersistentModelIndex etc = model->index(QStringLiteral("/etc"));
    tree->expand(etc);
    QTRY_VERIFY(model->rowCount(etc) > 0);
    tree->scrollTo(etc, QAbstractItemView::PositionAtTop);
    QTRY_VERIFY(tree->verticalScrollBar()->value() > 0);
    const int position = tree->verticalScrollBar()->value();
    // What the model reads meanwhile, of the opened folder or of the busy
    // one again, moves nothing.
    for (int second = 0; second < 5; ++second) {
        QVERIFY(QDir().mkdir(m_dir->filePath(QStringLiteral("busy/new%1").arg(second))));
        QTest::qWait(1000);
    }
    QCOMPARE(tree->verticalScrollBar()->value(), position);
}

QTEST_MAIN(TestFormMain)
#include "tst_form_main.moc"
