#include "app/form_main.h"
#include "base/text_file.h"
#include "imaging/picture_file.h"
#include "modal_dialogs.h"
#include "project/gallery_record.h"
#include "test_files.h"
#include "test_pictures.h"
#include "window_controls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

// Answers every message box shown while it lives with `answer` (an error
// box with OK), keeping their texts, so that a question asked where none
// should be is seen instead of waiting for a person.
class MessageBoxes : public QObject
{
public:
    explicit MessageBoxes(QMessageBox::StandardButton answer) : m_answer(answer)
    {
        qApp->installEventFilter(this);
    }
    ~MessageBoxes() override { qApp->removeEventFilter(this); }

    QStringList texts;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = qobject_cast<QMessageBox *>(watched);
        if (box && event->type() == QEvent::Show) {
            texts << box->text();
            const QMessageBox::StandardButton answer = m_answer;
            QTimer::singleShot(0, box, [box, answer] {
                if (QAbstractButton *button = box->button(answer))
                    button->click();
                else
                    box->accept();
            });
        }
        return false;
    }

private:
    QMessageBox::StandardButton m_answer;
};

QStringList sourcesOf(const std::optional<GalleryRecord> &record)
{
    QStringList sources;
    for (const SetPicture &picture : record ? record->pictures : QList<SetPicture>())
        sources << QFileInfo(picture.source).fileName();
    return sources;
}

} // namespace

class TestFormMainRecord : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void recordFollowsTheSet();
    void reopening_data();
    void reopening();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void openWindow();
    // In the folder dialog; `throughAdd`: the one the add button asks with.
    void chooseProject(bool throughAdd = false);
    std::optional<GalleryRecord> record() const { return loadGalleryRecord(path("project")); }
    QStringList captions() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TFormMain> m_window;
};

void TestFormMainRecord::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(path("src")) && QDir().mkpath(path("project/big")));
    writeTestJpeg(path("src/a.jpg"), 120, 80);
    writeTestJpeg(path("src/b.jpg"), 60, 90);
    writeTestJpeg(path("src/c.jpg"), 200, 50);
    writeTextFile1251(path("propstor.ini"), {"[PropertyProject]", "NameProp=Default|Trip|",
                                             "[TripTrip]", "spinMaxW.Value=60"});
}

