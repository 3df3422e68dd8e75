#include "app/form_main.h"
#include "collection/picture_folder.h"
#include "icc_pictures.h"
#include "imaging/picture_file.h"
#include "modal_dialogs.h"
#include "test_files.h"
#include "ui/image32.h"
#include "window_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollArea>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace {

// A picture file of the given size: JPEG through the program's writer, BMP
// through Qt's.
void writePicture(const QString &path, int width, int height)
{
    if (path.endsWith(QLatin1String(".bmp"))) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(40, 120, 200));
        QVERIFY(image.save(path, "BMP"));
        return;
    }
    TBitmap32 bitmap;
    bitmap.setSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.setPixel(x, y, 0xFF000000u | (uint32_t(x % 256) << 16) | uint32_t(y % 256));
    WriteJpegFile(path, bitmap, 90);
}

QStringList captions(const TFormMain &window)
{
    QStringList texts;
    for (const TThumbsCollection &thumb : window.thumbs())
        texts << thumb.CaptionLabel->text();
    return texts;
}

bool isMarked(const TThumbsCollection &thumb)
{
    return thumb.CaptionLabel->palette().color(QPalette::Window) ==
           QApplication::palette().color(QPalette::Highlight);
}

// Chooses `folder` in the next project folder dialog, confirming its creation.
void answerFolderDialog(const QString &folder, QString *title)
{
    answerNextModal<QDialog>([=](QDialog *dialog) {
        // The title is the prompt; it stands whole inside the dialog too.
        *title = dialog->windowTitle();
        bool promptShown = false;
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            promptShown = promptShown || label->text() == *title;
        if (!promptShown)
            title->prepend(QStringLiteral("(not inside) "));
        QCOMPARE(dialog->objectName(), QStringLiteral("DirDialogProject"));
        const QList<QLineEdit *> boxes = dialog->findChildren<QLineEdit *>();
        QCOMPARE(boxes.size(), 1);
        boxes[0]->setText(folder);
        if (!QDir(folder).exists())
            answerNextModal<QMessageBox>(
                [](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
        dialog->accept();
    });
}

} // namespace

class TestFormMainThumbs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void browserListsAndPreviews();
    void addedCellsAreLaidOutAndFitted();
    void clicksMarkAndDoubleClicksExchange();
    void addActionAsksForTheProjectFolder();
    void addNamesEveryPictureItCouldNotRead();
    void removingAndClearingKeepFilesInStep();
    void relayoutWithoutColumns();
    void roomyWindowTakesMoreCellsARow();
    void eventsDuringAnAddCannotCorruptTheSet();
    void previewShowsTheFileAskedFor_data();
    void previewShowsTheFileAskedFor();
    void taggedPictureShowsItsColours();

private:
    void addFiles(const QStringList &names);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TFormMain> m_window;
    QString m_pictures;
};

void TestFormMainThumbs::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pictures = m_dir->filePath(QStringLiteral("pictures"));
    QDir().mkpath(m_pictures);
    writePicture(m_pictures + QStringLiteral("/a.JPG"), 640, 480);
    writePicture(m_pictures + QStringLiteral("/b.jpeg"), 400, 300);
    writePicture(m_pictures + QStringLiteral("/c.bmp"), 300, 400);
    writePicture(m_pictures + QStringLiteral("/d.jpg"), 50, 40);
    writeBytes(m_pictures + QStringLiteral("/e.png"), "not listed");
    QDir().mkpath(m_dir->filePath(QStringLiteral("exe")));
    m_window = std::make_unique<TFormMain>(m_dir->filePath(QStringLiteral("exe")));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFormMainThumbs::cleanup()
{
    m_window->close();
    m_window.reset();
    m_dir.reset();
}

void TestFormMainThumbs::addFiles(const QStringList &names)
{
    for (const QString &name : names)
        m_window->AddThumb(m_pictures + u'/' + name);
}

