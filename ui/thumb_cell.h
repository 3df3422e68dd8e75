#pragma once

#include <QFrame>

class QLabel;
class TImage32;

// A cell of the thumbnail grid: a black panel with a raised 2-pixel border
// holding the thumbnail's image control above its one-line caption. Presses
// and double-clicks on the image or the caption are reported with that
// control as the sender.
class ThumbCell : public QFrame
{
    Q_OBJECT
public:
    ThumbCell(QWidget *parent, int index, int maxWidth, int maxHeight);

    TImage32 *image() const { return m_image; }
    QLabel *caption() const { return m_caption; }

    // Sizes the cell and its two controls for a thumbnail box of maxWidth x
    // maxHeight.
    void setBoxSize(int maxWidth, int maxHeight);
    // The selection colours: the system's highlight for the current thumbnail,
    // black on lime for the others.
    void setCurrent(bool current);

signals:
    void clicked(QObject *sender);
    void doubleClicked(QObject *sender);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TImage32 *m_image = nullptr;
    QLabel *m_caption = nullptr;
};

// The index a cell's controls carry.
int thumbIndexOf(const QObject *control);
