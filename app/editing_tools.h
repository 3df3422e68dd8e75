#pragma once

#include <QWidget>

class QSlider;
class QToolButton;
class SpinEdit;

// The editor's tool column: the zoom and scale bars above the crop tools and
// the buttons that walk through the set. It only holds the controls; the
// window's handlers serve them.
class EditingTools : public QWidget
{
    Q_OBJECT
public:
    explicit EditingTools(QWidget *parent);

    QSlider *zoomBar = nullptr;
    QSlider *scaleBar = nullptr;
    QToolButton *cropMode = nullptr;
    QToolButton *frameWhole = nullptr;
    QToolButton *scaleToFrame = nullptr;
    SpinEdit *frameWidth = nullptr;
    QToolButton *turnFrame = nullptr;
    SpinEdit *frameHeight = nullptr;
    QToolButton *edgeFrame = nullptr;
    QToolButton *cropAndSave = nullptr;
    QToolButton *restore = nullptr;
    QToolButton *previous = nullptr;
    QToolButton *next = nullptr;

private:
    QWidget *buildBars();
    QWidget *buildCropTools();
};
