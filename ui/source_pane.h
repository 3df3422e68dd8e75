#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// The page's source text as a plain-text code editor with HTML colouring.
// Tabs that enter the text become two blanks; selections copied from it join
// their lines with CR LF.
class HtmlSourcePane : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit HtmlSourcePane(QWidget *parent = nullptr);

    // Replaces the whole text with one repaint. The selection is cleared, the
    // caret keeps its line and column where the new text has them, and the
    // undo history is emptied so that no old edit is replayed onto new text.
    void setLines(const QStringList &lines);
    QStringList lines() const;

    // The actions of the pane's four buttons.
    void deleteSelection();
    void cutSelection();
    void copySelection();
    // Inserts the clipboard's text at the caret as one undo step; a selection
    // is not replaced, only cleared.
    void pasteText();

    void deleteCurrentLine();
    // Deletes from the caret to the start of the next word.
    void deleteWordAtCaret();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    QString selectedLines() const;
};
