#include "ui/source_pane.h"

#include "html/html_colouring.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSyntaxHighlighter>
#include <QTextBlock>

namespace {

// How the pane shows each kind of stretch.
struct HtmlTokenStyle
{
    QColor colour;
    bool bold = false;
};

HtmlTokenStyle htmlTokenStyle(HtmlTokenKind kind)
{
    switch (kind) {
    case HtmlTokenKind::Tag:
        return {QColor(0x00, 0x00, 0x80), true};
    case HtmlTokenKind::Attribute:
        return {QColor(0xFF, 0x00, 0x00), false};
    case HtmlTokenKind::Value:
        return {QColor(0x62, 0x62, 0x62), false};
    case HtmlTokenKind::Symbol:
        return {QColor(0xFF, 0x00, 0x80), false};
    case HtmlTokenKind::Number:
        return {QColor(0x00, 0x00, 0xFF), false};
    case HtmlTokenKind::Entity:
        return {QColor(0x00, 0x80, 0x00), false};
    case HtmlTokenKind::Plain:
        break;
    }
    return {QColor(Qt::black), false};
}

// Block state 1: the line ends inside a tag, so the next one starts there.
class HtmlHighlighter : public QSyntaxHighlighter
{
public:
    explicit HtmlHighlighter(QTextDocument *document) : QSyntaxHighlighter(document)
    {
        for (const HtmlTokenKind kind :
             {HtmlTokenKind::Tag, HtmlTokenKind::Attribute, HtmlTokenKind::Value,
              HtmlTokenKind::Symbol, HtmlTokenKind::Number, HtmlTokenKind::Entity}) {
            const HtmlTokenStyle style = htmlTokenStyle(kind);
            QTextCharFormat format;
            format.setForeground(style.colour);
            if (style.bold)
                format.setFontWeight(QFont::Bold);
            m_formats[int(kind)] = format;
        }
    }

protected:
    void highlightBlock(const QString &text) override
    {
        const LineColouring colouring = colourHtmlLine(text, previousBlockState() == 1);
        for (const ColouredRun &run : colouring.runs)
            setFormat(run.start, run.length, m_formats[int(run.kind)]);
        setCurrentBlockState(colouring.insideTagAtEnd ? 1 : 0);
    }

private:
    QTextCharFormat m_formats[int(HtmlTokenKind::Entity) + 1];
};

// Text entering the pane: every kind of line break becomes one, and a tab
// becomes two blanks, the distance to the pane's first tab stop.
QString normalisedInput(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(u'\t', QStringLiteral("  "));
    return text;
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

HtmlSourcePane::HtmlSourcePane(QWidget *parent) : QPlainTextEdit(parent)
{
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(10);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabStopDistance(2 * QFontMetricsF(font).horizontalAdvance(u' '));
    QPalette colours = palette();
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    new HtmlHighlighter(document());
}

void HtmlSourcePane::setLines(const QStringList &lines)
{
    const QTextCursor old = textCursor();
    const int line = old.blockNumber();
    const int column = old.positionInBlock();
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();

    setUpdatesEnabled(false);
    // setPlainText records nothing and empties the undo history.
    setPlainText(normalisedInput(lines.join(u'\n')));
    const QTextBlock block = document()->findBlockByNumber(qMin(line, blockCount() - 1));
    QTextCursor caret(block);
    caret.setPosition(block.position() + qMin(column, block.length() - 1));
    setTextCursor(caret);
    verticalScrollBar()->setValue(vertical);
    horizontalScrollBar()->setValue(horizontal);
    setUpdatesEnabled(true);
}

QStringList HtmlSourcePane::lines() const
{
    QStringList result;
    if (document()->isEmpty())
        return result;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        result << block.text();
    return result;
}

void HtmlSourcePane::deleteSelection()
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

void HtmlSourcePane::cutSelection()
{
    copySelection();
    deleteSelection();
}

void HtmlSourcePane::copySelection()
{
    QGuiApplication::clipboard()->setText(selectedLines());
}

void HtmlSourcePane::pasteText()
{
    const QString text = normalisedInput(QGuiApplication::clipboard()->text());
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    if (!text.isEmpty()) {
        cursor.beginEditBlock();
        cursor.insertText(text);
        cursor.endEditBlock();
    }
    setTextCursor(cursor);
}

void HtmlSourcePane::deleteCurrentLine()
{
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    const QTextBlock block = cursor.block();
    if (block.next().isValid()) {
        cursor.setPosition(block.position());
        cursor.setPosition(block.next().position(), QTextCursor::KeepAnchor);
    } else if (block.previous().isValid()) {
        const QTextBlock previous = block.previous();
        cursor.setPosition(previous.position() + previous.length() - 1);
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

void HtmlSourcePane::deleteWordAtCaret()
{
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    const QString text = cursor.block().text();
    qsizetype end = cursor.positionInBlock();
    if (end >= text.size()) {
        // At the end of a line the next line is joined to it.
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    } else {
        if (isWordCharacter(text[end])) {
            while (end < text.size() && isWordCharacter(text[end]))
                ++end;
        } else {
            while (end < text.size() && !isWordCharacter(text[end]) && text[end] != u' ')
                ++end;
        }
        while (end < text.size() && text[end] == u' ')
            ++end;
        cursor.setPosition(cursor.block().position() + int(end), QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

void HtmlSourcePane::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const int key = event->key();
    if (modifiers == Qt::NoModifier && key == Qt::Key_Tab)
        textCursor().insertText(QStringLiteral("  "));
    else if (modifiers == Qt::NoModifier && key == Qt::Key_Insert)
        setOverwriteMode(!overwriteMode());
    else if (modifiers == Qt::ControlModifier && key == Qt::Key_Y)
        deleteCurrentLine();
    else if (modifiers == Qt::ControlModifier && key == Qt::Key_T)
        deleteWordAtCaret();
    else if (modifiers == Qt::ControlModifier && key == Qt::Key_Delete)
        deleteSelection();
    else if (modifiers == Qt::ControlModifier && key == Qt::Key_Insert)
        copySelection();
    else if (modifiers == Qt::ShiftModifier && key == Qt::Key_Insert)
        paste();
    else if (modifiers == Qt::ShiftModifier && key == Qt::Key_Delete)
        cut();
    else if (modifiers == Qt::AltModifier && key == Qt::Key_Backspace)
        undo();
    else
        QPlainTextEdit::keyPressEvent(event);
}

QMimeData *HtmlSourcePane::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    data->setText(selectedLines());
    return data;
}

void HtmlSourcePane::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(normalisedInput(source->text()));
    cursor.endEditBlock();
    setTextCursor(cursor);
}

QString HtmlSourcePane::selectedLines() const
{
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}