void TestFormMainThumbs::browserListsAndPreviews()
{
    openInFileList(*m_window, m_pictures);
    auto *list = control<QListWidget>(m_window.get(), "FileListBox");
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    QCOMPARE(names, QStringList({"a.JPG", "b.jpeg", "c.bmp", "d.jpg"}));
    QVERIFY(control<QToolButton>(m_window.get(), "btnADDThumb")->isEnabled());
    auto *selection = control<QLabel>(m_window.get(), "stpSelCount");
    QCOMPARE(selection->text(), QStringLiteral("Выбрано: 0 из 4"));

    // A read-only picture still shows its size.
    QFile::setPermissions(m_pictures + QStringLiteral("/a.JPG"), QFileDevice::ReadOwner);
    list->setCurrentItem(list->item(0));
    QCOMPARE(selection->text(), QStringLiteral("Выбрано: 1 из 4"));
    QCOMPARE(control<QLabel>(m_window.get(), "stpDestPSize")->text(), QStringLiteral("640x480"));
    QCOMPARE(control<QLabel>(m_window.get(), "stpDestFSize")->text(),
             fileSizeText(QFileInfo(m_pictures + QStringLiteral("/a.JPG")).size()));
    QCOMPARE(m_window->findChild<TImage32 *>("ImageDest")->bitmap().width(), 640);

    // Focusing an entry without selecting it, or one whose file vanished,
    // leaves the preview as it was.
    list->setCurrentItem(list->item(1), QItemSelectionModel::NoUpdate);
    list->item(1)->setSelected(false);
    QVERIFY(QFile::remove(m_pictures + QStringLiteral("/c.bmp")));
    list->setCurrentItem(list->item(2));
    QCOMPARE(control<QLabel>(m_window.get(), "stpDestPSize")->text(), QStringLiteral("640x480"));

    openInFileList(*m_window, m_dir->filePath(QStringLiteral("exe")));
    QCOMPARE(list->count(), 0);
    QVERIFY(!control<QToolButton>(m_window.get(), "btnADDThumb")->isEnabled());
    QCOMPARE(selection->text(), QStringLiteral("Выбрано: 0 из 0"));

    // A folder reached with the keyboard: no click on the tree, and the
    // total is still the list's.
    auto *tree = control<QTreeView>(m_window.get(), "DirectoryTree");
    tree->setCurrentIndex(static_cast<QFileSystemModel *>(tree->model())->index(m_pictures));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(selection->text(), QStringLiteral("Выбрано: 3 из 3"));
}

void TestFormMainThumbs::addedCellsAreLaidOutAndFitted()
{
    addFiles({"a.JPG", "b.jpeg", "c.bmp", "d.jpg", "a.JPG", "b.jpeg"});
    const TFormMain &w = *m_window;
    QCOMPARE(w.thumbsCount(), 6);
    QCOMPARE(w.currentThumb(), 5);
    // A file added twice gets a name of its own, so neither copy is lost.
    QCOMPARE(captions(w), QStringList({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "a_2.jpg", "b_2.jpg"}));
    QCOMPARE(w.thumbs()[4].CellPanel->pos(), QPoint(466, 2));
    QCOMPARE(w.thumbs()[5].CellPanel->pos(), QPoint(2, 131));
    QCOMPARE(w.thumbs()[5].CellPanel->size(), QSize(114, 127));
    QCOMPARE(w.thumbs()[5].CellPanel->parentWidget(),
             control<QScrollArea>(m_window.get(), "scrbThumbs")->widget());
    const struct
    {
        QSize size;
        QPointF offset;
    } fitted[] = {
        {{110, 82}, {0, 26}}, {{110, 83}, {0, 25}}, {{83, 110}, {13, -2}}, {{110, 88}, {0, 20}}};
    for (int i = 0; i < 4; ++i) {
        const TImage32 *image = w.thumbs()[i].ThumbImage;
        QCOMPARE(image->size(), QSize(110, 110));
        QCOMPARE(QSize(image->bitmap().width(), image->bitmap().height()), fitted[i].size);
        QCOMPARE(QPointF(image->offsetHorz(), image->offsetVert()), fitted[i].offset);
        QCOMPARE(image->bitmap().stretchFilter(), sfLinear);
    }
    for (int i = 0; i < 6; ++i)
        QCOMPARE(isMarked(w.thumbs()[i]), i == 5);
    QCOMPARE(w.thumbs()[0].CaptionLabel->palette().color(QPalette::Window), QColor(0, 255, 0));

    // The page lists the set.
    m_window->GenerateHtml();
    const QString page = m_window->findChild<QWidget *>("CL")->property("plainText").toString();
    QCOMPARE(page.count(QStringLiteral("<td ")), 6);
    QVERIFY(page.contains(QStringLiteral("href=\"gal/c.jpg\"")));
}

