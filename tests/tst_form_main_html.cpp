#include "app/colour_panel.h"
#include "app/form_main.h"
#include "modal_dialogs.h"
#include "ui/source_pane.h"
#include "window_controls.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyleOptionSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

QString lineStartingWith(const QStringList &lines, const QString &start)
{
    for (const QString &line : lines) {
        if (line.startsWith(start))
            return line;
    }
    return QString();
}

// Picks a colour in the next colour dialog, or cancels it after moving to that
// colour when accept is false.
void answerColourDialog(const QColor &colour, bool accept)
{
    answerNextModal<QColorDialog>([colour, accept](QColorDialog *dialog) {
        dialog->setCurrentColor(colour);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

} // namespace

class TestFormMainHtml : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pageIsShownAtStart();
    void colourPicking();
    void pageBackgroundAlsoSetsTable();
    void optionsRebuildThePage();
    void spinEditTexts();
    void steppingASpinEditRebuilds_data();
    void steppingASpinEditRebuilds();
    void loadingSpinValuesRebuilds();
    void everyAlignmentChangeRebuilds();
    void tabChangeRebuildsAndEmptiesProgress();
    void editButtons();

private:
    HtmlSourcePane *pane() const { return control<HtmlSourcePane>(m_window.get(), "CL"); }
    QStringList page() const { return pane()->lines(); }
    void click(const char *name) const
    {
        QTest::mouseClick(control<QWidget>(m_window.get(), name), Qt::LeftButton);
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<TFormMain> m_window;
};

void TestFormMainHtml::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_window = std::make_unique<TFormMain>(m_folder->path());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFormMainHtml::cleanup()
{
    // Closed first, as the program's own window is: hiding a window moves the
    // focus out of a spin edit, whose fix-up then asks the window for a rebuild.
    m_window->close();
    m_window.reset();
    m_folder.reset();
}

void TestFormMainHtml::pageIsShownAtStart()
{
    const QStringList lines = page();
    QCOMPARE(lines.value(3), QStringLiteral("<title>Untitled Document</title>"));
    QCOMPARE(lineStartingWith(lines, "<body"),
             QStringLiteral(
                 "<body bgcolor=\"#FFFFFF\" text=\"#000000\" leftmargin=\"0\" topmargin=\"0\">"));
    QVERIFY(lineStartingWith(lines, "<table").isEmpty());
    QCOMPARE(lines.last(), QStringLiteral("</html>"));
}

void TestFormMainHtml::colourPicking()
{
    auto *panel = control<ColourPanel>(m_window.get(), "pnlColorFont");
    auto *edit = control<QLineEdit>(m_window.get(), "edtColorFont");
    auto *header = control<QLineEdit>(m_window.get(), "edtHeader");
    header->setText(QStringLiteral("Trip"));

    // A cancel changes nothing, on the first use as on any later one.
    const QStringList before = page();
    answerColourDialog(QColor(0x11, 0x22, 0x33), false);
    click("pnlColorFont");
    QCOMPARE(panel->color(), 16777215);
    QCOMPARE(edit->text(), QString());
    QCOMPARE(page(), before);

    answerColourDialog(QColor(0x12, 0x34, 0xAB), true);
    click("pnlColorFont");
    QCOMPARE(panel->color(), 0xAB3412);
    QCOMPARE(edit->text(), QStringLiteral("#1234AB"));
    QVERIFY(lineStartingWith(page(), "<div").contains(QLatin1String("color=\"#1234AB\">Trip")));

    // The dialog keeps the confirmed colour for every panel; the same colour
    // again leaves the text alone and does not rebuild over a hand edit.
    auto *border = control<ColourPanel>(m_window.get(), "pnlBordColor");
    answerColourDialog(Qt::red, false);
    click("pnlBordColor");
    QCOMPARE(border->color(), 16777215);
    QCOMPARE(control<QLineEdit>(m_window.get(), "edtBordColor")->text(), QString());
    QCOMPARE(control<QColorDialog>(m_window.get(), "ColorDialog")->currentColor(),
             QColor(0x12, 0x34, 0xAB));

    pane()->setLines({"hand edit"});
    answerColourDialog(QColor(0x12, 0x34, 0xAB), true);
    click("pnlColorFont");
    QCOMPARE(page(), QStringList({"hand edit"}));
}

void TestFormMainHtml::pageBackgroundAlsoSetsTable()
{
    answerColourDialog(QColor(0xFF, 0x00, 0x80), true);
    click("pnlBGColorPage");
    QCOMPARE(control<QLineEdit>(m_window.get(), "edtBGColorPage")->text(),
             QStringLiteral("#FF0080"));
    QCOMPARE(control<QLineEdit>(m_window.get(), "edtBgColor")->text(), QStringLiteral("#FF0080"));
    QCOMPARE(control<ColourPanel>(m_window.get(), "pnlBgColor")->color(), 0x8000FF);
    QVERIFY(
        lineStartingWith(page(), "<body").startsWith(QLatin1String("<body bgcolor=\"#FF0080\"")));

    // The table's own panel changes the table alone.
    answerColourDialog(QColor(0x00, 0x00, 0xFF), true);
    click("pnlBgColor");
    QCOMPARE(control<QLineEdit>(m_window.get(), "edtBgColor")->text(), QStringLiteral("#0000FF"));
    QCOMPARE(control<QLineEdit>(m_window.get(), "edtBGColorPage")->text(),
             QStringLiteral("#FF0080"));
}

void TestFormMainHtml::optionsRebuildThePage()
{
    control<QLineEdit>(m_window.get(), "edtHeader")->setText(QStringLiteral("Trip"));
    auto *face = control<QComboBox>(m_window.get(), "cmbFontHeader");
    QTest::keyClicks(face, "Tahoma");
    QVERIFY(lineStartingWith(page(), "<div").contains(QLatin1String("face=\"Tahoma\"")));

    face->setCurrentIndex(1);
    QVERIFY(lineStartingWith(page(), "<div")
                .contains(QLatin1String("face=\"Times New Roman, Times, serif\"")));

    click("chbBold");
    QVERIFY(lineStartingWith(page(), "<div").contains(QLatin1String("<b>Trip</b>")));
    control<QCheckBox>(m_window.get(), "chbBold")->setChecked(false);
    QVERIFY(!lineStartingWith(page(), "<div").contains(QLatin1String("<b>")));

    auto *align = control<QWidget>(m_window.get(), "rdbAlignTab");
    const QList<QRadioButton *> items = align->findChildren<QRadioButton *>();
    QCOMPARE(items.size(), 3);
    QTest::mouseClick(items[2], Qt::LeftButton);
    QVERIFY(lineStartingWith(page(), "<div").startsWith(QLatin1String("<div align=\"right\">")));

    QTest::keyClicks(control<QLineEdit>(m_window.get(), "edtTitle"), "!");
    QCOMPARE(page().value(3), QStringLiteral("<title>Untitled Document!</title>"));

    // The column count is read at the next rebuild only.
    pane()->setLines({"hand edit"});
    control<QSpinBox>(m_window.get(), "spinCounCol")->setValue(3);
    QCOMPARE(page(), QStringList({"hand edit"}));
}

void TestFormMainHtml::spinEditTexts()
{
    auto *spin = control<QSpinBox>(m_window.get(), "spinLeftMargin");
    auto *field = spin->findChild<QLineEdit *>();
    spin->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "350");
    QVERIFY(lineStartingWith(page(), "<body").contains(QLatin1String("leftmargin=\"350\"")));

    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("0"));
    QVERIFY(lineStartingWith(page(), "<body").contains(QLatin1String("leftmargin=\"0\"")));

    QTest::keyClicks(field, "-");
    QVERIFY(lineStartingWith(page(), "<body").contains(QLatin1String("leftmargin=\"0\"")));

    // A field already at its minimum shows it again once emptied.
    auto *top = control<QSpinBox>(m_window.get(), "spinTopMargin");
    QCOMPARE(top->value(), 0);
    top->findChild<QLineEdit *>()->clear();
    QCOMPARE(top->text(), QStringLiteral("0"));
}

