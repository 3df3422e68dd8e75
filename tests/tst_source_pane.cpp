#include "html/html_colouring.h"
#include "ui/source_pane.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace {

void select(HtmlSourcePane &pane, int fromLine, int fromColumn, int toLine, int toColumn)
{
    QTextCursor cursor(pane.document());
    const QTextDocument *doc = pane.document();
    cursor.setPosition(doc->findBlockByNumber(fromLine).position() + fromColumn);
    cursor.setPosition(doc->findBlockByNumber(toLine).position() + toColumn,
                       QTextCursor::KeepAnchor);
    pane.setTextCursor(cursor);
}

void placeCaret(HtmlSourcePane &pane, int line, int column)
{
    select(pane, line, column, line, column);
}

QPoint caret(const HtmlSourcePane &pane)
{
    return {pane.textCursor().positionInBlock(), pane.textCursor().blockNumber()};
}

QClipboard *clipboard()
{
    return QGuiApplication::clipboard();
}

// The highlighter's format at a character of a line.
QTextCharFormat formatAt(const HtmlSourcePane &pane, int line, int column)
{
    const QTextBlock block = pane.document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
        if (column >= range.start && column < range.start + range.length)
            return range.format;
    }
    return QTextCharFormat();
}

QColor colourAt(const HtmlSourcePane &pane, int line, int column)
{
    const QTextCharFormat format = formatAt(pane, line, column);
    return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color()
                                                            : QColor(Qt::black);
}

} // namespace

class TestSourcePane : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void linesRoundTrip();
    void rebuildClearsSelectionAndUndoButKeepsCaret();
    void copyAndCut();
    void deleteSelection();
    void pasteKeepsSelectionAndInsertsAtCaret();
    void pasteConvertsTabsAndBreaksAndIsOneUndoStep();
    void keyboardCommands();
    void colouring();
    void tagStateFollowsEdits();

private:
    std::unique_ptr<HtmlSourcePane> m_pane;
};

void TestSourcePane::init()
{
    m_pane = std::make_unique<HtmlSourcePane>();
    m_pane->resize(400, 200);
    clipboard()->setText(QStringLiteral("untouched"));
}

void TestSourcePane::linesRoundTrip()
{
    HtmlSourcePane &pane = *m_pane;
    QVERIFY(pane.lines().isEmpty());
    pane.setLines({"<html>", "", "a\tb", "x\u00A0y & \"q\""});
    QCOMPARE(pane.lines(), QStringList({"<html>", "", "a  b", "x\u00A0y & \"q\""}));
    pane.setLines({"one\r\ntwo\rthree"});
    QCOMPARE(pane.lines(), QStringList({"one", "two", "three"}));
    pane.setLines({});
    QVERIFY(pane.lines().isEmpty());
    QCOMPARE(pane.lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(QFontInfo(pane.font()).fixedPitch());
}

void TestSourcePane::rebuildClearsSelectionAndUndoButKeepsCaret()
{
    HtmlSourcePane &pane = *m_pane;
    pane.setLines({"first", "second line", "third"});
    placeCaret(pane, 1, 4);
    QTest::keyClicks(&pane, "XYZ");
    QCOMPARE(pane.lines()[1], QStringLiteral("secoXYZnd line"));
    select(pane, 1, 0, 1, 3);

    pane.setLines({"new first", "new second", "new third"});
    QVERIFY(!pane.textCursor().hasSelection());
    QCOMPARE(caret(pane), QPoint(3, 1));
    QVERIFY(!pane.document()->isUndoAvailable());
    QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pane.lines(), QStringList({"new first", "new second", "new third"}));

    // A caret beyond the new text is held at its end.
    pane.setLines({"ab"});
    QCOMPARE(caret(pane), QPoint(2, 0));
}

void TestSourcePane::copyAndCut()
{
    HtmlSourcePane &pane = *m_pane;
    pane.setLines({"abc", "line2", "line3 end"});

    pane.copySelection();
    QCOMPARE(clipboard()->text(), QString());

    clipboard()->setText(QStringLiteral("untouched"));
    pane.cutSelection();
    QCOMPARE(clipboard()->text(), QString());
    QCOMPARE(pane.lines(), QStringList({"abc", "line2", "line3 end"}));

    select(pane, 0, 1, 0, 3);
    pane.copySelection();
    QCOMPARE(clipboard()->text(), QStringLiteral("bc"));
    QCOMPARE(pane.lines().size(), 3);

    select(pane, 0, 1, 2, 5);
    pane.cutSelection();
    QCOMPARE(clipboard()->text(), QStringLiteral("bc\r\nline2\r\nline3"));
    QCOMPARE(pane.lines(), QStringList({"a end"}));
    QCOMPARE(caret(pane), QPoint(1, 0));
}

void TestSourcePane::deleteSelection()
{
    HtmlSourcePane &pane = *m_pane;
    pane.setLines({"abc", "def"});
    placeCaret(pane, 1, 1);
    pane.deleteSelection();
    QCOMPARE(pane.lines(), QStringList({"abc", "def"}));
    QCOMPARE(caret(pane), QPoint(1, 1));

    // A selection made backwards leaves the caret where it began too.
    select(pane, 1, 2, 0, 1);
    pane.deleteSelection();
    QCOMPARE(pane.lines(), QStringList({"af"}));
    QCOMPARE(caret(pane), QPoint(1, 0));
    QCOMPARE(clipboard()->text(), QStringLiteral("untouched"));
    pane.undo();
    QCOMPARE(pane.lines(), QStringList({"abc", "def"}));
}