void TestFormMainThumbs::clicksMarkAndDoubleClicksExchange()
{
    addFiles({"a.JPG", "b.jpeg", "c.bmp"});
    const TFormMain &w = *m_window;
    QTest::mouseClick(w.thumbs()[1].CaptionLabel, Qt::LeftButton);
    QCOMPARE(w.currentThumb(), 1);
    QVERIFY(isMarked(w.thumbs()[1]) && !isMarked(w.thumbs()[2]));
    QCOMPARE(control<QLabel>(m_window.get(), "stpDestPSize")->text(), QStringLiteral("400x300"));

    QTest::mouseDClick(w.thumbs()[0].ThumbImage, Qt::LeftButton);
    QCOMPARE(w.currentThumb(), 0);
    QVERIFY(w.swapPending());
    QTest::mouseDClick(w.thumbs()[2].CaptionLabel, Qt::LeftButton);
    QVERIFY(!w.swapPending());
    QCOMPARE(w.currentThumb(), 2);
    QCOMPARE(captions(w), QStringList({"c.jpg", "b.jpg", "a.jpg"}));
    QCOMPARE(w.thumbs()[0].PicturePath, m_pictures + QStringLiteral("/c.bmp"));
    QCOMPARE(w.thumbs()[2].ThumbImage->bitmap().height(), 82);
    QCOMPARE(w.thumbs()[0].ThumbImage->offsetHorz(), 13.0f);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w.thumbs()[i].ThumbImage->property("Tag").toInt(), i);
}

void TestFormMainThumbs::addActionAsksForTheProjectFolder()
{
    openInFileList(*m_window, m_pictures);
    auto *list = control<QListWidget>(m_window.get(), "FileListBox");
    for (int i : {0, 1, 3})
        list->item(i)->setSelected(true);
    control<QCheckBox>(m_window.get(), "chbRenameF")->setChecked(true);
    const QString project = m_dir->filePath(QStringLiteral("new/project"));
    QString title;
    answerFolderDialog(project, &title);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(title, QStringLiteral("Укажите путь для сохранения проекта."));
    QVERIFY(QDir(project).exists());
    QCOMPARE(m_window->projectPath(), project);
    QCOMPARE(m_window->galleryPath(), project + QStringLiteral("/gal"));
    QCOMPARE(captions(*m_window), QStringList({"A_01.jpg", "A_02.jpg", "A_03.jpg"}));
    QCOMPARE(m_window->currentThumb(), 2);
    QCOMPARE(control<QLabel>(m_window.get(), "lblCountThubs")->text(),
             QStringLiteral("Миниатюр: 3"));
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem *>({list->item(3)}));
    for (const char *name :
         {"btnRedactImage", "btnViewThumbs", "btnClearSelecthumb", "btnRefreshTumb"})
        QVERIFY2(control<QToolButton>(m_window.get(), name)->isEnabled(), name);

    // The folder is known now: the next add asks nothing.
    list->item(0)->setSelected(true);
    m_window->btnADDThumbClick();
    QCOMPARE(captions(*m_window).mid(3), QStringList({"A_04.jpg", "A_05.jpg"}));
    answerNextModal<QDialog>([&title](QDialog *dialog) {
        title = dialog->windowTitle();
        dialog->reject();
    });
    m_window->bteDirProjectButtonClick();
    QCOMPARE(title, QStringLiteral("Обзор папок"));
    QCOMPARE(m_window->projectPath(), project);
}

