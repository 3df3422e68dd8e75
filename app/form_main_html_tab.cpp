#include "app/colour_panel.h"
#include "app/form_main.h"
#include "app/form_widgets.h"
#include "app/gallery_progress_bar.h"
#include "app/radio_group.h"
#include "project/settings_table.h"
#include "ui/source_pane.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int LabelTop = 14;
constexpr int ControlTop = 29;
constexpr int ControlHeight = 21;

// A label over an option control: red when it names an HTML attribute.
void addCaption(QWidget *group, const QString &text, int left, bool attribute = true)
{
    QLabel *label = makeLabel(group, text);
    label->setProperty("attribute", attribute);
    label->setGeometry(left, LabelTop, 110, 14);
}

// An edit of a persisted text setting, with its built-in default.
QLineEdit *makeOptionEdit(QWidget *group, const QString &name, const QString &hint, int left,
                          int width)
{
    return makeLineEdit(group, name, hint, settingDefaultText(name + QStringLiteral(".Text")),
                        QRect(left, ControlTop, width, ControlHeight));
}

QComboBox *makeOptionList(QWidget *group, const QString &name, const QString &hint, int left,
                          int width, const QStringList &items)
{
    auto *list = new QComboBox(group);
    list->setObjectName(name);
    list->setToolTip(hint);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(items);
    list->setCurrentIndex(-1);
    list->setEditText(settingDefaultText(name + QStringLiteral(".Text")));
    list->setGeometry(left, ControlTop, width, ControlHeight);
    // The list opens as wide as its longest entry, and a chosen entry shows
    // from its start.
    int widest = width;
    for (const QString &item : items)
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(item) + 32);
    list->view()->setTextElideMode(Qt::ElideNone);
    list->view()->setMinimumWidth(widest);
    QObject::connect(list, &QComboBox::activated, list, [list] { list->lineEdit()->home(false); });
    return list;
}

SpinEdit *makeOptionSpin(QWidget *group, const QString &name, const QString &hint, int left)
{
    SpinEdit *spin = makeSpinEdit(group, name, hint);
    spin->setGeometry(left, ControlTop, 52, ControlHeight);
    return spin;
}

// A colour swatch with its read-only colour text beside it, both with their
// built-in defaults.
ColourPanel *makeColourPair(QWidget *group, const QString &panelName, const QString &panelHint,
                            const QString &editName, const QString &editHint, int left,
                            QLineEdit *&edit)
{
    auto *panel = new ColourPanel(group);
    panel->setObjectName(panelName);
    panel->setToolTip(panelHint);
    panel->setColor(settingSpec(panelName + QStringLiteral(".Color")).number);
    panel->setGeometry(left, ControlTop, 22, ControlHeight);
    edit = makeOptionEdit(group, editName, editHint, left + 24, 60);
    edit->setReadOnly(true);
    return panel;
}

QGroupBox *makeOptionGroup(QWidget *tab, const QString &name, const QString &caption,
                           const QRect &place)
{
    auto *group = new QGroupBox(caption, tab);
    if (!name.isEmpty())
        group->setObjectName(name);
    group->setGeometry(place);
    return group;
}

QCheckBox *makeStyleCheck(QWidget *group, const QString &name, const QString &caption,
                          const QString &hint, int left)
{
    auto *check = new QCheckBox(caption, group);
    check->setObjectName(name);
    check->setToolTip(hint);
    check->setGeometry(left, ControlTop, 34, ControlHeight);
    return check;
}

} // namespace