void TestSourcePane::pasteKeepsSelectionAndInsertsAtCaret()
{
    HtmlSourcePane &pane = *m_pane;
    pane.setLines({"one word here"});
    // Selected "word" with the caret after its second letter.
    select(pane, 0, 8, 0, 6);
    clipboard()->setText(QStringLiteral("XY"));
    pane.pasteText();
    QCOMPARE(pane.lines(), QStringList({"one woXYrd here"}));
    QVERIFY(!pane.textCursor().hasSelection());
    QCOMPARE(caret(pane), QPoint(8, 0));

    clipboard()->setText(QString());
    pane.pasteText();
    QCOMPARE(pane.lines(), QStringList({"one woXYrd here"}));
}

void TestSourcePane::pasteConvertsTabsAndBreaksAndIsOneUndoStep()
{
    HtmlSourcePane &pane = *m_pane;
    pane.setLines({"[]"});
    placeCaret(pane, 0, 1);
    clipboard()->setText(QStringLiteral("a\tb\r\nc\nd"));
    pane.pasteText();
    QCOMPARE(pane.lines(), QStringList({"[a  b", "c", "d]"}));
    QCOMPARE(caret(pane), QPoint(1, 2));
    pane.undo();
    QCOMPARE(pane.lines(), QStringList({"[]"}));

    // The keyboard paste converts the same way.
    placeCaret(pane, 0, 1);
    clipboard()->setText(QStringLiteral("\tx"));
    QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(pane.lines(), QStringList({"[  x]"}));
}

void TestSourcePane::keyboardCommands()
{
    HtmlSourcePane &pane = *m_pane;
    pane.setLines({"alpha beta  gamma", "second", "third"});

    placeCaret(pane, 0, 6);
    QTest::keyClick(&pane, Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(pane.lines()[0], QStringLiteral("alpha gamma"));

    QTest::keyClick(&pane, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(pane.lines(), QStringList({"second", "third"}));
    placeCaret(pane, 1, 2);
    QTest::keyClick(&pane, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(pane.lines(), QStringList({"second"}));

    QTest::keyClick(&pane, Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(pane.lines(), QStringList({"second", "third"}));

    select(pane, 0, 0, 0, 3);
    QTest::keyClick(&pane, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(clipboard()->text(), QStringLiteral("sec"));
    QTest::keyClick(&pane, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(pane.lines()[0], QStringLiteral("ond"));
    QCOMPARE(clipboard()->text(), QStringLiteral("sec"));

    select(pane, 1, 0, 1, 2);
    QTest::keyClick(&pane, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(clipboard()->text(), QStringLiteral("th"));
    QCOMPARE(pane.lines()[1], QStringLiteral("ird"));
    QTest::keyClick(&pane, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(pane.lines()[1], QStringLiteral("third"));

    placeCaret(pane, 1, 0);
    QTest::keyClick(&pane, Qt::Key_Tab);
    QCOMPARE(pane.lines()[1], QStringLiteral("  third"));

    QVERIFY(!pane.overwriteMode());
    QTest::keyClick(&pane, Qt::Key_Insert);
    QVERIFY(pane.overwriteMode());
    QTest::keyClicks(&pane, "XY");
    QCOMPARE(pane.lines()[1], QStringLiteral("  XYird"));
    QTest::keyClick(&pane, Qt::Key_Insert);
    QVERIFY(!pane.overwriteMode());
}

void TestSourcePane::colouring()
{
    HtmlSourcePane &pane = *m_pane;
    pane.setLines({"x <td align=\"center\"> &nbsp;&foo;"});
    const QColor navy(0x00, 0x00, 0x80);
    QCOMPARE(colourAt(pane, 0, 0), QColor(Qt::black));
    QCOMPARE(colourAt(pane, 0, 2), navy);
    QCOMPARE(formatAt(pane, 0, 3).fontWeight(), int(QFont::Bold));
    QCOMPARE(colourAt(pane, 0, 6), QColor(0xFF, 0x00, 0x00));
    QCOMPARE(formatAt(pane, 0, 6).fontWeight(), int(QFont::Normal));
    QCOMPARE(colourAt(pane, 0, 11), QColor(0xFF, 0x00, 0x80));
    QCOMPARE(colourAt(pane, 0, 12), QColor(0x62, 0x62, 0x62));
    QCOMPARE(colourAt(pane, 0, 20), navy);
    QCOMPARE(colourAt(pane, 0, 22), QColor(0x00, 0x80, 0x00));
    QCOMPARE(colourAt(pane, 0, 28), QColor(Qt::black));

    pane.setLines({"<x 7>"});
    QCOMPARE(colourAt(pane, 0, 3), QColor(0x00, 0x00, 0xFF));
}

void TestSourcePane::tagStateFollowsEdits()
{
    HtmlSourcePane &pane = *m_pane;
    pane.setLines({"<td", "align=\"center\">"});
    QCOMPARE(colourAt(pane, 1, 0), QColor(0xFF, 0x00, 0x00));

    // Closing the tag on the first line turns the second line into text.
    placeCaret(pane, 0, 3);
    QTest::keyClicks(&pane, ">");
    QCOMPARE(pane.lines()[0], QStringLiteral("<td>"));
    QCOMPARE(colourAt(pane, 1, 0), QColor(Qt::black));
}

QTEST_MAIN(TestSourcePane)
#include "tst_source_pane.moc"