void TestFormMainHtml::steppingASpinEditRebuilds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("how");
    const char *names[] = {"spinLeftMargin", "spinTopMargin", "spinBorder",
                           "spinCellPad",    "spinCellSpac",  "spinBorderImg"};
    const char *ways[] = {"arrow key", "page key", "step button", "typed digit"};
    for (const char *name : names) {
        int how = 0;
        for (const char *way : ways)
            QTest::newRow(QByteArray(name).append(' ').append(way).constData())
                << QString::fromLatin1(name) << how++;
    }
}

void TestFormMainHtml::steppingASpinEditRebuilds()
{
    QFETCH(QString, name);
    QFETCH(int, how);
    auto *spin = control<SpinEdit>(m_window.get(), name.toLatin1().constData());
    const int before = spin->value();
    pane()->setLines({"hand edit"});
    QSignalSpy changes(spin, &SpinEdit::valueTextChanged);
    if (how == 3) {
        spin->setFocus();
        QTest::keyClick(spin->findChild<QLineEdit *>(), Qt::Key_End);
        QTest::keyClick(spin->findChild<QLineEdit *>(), Qt::Key_7);
    } else if (how == 0) {
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_Up);
    } else if (how == 1) {
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_PageUp);
    } else {
        QStyleOptionSpinBox option;
        option.initFrom(spin);
        option.subControls = QStyle::SC_SpinBoxUp;
        option.stepEnabled = QAbstractSpinBox::StepUpEnabled;
        const QRect up =
            spin->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, spin);
        QTest::mouseClick(spin, Qt::LeftButton, {}, up.center());
    }
    QVERIFY(spin->value() > before);
    QCOMPARE(changes.count(), 1);
    QVERIFY(page() != QStringList({"hand edit"}));
    if (name == u"spinLeftMargin" || name == u"spinTopMargin") {
        const QString attribute = name.mid(4).toLower() + QStringLiteral("=\"%1\"");
        QVERIFY(lineStartingWith(page(), "<body").contains(attribute.arg(spin->value())));
    }
}