void TFormMain::buildHtmlTab()
{
    TabSheet_SetHTML = new QWidget;
    TabSheet_SetHTML->setObjectName(QStringLiteral("TabSheet_SetHTML"));
    TabSheet_SetHTML->setStyleSheet(QStringLiteral(
        "QGroupBox { font-weight: bold; color: blue; }"
        "QGroupBox QWidget { font-weight: normal; color: black; }"
        "QLabel[attribute=\"true\"] { color: red; font-size: 10px; }"
        "QGroupBox QLineEdit, QGroupBox QComboBox, QGroupBox QSpinBox { background: #F3F3F3; }"));
    buildHtmlOptionGroups(TabSheet_SetHTML);
    buildSourceGroup(TabSheet_SetHTML);

    ProgressBar = new GalleryProgressBar(TabSheet_SetHTML);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(2, 454, 251, 25);
    QPalette limeOnBlack = ProgressBar->palette();
    limeOnBlack.setColor(QPalette::Base, Qt::black);
    limeOnBlack.setColor(QPalette::Highlight, QColor(0, 255, 0));
    limeOnBlack.setColor(QPalette::Mid, Qt::gray);
    ProgressBar->setPalette(limeOnBlack);

    btnStart =
        new QPushButton(QIcon(QStringLiteral(":/icons/start.png")), tr("Start"), TabSheet_SetHTML);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setFlat(true);
    btnStart->setGeometry(254, 455, 150, 23);
    chbKeepOriginals = new QCheckBox(tr("Keep originals"), TabSheet_SetHTML);
    chbKeepOriginals->setObjectName(QStringLiteral("chbKeepOriginals"));
    chbKeepOriginals->setToolTip(tr("JPEG originals as they are: turned upright, no camera data"));
    chbKeepOriginals->setGeometry(406, 456, 102, 21);
    btnPreview =
        new QPushButton(QIcon(QStringLiteral(":/icons/view.png")), tr("view"), TabSheet_SetHTML);
    btnPreview->setObjectName(QStringLiteral("btnPreview"));
    btnPreview->setFlat(true);
    btnPreview->setGeometry(620, 455, 143, 23);
    chbModernPage = new QCheckBox(tr("Modern page"), TabSheet_SetHTML);
    chbModernPage->setObjectName(QStringLiteral("chbModernPage"));
    chbModernPage->setToolTip(
        tr("A page for phones and desktops, with a viewer and screen-sized copies"));
    chbModernPage->setGeometry(509, 456, 110, 21);
    for (QWidget *bottom : std::initializer_list<QWidget *>{ProgressBar, btnStart, chbKeepOriginals,
                                                            chbModernPage, btnPreview})
        Growing.add(bottom, GrowingLayout::MoveDown);

    ColorDialog = new QColorDialog(Qt::black, this);
    ColorDialog->setObjectName(QStringLiteral("ColorDialog"));
    ColorDialog->setOption(QColorDialog::DontUseNativeDialog);
    ColorDialog->setModal(true);

    PageControl->addTab(TabSheet_SetHTML, tr("HTML editor"));
}

