#pragma once

#include <QColor>
#include <QFrame>

// A panel colour (below) of a QColor, and back.
int panelColour(const QColor &colour);
QColor colourOfPanel(int panelColour);

// A framed swatch of one colour. The colour is an integer with red in the low
// byte, green in the middle and blue in the high byte (16777215 is white).
// Changing it raises colorChanged(); a press of the mouse raises clicked().
class ColourPanel : public QFrame
{
    Q_OBJECT
public:
    explicit ColourPanel(QWidget *parent = nullptr);

    int color() const { return m_color; }
    void setColor(int color);

signals:
    void clicked();
    void colorChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int m_color = 0;
};