void TestFormMainRecord::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestFormMainRecord::openWindow()
{
    m_window = std::make_unique<TFormMain>(m_dir->path());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFormMainRecord::chooseProject(bool throughAdd)
{
    answerNextModal<QDialog>([this](QDialog *dialog) {
        dialog->findChild<QLineEdit *>()->setText(path("project"));
        dialog->accept();
    });
    if (throughAdd)
        m_window->btnADDThumbClick();
    else
        m_window->bteDirProjectButtonClick();
}

QStringList TestFormMainRecord::captions() const
{
    QStringList texts;
    for (const TThumbsCollection &thumb : m_window->thumbs())
        texts << thumb.CaptionLabel->text();
    return texts;
}

void TestFormMainRecord::recordFollowsTheSet()
{
    const MessageBoxes boxes(QMessageBox::Yes);
    openWindow();
    chooseProject();
    QVERIFY(!record());
    openInFileList(*m_window, path("src"))->selectAll();
    control<QToolButton>(m_window.get(), "btnADDThumb")->click();
    QCOMPARE(sourcesOf(record()), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
    QCOMPARE(record()->profile, QStringLiteral("Default"));

    m_window->ThumbClick(m_window->thumbs()[0].CaptionLabel);
    m_window->ThumbDblClick(m_window->thumbs()[0].CaptionLabel);
    m_window->ThumbClick(m_window->thumbs()[2].CaptionLabel);
    m_window->ThumbDblClick(m_window->thumbs()[2].CaptionLabel);
    QCOMPARE(sourcesOf(record()), QStringList({"c.jpg", "b.jpg", "a.jpg"}));
    QCOMPARE(record()->pictures[0].caption, QStringLiteral("c.jpg"));

    m_window->ThumbClick(m_window->thumbs()[1].CaptionLabel);
    m_window->btnClearSelecthumbClick();
    QCOMPARE(sourcesOf(record()), QStringList({"c.jpg", "a.jpg"}));

    control<QCheckBox>(m_window.get(), "chbRenameF")->click();
    QVERIFY(record()->naming.renaming);
    QCOMPARE(record()->pictures[1].caption, QStringLiteral("A_02.jpg"));
    control<QLineEdit>(m_window.get(), "edtGalerFolder")->setText("\\big");
    QCOMPARE(record()->galleryFolderText, QStringLiteral("\\big"));

    // Closing asks nothing and keeps the record with the settings in effect,
    // saved in a profile or not; the delete button's Yes forgets it with the
    // set.
    control<QLineEdit>(m_window.get(), "edtTitle")->setText("Not in a profile");
    QVERIFY(m_window->close());
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(sourcesOf(record()), QStringList({"c.jpg", "a.jpg"}));
    QCOMPARE(record()->settings.value("edtTitle.Text"), QStringLiteral("Not in a profile"));
    control<QToolButton>(m_window.get(), "btnClearAllProject")->click();
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY(!record());
}

void TestFormMainRecord::reopening_data()
{
    QTest::addColumn<QByteArray>("damage");
    QTest::addColumn<bool>("setFirst");
    QTest::addColumn<bool>("sourceGone");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("asked");
    QTest::addColumn<QStringList>("captions");

    const QStringList all{"P_01.jpg", "P_02.jpg", "P_03.jpg"};
    QTest::newRow("yes") << QByteArray() << false << false << int(QMessageBox::Yes) << 1 << all;
    QTest::newRow("no") << QByteArray() << false << false << int(QMessageBox::No) << 1
                        << QStringList();
    // The numbers follow the places of the pictures still there.
    QTest::newRow("a source gone") << QByteArray() << false << true << int(QMessageBox::Yes) << 2
                                   << QStringList({"P_01.jpg", "P_02.jpg"});
    QTest::newRow("a set in the window")
        << QByteArray() << true << false << int(QMessageBox::Yes) << 0 << QStringList("c.jpg");
    QTest::newRow("damaged") << QByteArray("{\"format\": \"pictavel-gallery\", \"vers") << false
                             << false << int(QMessageBox::Yes) << 0 << QStringList();
    QTest::newRow("another folder's")
        << QByteArray("/moved") << false << false << int(QMessageBox::Yes) << 0 << QStringList();
}

void TestFormMainRecord::reopening()
{
    QFETCH(QByteArray, damage);
    QFETCH(bool, setFirst);
    QFETCH(bool, sourceGone);
    QFETCH(int, answer);
    QFETCH(int, asked);
    QFETCH(QStringList, captions);

    // The second picture was edited; its copy lies under its number.
    const QString copy = path("project/big/P_02.jpg");
    writeTestJpeg(copy, 40, 30);
    const GalleryRecord recorded{QFileInfo(path("project")).canonicalFilePath(),
                                 QStringLiteral("Trip"),
                                 QStringLiteral("\\big"),
                                 QStringLiteral("\\small"),
                                 {true, QStringLiteral("P_"), QStringLiteral("T_")},
                                 {{path("src/a.jpg"), {}, QStringLiteral("P_01.jpg"), false},
                                  {path("src/b.jpg"), copy, QStringLiteral("P_02.jpg"), true},
                                  {path("src/c.jpg"), {}, QStringLiteral("P_03.jpg"), false}},
                                 {{"spinMaxW.Value", "90"}, {"edtTitle.Text", "Recorded"}}};
    saveGalleryRecord(recorded);
    const QString file = galleryRecordPath(path("project"));
    if (damage == "/moved")
        writeBytes(file,
                   readBytes(file).replace("\"projectFolder\": \"", "\"projectFolder\": \"/moved"));
    else if (!damage.isEmpty())
        writeBytes(file, damage);
    const QByteArray before = readBytes(file);
    // A picture left out moves the numbered copy after it down, as a removal
    // of its thumbnail does.
    const QString movedCopy = sourceGone ? path("project/big/P_01.jpg") : copy;
    if (sourceGone)
        QVERIFY(QFile::remove(path("src/a.jpg")));

    const MessageBoxes boxes{QMessageBox::StandardButton(answer)};
    openWindow();
    if (setFirst)
        m_window->AddThumb(path("src/c.jpg"));
    // The add asks for the folder when none is chosen yet.
    chooseProject(sourceGone);
    QCOMPARE(this->captions(), captions);
    QCOMPARE(boxes.texts.size(), asked);
    if (asked > 0)
        QVERIFY2(boxes.texts[0].contains(path("project")) && boxes.texts[0].contains(": 3"),
                 qPrintable(boxes.texts[0]));
    if (sourceGone)
        QVERIFY2(boxes.texts[1].contains(path("src/a.jpg") + ": no such file"),
                 qPrintable(boxes.texts[1]));
    if (answer == QMessageBox::Yes && asked > 0) {
        // The profile, folders and naming came back, and the edited picture
        // is edited still.
        QCOMPARE(control<QComboBox>(m_window.get(), "cmbPropProj")->currentText(),
                 QStringLiteral("Trip"));
        QCOMPARE(m_window->galleryPath(), path("project/big"));
        QCOMPARE(m_window->thumbsPath(), path("project/small"));
        QCOMPARE(control<QLineEdit>(m_window.get(), "edtThumbPref")->text(), QStringLiteral("T_"));
        // The settings in effect came back over the profile's.
        QCOMPARE(control<QSpinBox>(m_window.get(), "spinMaxW")->value(), 90);
        QCOMPARE(control<QLineEdit>(m_window.get(), "edtTitle")->text(),
                 QStringLiteral("Recorded"));
        const TThumbsCollection &edited = m_window->thumbs()[sourceGone ? 0 : 1];
        QCOMPARE(edited.OriginalPath, path("src/b.jpg"));
        QCOMPARE(edited.PicturePath, movedCopy);
        QVERIFY(edited.ThumbRemade);
        QCOMPARE(sourcesOf(record()).size(), captions.size());
    } else if (setFirst) {
        QCOMPARE(sourcesOf(record()), QStringList("c.jpg"));
    } else {
        // Nothing was reopened and the record is as it was.
        QCOMPARE(readBytes(file), before);
    }
    QVERIFY(QFile::exists(movedCopy));
}

QTEST_MAIN(TestFormMainRecord)
#include "tst_form_main_record.moc"