void TestFormMainThumbs::addNamesEveryPictureItCouldNotRead()
{
    writeBytes(m_pictures + QStringLiteral("/broken.jpg"), "not a JPEG");
    writeBytes(m_pictures + QStringLiteral("/huge.gif"),
               QByteArray("GIF89a\xFF\xFF\xFF\xFF\0\0\0;", 14));
    openInFileList(*m_window, m_pictures);
    auto *list = control<QListWidget>(m_window.get(), "FileListBox");
    list->selectAll();
    QString title;
    QDir().mkpath(m_dir->filePath(QStringLiteral("project")));
    answerFolderDialog(m_dir->filePath(QStringLiteral("project")), &title);
    QStringList messages;
    answerMessage(&messages);
    QTest::keyClick(list, Qt::Key_Return);
    // The others are added in order, without a cell for either failure.
    QCOMPARE(captions(*m_window), QStringList({"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    QCOMPARE(messages.size(), 1);
    const QString &message = messages[0];
    QVERIFY2(message.contains(m_pictures + "/broken.jpg: JPEG error #53: Not a JPEG file"),
             qPrintable(message));
    QVERIFY2(message.contains(m_pictures + "/huge.gif: picture too large: 65535 x 65535"),
             qPrintable(message));
    QVERIFY(!message.contains(QStringLiteral("DIB")));
}

void TestFormMainThumbs::removingAndClearingKeepFilesInStep()
{
    control<QCheckBox>(m_window.get(), "chbRenameF")->setChecked(true);
    QString title;
    answerFolderDialog(m_dir->filePath(QStringLiteral("project")), &title);
    m_window->AskProjectFolder();
    addFiles({"a.JPG", "b.jpeg", "c.bmp", "d.jpg", "a.JPG"});
    const QString gallery = m_window->galleryPath();
    const QString thumbs = m_window->thumbsPath();
    QDir().mkpath(gallery);
    QDir().mkpath(thumbs);
    for (int i = 1; i <= 5; ++i) {
        writeBytes(gallery + QStringLiteral("/A_0%1.jpg").arg(i), QByteArray::number(i));
        writeBytes(thumbs + QStringLiteral("/B_0%1.jpg").arg(i), QByteArray::number(i));
    }
    writeBytes(m_window->projectPath() + QStringLiteral("/~thumbs.html"), "page");

    QTest::mouseClick(m_window->thumbs()[1].CaptionLabel, Qt::LeftButton);
    m_window->btnClearSelecthumbClick();
    QCOMPARE(m_window->thumbsCount(), 4);
    QCOMPARE(m_window->currentThumb(), 1);
    QVERIFY(isMarked(m_window->thumbs()[1]));
    QCOMPARE(m_window->thumbs()[1].PicturePath, m_pictures + QStringLiteral("/c.bmp"));
    QCOMPARE(m_window->thumbs()[1].ThumbImage->bitmap().width(), 83);
    QCOMPARE(readBytes(gallery + QStringLiteral("/A_02.jpg")), QByteArray("3"));
    QCOMPARE(readBytes(thumbs + QStringLiteral("/B_04.jpg")), QByteArray("5"));
    QVERIFY(!QFile::exists(gallery + QStringLiteral("/A_05.jpg")));

    QTest::mouseClick(m_window->thumbs()[3].CaptionLabel, Qt::LeftButton);
    m_window->btnClearSelecthumbClick();
    QCOMPARE(m_window->currentThumb(), 2);
    QVERIFY(isMarked(m_window->thumbs()[2]));

    // The project's delete button asks first, naming what goes; No keeps all.
    QStringList questions;
    const auto answer = [&questions](QMessageBox::StandardButton button) {
        answerNextModal<QMessageBox>([&questions, button](QMessageBox *box) {
            questions << box->text();
            QVERIFY(box->button(QMessageBox::Yes) && box->button(QMessageBox::No));
            box->button(button)->click();
        });
    };
    const_cast<TThumbsCollection &>(m_window->thumbs()[0]).OriginalPath = m_pictures + "/a.JPG";
    answer(QMessageBox::No);
    control<QToolButton>(m_window.get(), "btnClearAllProject")->click();
    QCOMPARE(questions.size(), 1);
    QVERIFY(questions[0].contains(QStringLiteral("Миниатюр в наборе: 3.")));
    QVERIFY(questions[0].contains(QStringLiteral("отредактировано: 1")));
    QCOMPARE(m_window->thumbsCount(), 3);
    QCOMPARE(readBytes(gallery + QStringLiteral("/A_01.jpg")), QByteArray("1"));
    QVERIFY(QFile::exists(m_window->projectPath() + QStringLiteral("/~thumbs.html")));

    answer(QMessageBox::Yes);
    control<QToolButton>(m_window.get(), "btnClearAllProject")->click();
    QCOMPARE(questions.size(), 2);
    QCOMPARE(m_window->thumbsCount(), 0);
    QCOMPARE(control<QLabel>(m_window.get(), "lblCountThubs")->text(),
             QStringLiteral("Миниатюр: 0"));
    QVERIFY(!QDir(gallery).exists());
    QVERIFY(!QDir(thumbs).exists());
    QVERIFY(!QFile::exists(m_window->projectPath() + QStringLiteral("/~thumbs.html")));
    QVERIFY(QFile::exists(m_pictures + QStringLiteral("/a.JPG")));
    QVERIFY(!control<QToolButton>(m_window.get(), "btnRefreshTumb")->isEnabled());
}

void TestFormMainThumbs::relayoutWithoutColumns()
{
    addFiles({"a.JPG", "b.jpeg"});
    control<QSpinBox>(m_window.get(), "spinCounCol")->setValue(0);
    control<QSpinBox>(m_window.get(), "spinMaxW")->setValue(200);
    m_window->RelayoutThumbs(false);
    QCOMPARE(m_window->thumbs()[0].CellPanel->pos(), QPoint(2, 131));
    QCOMPARE(m_window->thumbs()[1].CellPanel->pos(), QPoint(208, 131));
    QCOMPARE(m_window->thumbs()[1].CellPanel->size(), QSize(204, 127));
    // Re-rendered from its own 110-pixel pixels, enlarged into the new box.
    QCOMPARE(m_window->thumbs()[0].ThumbImage->bitmap().width(), 148);
    QCOMPARE(m_window->thumbs()[0].ThumbImage->bitmap().height(), 110);
}

void TestFormMainThumbs::roomyWindowTakesMoreCellsARow()
{
    addFiles({"a.JPG", "b.jpeg", "c.bmp", "d.jpg", "a.JPG", "b.jpeg", "c.bmp", "d.jpg"});
    const auto firstRow = [this] {
        int cells = 0;
        for (const TThumbsCollection &thumb : m_window->thumbs())
            cells += thumb.CellPanel->y() == m_window->thumbs()[0].CellPanel->y();
        return cells;
    };
    QCOMPARE(firstRow(), 5);
    m_window->resize(1280, 900);
    QTRY_VERIFY(firstRow() > 5);
    // Back at the described size, the row holds the columns of the setting.
    m_window->resize(772, 554);
    QTRY_COMPARE(firstRow(), 5);
}

void TestFormMainThumbs::eventsDuringAnAddCannotCorruptTheSet()
{
    QString title;
    answerFolderDialog(m_dir->filePath(QStringLiteral("project")), &title);
    m_window->AskProjectFolder();
    openInFileList(*m_window, m_pictures);
    auto *list = control<QListWidget>(m_window.get(), "FileListBox");
    list->selectAll();
    // Arrive while the first picture is being added: a second add and a
    // removal are refused, a close ends the add after that picture.
    QTimer::singleShot(0, m_window.get(), [this] {
        m_window->btnADDThumbClick();
        m_window->btnClearSelecthumbClick();
        m_window->close();
    });
    m_window->btnADDThumbClick();
    QCOMPARE(m_window->thumbsCount(), 1);
    QCOMPARE(captions(*m_window), QStringList({"a.jpg"}));
    QTRY_VERIFY(!m_window->isVisible());
}

void TestFormMainThumbs::previewShowsTheFileAskedFor_data()
{
    QTest::addColumn<int>("jobs");
    QTest::newRow("one thread") << 1;
    QTest::newRow("decoding ahead") << 2;
}

// The preview and the add's decode buffer trade pictures instead of loading
// them again; whatever the order of steps, the preview shows the pixels of
// the file last asked for, as it is on disk.
void TestFormMainThumbs::previewShowsTheFileAskedFor()
{
    QFETCH(int, jobs);
    m_window->setJobs(jobs);
    const TBitmap32 &preview = m_window->findChild<TImage32 *>("ImageDest")->bitmap();
    const auto expectPreviewOf = [&](const char *name) {
        TBitmap32 file;
        LoadPicture(m_pictures + u'/' + QLatin1String(name), file);
        QCOMPARE(preview.width(), file.width());
        QCOMPARE(preview.height(), file.height());
        QVERIFY2(
            std::equal(file.bits(), file.bits() + file.width() * file.height(), preview.bits()),
            name);
    };
    QString title;
    answerFolderDialog(m_dir->filePath(QStringLiteral("project")), &title);
    m_window->AskProjectFolder();
    QListWidget *list = openInFileList(*m_window, m_pictures);
    // The focused entry is selected and added last: after every step but the
    // last the preview shows it again.
    list->setCurrentItem(list->item(3));
    list->item(0)->setSelected(true);
    list->item(1)->setSelected(true);
    m_window->btnADDThumbClick();
    QCOMPARE(m_window->thumbsCount(), 3);
    expectPreviewOf("d.jpg");

    QTest::mouseClick(m_window->thumbs()[0].CaptionLabel, Qt::LeftButton);
    expectPreviewOf("a.JPG");
    list->setCurrentItem(list->item(1));
    expectPreviewOf("b.jpeg");
    QTest::mouseClick(m_window->thumbs()[2].CaptionLabel, Qt::LeftButton);
    expectPreviewOf("d.jpg");
    // A file changed on disk is loaded afresh.
    writePicture(m_pictures + QStringLiteral("/a.JPG"), 64, 48);
    QTest::mouseClick(m_window->thumbs()[0].CaptionLabel, Qt::LeftButton);
    expectPreviewOf("a.JPG");
    QCOMPARE(control<QLabel>(m_window.get(), "stpDestPSize")->text(), QStringLiteral("64x48"));
}

// A ProPhoto-tagged picture appears in the preview and in the grid in the
// sRGB colours lcms gives its numbers, also when decoded ahead of its turn.
void TestFormMainThumbs::taggedPictureShowsItsColours()
{
    m_window->setJobs(2);
    const QString folder = m_dir->filePath(QStringLiteral("tagged"));
    QDir().mkpath(folder);
    const QByteArray profile = icc::bytes(icc::proPhoto().get());
    const icc::JpegShape shape{96, 64, 3, false, 95};
    const auto flat = [](int, int, int k) {
        return uint8_t(k == 0 ? 200 : k == 1 ? 120 : 60);
    };
    QVERIFY(icc::writeJpeg(folder + QStringLiteral("/plain.jpg"), shape, flat));
    for (const char *name : {"/photo1.jpg", "/photo2.jpg"})
        QVERIFY(icc::writeJpeg(folder + QLatin1String(name), shape, flat, icc::markers(profile)));
    TBitmap32 plain;
    LoadPicture(folder + QStringLiteral("/plain.jpg"), plain);
    const TColor32 numbers = plain.pixel(48, 32);
    const icc::Profile from(
        cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size())));
    const TColor32 expected = icc::toSrgb(from.get(), TYPE_BGRA_8, &numbers, 1).front();
    const auto largestDifference = [](TColor32 a, TColor32 b) {
        int d = 0;
        for (int shift : {0, 8, 16})
            d = std::max(d, std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)));
        return d;
    };
    QVERIFY(largestDifference(expected, numbers) > 10);
    const auto shows = [&](const TBitmap32 &b) {
        return largestDifference(b.pixel(b.width() / 2, b.height() / 2), expected) <= 1;
    };

    QString title;
    answerFolderDialog(m_dir->filePath(QStringLiteral("project")), &title);
    m_window->AskProjectFolder();
    QListWidget *list = openInFileList(*m_window, folder);
    list->setCurrentItem(list->item(0));
    QVERIFY(shows(m_window->findChild<TImage32 *>("ImageDest")->bitmap()));
    list->item(1)->setSelected(true);
    m_window->btnADDThumbClick();
    QCOMPARE(m_window->thumbsCount(), 2);
    for (const TThumbsCollection &thumb : m_window->thumbs())
        QVERIFY(shows(thumb.ThumbImage->bitmap()));
}

QTEST_MAIN(TestFormMainThumbs)
#include "tst_form_main_thumbs.moc"