void TFormMain::buildHtmlOptionGroups(QWidget *tab)
{
    QGroupBox *page = makeOptionGroup(tab, QStringLiteral("grbPages"), tr("Page properties"),
                                      QRect(1, 1, 563, 57));
    addCaption(page, tr("Title"), 6, false);
    edtTitle = makeOptionEdit(page, QStringLiteral("edtTitle"), tr("Page header"), 6, 170);
    addCaption(page, QStringLiteral("bgcolor="), 184);
    pnlBGColorPage = makeColourPair(page, QStringLiteral("pnlBGColorPage"), tr("Background color"),
                                    QStringLiteral("edtBGColorPage"), tr("Background color"), 184,
                                    edtBGColorPage);
    addCaption(page, QStringLiteral("text="), 276);
    pnlTextColorPage = makeColourPair(page, QStringLiteral("pnlTextColorPage"), tr("Fonts color"),
                                      QStringLiteral("edtTextColorPage"), tr("Page fonts color"),
                                      276, edtTextColorPage);
    addCaption(page, QStringLiteral("leftmargin="), 370);
    spinLeftMargin = makeOptionSpin(page, QStringLiteral("spinLeftMargin"), tr("left Space"), 370);
    addCaption(page, QStringLiteral("topmargin="), 450);
    spinTopMargin = makeOptionSpin(page, QStringLiteral("spinTopMargin"), tr("Top space"), 450);

    QGroupBox *link =
        makeOptionGroup(tab, QStringLiteral("grbA"), tr("Edit <a>"), QRect(568, 1, 195, 57));
    addCaption(link, QStringLiteral("href="), 6);
    edtHref = makeOptionEdit(link, QStringLiteral("edtHref"), tr("Link to original"), 6, 90);
    addCaption(link, QStringLiteral("target="), 102);
    cmbTarget = makeOptionList(link, QStringLiteral("cmbTarget"), tr("Original path load"), 102, 86,
                               {QStringLiteral("_blank"), QStringLiteral("_parent"),
                                QStringLiteral("_self"), QStringLiteral("_top")});

    QGroupBox *header = makeOptionGroup(tab, QStringLiteral("grbHeader"), tr("Thumbs header"),
                                        QRect(1, 60, 564, 57));
    addCaption(header, tr("header text"), 6, false);
    edtHeader =
        makeOptionEdit(header, QStringLiteral("edtHeader"), tr("Text of header thumbs"), 6, 150);
    addCaption(header, QStringLiteral("font face="), 162);
    cmbFontHeader = makeOptionList(header, QStringLiteral("cmbFontHeader"),
                                   tr("Font of header thumbs"), 162, 150,
                                   {QStringLiteral("Arial, Helvetica, sans-serif"),
                                    QStringLiteral("Times New Roman, Times, serif"),
                                    QStringLiteral("Courier New, Courier, mono"),
                                    QStringLiteral("Georgia, Times New Roman, Times, serif"),
                                    QStringLiteral("Verdana, Arial, Helvetica, sans-serif"),
                                    QStringLiteral("Geneva, Arial, Helvetica, san-serif")});
    addCaption(header, QStringLiteral("font size="), 318);
    QStringList sizes;
    for (const char *prefix : {"", "+", "-"}) {
        for (int size = 1; size <= 7; ++size)
            sizes << QString::fromLatin1(prefix) + QString::number(size);
    }
    cmbFontSize = makeOptionList(header, QStringLiteral("cmbFontSize"), tr("thumbs fonts size"),
                                 318, 50, sizes);
    addCaption(header, QStringLiteral("color="), 376);
    pnlColorFont =
        makeColourPair(header, QStringLiteral("pnlColorFont"), tr("Fonts Color"),
                       QStringLiteral("edtColorFont"), tr("Fonts color"), 376, edtColorFont);
    chbBold =
        makeStyleCheck(header, QStringLiteral("chbBold"), QStringLiteral("B"), tr("Semibold"), 466);
    chbBold->setStyleSheet(QStringLiteral("font-weight: bold;"));
    chbItalic = makeStyleCheck(header, QStringLiteral("chbItalic"), QStringLiteral("I"),
                               tr("Italics"), 498);
    chbItalic->setStyleSheet(QStringLiteral("font-weight: bold; font-style: italic;"));
    chbUnderline = makeStyleCheck(header, QStringLiteral("chbUnderline"), QStringLiteral("U"),
                                  tr("Underline"), 530);
    chbUnderline->setStyleSheet(QStringLiteral("font-weight: bold; text-decoration: underline;"));

    QGroupBox *image =
        makeOptionGroup(tab, QStringLiteral("grbImg"), tr("Edit <img>"), QRect(568, 60, 195, 57));
    addCaption(image, QStringLiteral("src="), 6);
    edtSrc = makeOptionEdit(image, QStringLiteral("edtSrc"), tr("Thumbs path"), 6, 110);
    addCaption(image, QStringLiteral("border="), 124);
    spinBorderImg =
        makeOptionSpin(image, QStringLiteral("spinBorderImg"), tr("Thumb border size"), 124);

    QGroupBox *table = makeOptionGroup(tab, QStringLiteral("grbTable"), tr("Edit <table>"),
                                       QRect(1, 119, 564, 57));
    addCaption(table, QStringLiteral("border="), 6);
    spinBorder = makeOptionSpin(table, QStringLiteral("spinBorder"), tr("table border size"), 6);
    addCaption(table, QStringLiteral("cellpadding="), 62);
    spinCellPad =
        makeOptionSpin(table, QStringLiteral("spinCellPad"), tr("Distance between cells"), 62);
    addCaption(table, QStringLiteral("cellspacing="), 134);
    spinCellSpac = makeOptionSpin(table, QStringLiteral("spinCellSpac"), tr("cells border"), 134);
    addCaption(table, QStringLiteral("bgcolor="), 206);
    pnlBgColor =
        makeColourPair(table, QStringLiteral("pnlBgColor"), tr("cells backgroubd color"),
                       QStringLiteral("edtBgColor"), tr("cells backgroubd color"), 206, edtBgColor);
    addCaption(table, QStringLiteral("bordercolor="), 294);
    pnlBordColor =
        makeColourPair(table, QStringLiteral("pnlBordColor"), tr("border color"),
                       QStringLiteral("edtBordColor"), tr("border color"), 294, edtBordColor);
    addCaption(table, QStringLiteral("bordercolordark="), 382);
    pnlBordColorD =
        makeColourPair(table, QStringLiteral("pnlBordColorD"),
                       tr("Color of the dark side of a border"), QStringLiteral("edtBordColorD"),
                       tr("Color of the dark side of a border"), 382, edtBordColorD);
    addCaption(table, QStringLiteral("bordercolorlight="), 472);
    pnlBordColorL =
        makeColourPair(table, QStringLiteral("pnlBordColorL"),
                       tr("Color of the lite side of a border"), QStringLiteral("edtBordColorL"),
                       tr("Color of the light side of a border"), 472, edtBordColorL);

    rdbAlignTab =
        new RadioGroup(tr("Aligment"), {tr("Left     "), tr("Center     "), tr("Right")}, tab);
    rdbAlignTab->setObjectName(QStringLiteral("rdbAlignTab"));
    rdbAlignTab->setToolTip(tr("Cells arrangement"));
    rdbAlignTab->setGeometry(568, 119, 195, 57);
    rdbAlignTab->setItemIndex(settingSpec(u"rdbAlignTab.ItemIndex").number);
}