void TestFormMainHtml::loadingSpinValuesRebuilds()
{
    // A profile that differs from the shown settings in two spin values only.
    QFile ini(m_folder->filePath(QStringLiteral("propstor.ini")));
    QVERIFY(ini.open(QIODevice::Append));
    ini.write("[TripTrip]\r\nspinLeftMargin.Value=12\r\nspinTopMargin.Value=34\r\n");
    ini.close();
    auto *profiles = control<QComboBox>(m_window.get(), "cmbPropProj");
    profiles->addItem(QStringLiteral("Trip"));
    profiles->setCurrentIndex(1);
    pane()->setLines({"hand edit"});
    m_window->cmbPropProjChange();
    QVERIFY(lineStartingWith(page(), "<body")
                .endsWith(QLatin1String("leftmargin=\"12\" topmargin=\"34\">")));
}

void TestFormMainHtml::everyAlignmentChangeRebuilds()
{
    control<QLineEdit>(m_window.get(), "edtHeader")->setText(QStringLiteral("Trip"));
    const QList<QRadioButton *> items =
        control<QWidget>(m_window.get(), "rdbAlignTab")->findChildren<QRadioButton *>();
    const char *words[] = {"left", "center", "right"};
    // Every order of moving between the three, leftwards included.
    for (int to : {2, 1, 0, 2, 0, 1, 2}) {
        QTest::mouseClick(items[to], Qt::LeftButton);
        QVERIFY2(lineStartingWith(page(), "<div")
                     .startsWith(QStringLiteral("<div align=\"%1\">").arg(words[to])),
                 words[to]);
        QCOMPARE(items[to]->isChecked(), true);
        QCOMPARE(items[(to + 1) % 3]->isChecked() || items[(to + 2) % 3]->isChecked(), false);
    }
}

void TestFormMainHtml::tabChangeRebuildsAndEmptiesProgress()
{
    auto *tabs = control<QTabWidget>(m_window.get(), "PageControl");
    auto *progress = control<QProgressBar>(m_window.get(), "ProgressBar");
    tabs->setCurrentIndex(1);
    pane()->setLines({"hand edit"});
    progress->setValue(50);

    tabs->setCurrentIndex(0);
    QCOMPARE(page(), QStringList({"hand edit"}));
    QCOMPARE(progress->value(), 50);

    tabs->setCurrentIndex(1);
    QCOMPARE(page().value(0), QStringLiteral("<html>"));
    QCOMPARE(progress->value(), 0);
}

void TestFormMainHtml::editButtons()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    control<QTabWidget>(m_window.get(), "PageControl")->setCurrentIndex(1);
    HtmlSourcePane *source = pane();
    source->setLines({"abc def"});

    QTextCursor cursor(source->document());
    cursor.setPosition(4);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    source->setTextCursor(cursor);
    click("btnCopySelText");
    QCOMPARE(clipboard->text(), QStringLiteral("def"));
    click("btnCutSelText");
    QCOMPARE(source->lines(), QStringList({"abc "}));
    click("btnPasteText");
    click("btnPasteText");
    QCOMPARE(source->lines(), QStringList({"abc defdef"}));

    cursor.setPosition(0);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    source->setTextCursor(cursor);
    click("btnDelSelText");
    QCOMPARE(source->lines(), QStringList({"defdef"}));
    click("btnCopySelText");
    QCOMPARE(clipboard->text(), QString());
}

QTEST_MAIN(TestFormMainHtml)
#include "tst_form_main_html.moc"
