#include "app/editing_tools.h"

#include "app/form_widgets.h"
#include "app/spin_edit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QSlider *makeTrackBar(QWidget *parent, const QString &name, const QString &hint, int minimum,
                      int maximum, int value)
{
    auto *bar = new QSlider(Qt::Vertical, parent);
    bar->setObjectName(name);
    bar->setToolTip(hint);
    bar->setRange(minimum, maximum);
    bar->setValue(value);
    return bar;
}

// A captioned box holding one bar under its picture.
QGroupBox *makeBarBox(QWidget *parent, const QString &caption, const QString &icon, QSlider *bar)
{
    auto *box = new QGroupBox(caption, parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(makePicture(box, icon));
    bar->setParent(box);
    layout->addWidget(bar, 1, Qt::AlignHCenter);
    return box;
}

// A captioned size: the caption as narrow as its letter, so the spin edit
// has the rest of the column for four digits.
QHBoxLayout *makeSizeRow(QWidget *parent, const QString &caption, QWidget *spin)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(2);
    row->addWidget(makeLabel(parent, caption));
    row->addWidget(spin, 1);
    return row;
}

} // namespace

EditingTools::EditingTools(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    layout->addWidget(buildBars(), 1);
    layout->addWidget(buildCropTools());
}

// 1. The zoom bar (display only) and the scale bar (the size of the result).
QWidget *EditingTools::buildBars()
{
    auto *bars = new QWidget(this);
    auto *layout = new QHBoxLayout(bars);
    layout->setContentsMargins(0, 0, 0, 0);
    zoomBar = makeTrackBar(bars, QStringLiteral("ZoomBar"), tr("Reduction scale of the image"),
                           -100, 1, 1);
    scaleBar = makeTrackBar(bars, QStringLiteral("ScaleBar"), tr("Change size of the image"), -100,
                            100, -1);
    layout->addWidget(makeBarBox(bars, QStringLiteral("Z"), QStringLiteral("zoom"), zoomBar));
    QGroupBox *scale = makeBarBox(bars, QStringLiteral("S"), QStringLiteral("size"), scaleBar);
    static_cast<QVBoxLayout *>(scale->layout())
        ->addWidget(makeLabel(scale, QStringLiteral("0")), 0, Qt::AlignHCenter);
    layout->addWidget(scale);
    return bars;
}

// 2. The crop frame and its size, crop and save, restore, and the walk
// through the set.
QWidget *EditingTools::buildCropTools()
{
    auto *tools = new QWidget(this);
    tools->setFixedHeight(200);
    auto *grid = new QGridLayout(tools);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    cropMode = makeToggleButton(tools, QStringLiteral("btnLL"), tr("On crop"),
                                QStringLiteral("crop_mode"));
    frameWhole = makeFlatButton(tools, QStringLiteral("btnSizeI"), tr("Go crop"),
                                QStringLiteral("crop_whole"));
    frameWhole->setEnabled(false);
    scaleToFrame = makeFlatButton(tools, QStringLiteral("btnSizeIm"), tr("Selecy crop"),
                                  QStringLiteral("crop_select"));
    scaleToFrame->setEnabled(false);
    frameWidth = makeSpinEdit(tools, QStringLiteral("spinW"), tr("size of area vertical scraps"));
    turnFrame =
        makeToggleButton(tools, QStringLiteral("btnVH"), tr("circl 90 "), QStringLiteral("rotate"));
    frameHeight =
        makeSpinEdit(tools, QStringLiteral("spinH"), tr("size of area gorisontal scraps"));
    edgeFrame =
        makeToggleButton(tools, QStringLiteral("btnKant"), tr("Cant"), QStringLiteral("frame"));
    cropAndSave = makeFlatButton(tools, QStringLiteral("btnCutImage"), tr("Crop and save"),
                                 QStringLiteral("crop_save"));
    restore = makeFlatButton(tools, QStringLiteral("btnRestoreImage"), tr("Incert origin imahe"),
                             QStringLiteral("restore"));
    previous = makeFlatButton(tools, QStringLiteral("btnPrevious"), tr("Prevuouse image"),
                              QStringLiteral("previous"));
    next =
        makeFlatButton(tools, QStringLiteral("btnNext"), tr("Next image"), QStringLiteral("next"));
    grid->addWidget(cropMode, 0, 0);
    grid->addWidget(frameWhole, 0, 1);
    grid->addWidget(scaleToFrame, 1, 0, 1, 2, Qt::AlignHCenter);
    grid->addLayout(makeSizeRow(tools, QStringLiteral("W"), frameWidth), 2, 0, 1, 2);
    grid->addWidget(turnFrame, 3, 0, 1, 2, Qt::AlignHCenter);
    grid->addLayout(makeSizeRow(tools, QStringLiteral("H"), frameHeight), 4, 0, 1, 2);
    grid->addWidget(edgeFrame, 5, 0);
    grid->addWidget(cropAndSave, 5, 1);
    grid->addWidget(restore, 6, 0, 1, 2, Qt::AlignHCenter);
    grid->addWidget(previous, 7, 0);
    grid->addWidget(next, 7, 1);
    return tools;
}