void TFormMain::buildSourceGroup(QWidget *tab)
{
    QGroupBox *source =
        makeOptionGroup(tab, QStringLiteral("grbCode"), tr("Cod HTML"), QRect(1, 178, 762, 274));
    const struct
    {
        QToolButton *&button;
        const char *name;
        const char *hint;
        const char *icon;
    } buttons[] = {
        {btnDelSelText, "btnDelSelText", QT_TR_NOOP("Delete"), "text_delete"},
        {btnCutSelText, "btnCutSelText", QT_TR_NOOP("crop"), "text_cut"},
        {btnCopySelText, "btnCopySelText", QT_TR_NOOP("Copy"), "text_copy"},
        {btnPasteText, "btnPasteText", QT_TR_NOOP("Insert"), "text_paste"},
    };
    int top = 16;
    for (const auto &entry : buttons) {
        entry.button = makeFlatButton(source, QString::fromLatin1(entry.name), tr(entry.hint),
                                      QString::fromLatin1(entry.icon));
        entry.button->setGeometry(3, top, 22, 22);
        top += 24;
    }

    CL = new HtmlSourcePane(source);
    CL->setObjectName(QStringLiteral("CL"));
    CL->setGeometry(27, 14, 732, 257);
    Growing.add(source, GrowingLayout::GrowWidth | GrowingLayout::GrowHeight);
    Growing.add(CL, GrowingLayout::GrowWidth | GrowingLayout::GrowHeight);
}
