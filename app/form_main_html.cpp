#include "app/colour_panel.h"
#include "app/error_guard.h"
#include "app/form_main.h"
#include "app/gallery_progress_bar.h"
#include "app/radio_group.h"
#include "html/colour_text.h"
#include "project/gallery_plan.h"
#include "ui/source_pane.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

void TFormMain::GenerateHtml()
{
    if (GeneratingPage)
        return;
    GeneratingPage = true;
    const auto done = qScopeGuard([this] { GeneratingPage = false; });
    // A spin edit read while its text is empty shows its minimum.
    for (QSpinBox *spin :
         {spinLeftMargin, spinTopMargin, spinBorder, spinCellPad, spinCellSpac, spinBorderImg})
        if (spin->cleanText().isEmpty())
            spin->setValue(spin->minimum());
    if (!Settings.modernPage()) {
        CL->setLines(galleryPage(Settings.pageSettings(), Settings.naming(), setPictures()));
        return;
    }
    CL->setLines(modernPages().constFirst());
}

QList<QStringList> TFormMain::modernPages() const
{
    QList<QSize> thumbSizes;
    for (int i = 0; i < ThumbsCount; ++i)
        thumbSizes << QSize(Thumbs.at(i).ThumbImage->bitmap().width(),
                            Thumbs.at(i).ThumbImage->bitmap().height());
    return modernGalleryPages(Settings.pageSettings(),
                              galleryNames(Settings.naming(), setPictures()), thumbSizes);
}

bool TFormMain::PickColor(ColourPanel *panel, QLineEdit *edit)
{
    // Cancel changes nothing: the panel, its text and the page stay, and the
    // dialog opens next time on the colour last confirmed.
    const QColor opened = ColorDialog->currentColor();
    if (ColorDialog->exec() != QDialog::Accepted) {
        ColorDialog->setCurrentColor(opened);
        return false;
    }
    panel->setColor(panelColour(ColorDialog->currentColor()));
    const QString text = colourText(panel->color());
    if (edit->text() != text)
        edit->setText(text);
    return true;
}

void TFormMain::pnlBGColorPageClick()
{
    if (!PickColor(pnlBGColorPage, edtBGColorPage))
        return;
    // The page background is the table's too, until the table's is picked alone.
    pnlBgColor->setColor(pnlBGColorPage->color());
    edtBgColor->setText(edtBGColorPage->text());
}

void TFormMain::pnlTextColorPageClick()
{
    PickColor(pnlTextColorPage, edtTextColorPage);
}

void TFormMain::pnlColorFontClick()
{
    PickColor(pnlColorFont, edtColorFont);
}

void TFormMain::pnlBgColorClick()
{
    PickColor(pnlBgColor, edtBgColor);
}

void TFormMain::pnlBordColorClick()
{
    PickColor(pnlBordColor, edtBordColor);
}

void TFormMain::pnlBordColorDClick()
{
    PickColor(pnlBordColorD, edtBordColorD);
}

void TFormMain::pnlBordColorLClick()
{
    PickColor(pnlBordColorL, edtBordColorL);
}

void TFormMain::spinBorderChange()
{
    GenerateHtml();
}

void TFormMain::rdbAlignTabClick()
{
    GenerateHtml();
}

void TFormMain::PageControlChange()
{
    if (PageControl->currentWidget() != TabSheet_SetHTML)
        return;
    GenerateHtml();
    ProgressBar->empty();
}

void TFormMain::btnDelSelTextClick()
{
    CL->deleteSelection();
}

void TFormMain::btnCutSelTextClick()
{
    CL->cutSelection();
}

void TFormMain::btnCopySelTextClick()
{
    CL->copySelection();
}

void TFormMain::btnPasteTextClick()
{
    CL->pasteText();
}

void TFormMain::connectHtmlTab()
{
    for (QLineEdit *edit : {edtTitle, edtHeader, edtHref, edtSrc, edtBGColorPage, edtTextColorPage,
                            edtColorFont, edtBgColor, edtBordColor, edtBordColorD, edtBordColorL})
        connectGuarded(edit, &QLineEdit::textChanged, this, &TFormMain::spinBorderChange);
    connectGuarded(chbModernPage, &QCheckBox::toggled, this, &TFormMain::spinBorderChange);
    for (QComboBox *list : {cmbFontHeader, cmbFontSize, cmbTarget})
        connectGuarded(list, &QComboBox::editTextChanged, this, &TFormMain::spinBorderChange);
    // Every change of the text on show counts, typed in range or not, or stepped.
    for (SpinEdit *spin :
         {spinLeftMargin, spinTopMargin, spinBorder, spinCellPad, spinCellSpac, spinBorderImg})
        connectGuarded(spin, &SpinEdit::valueTextChanged, this, &TFormMain::spinBorderChange);
    for (QCheckBox *check : {chbBold, chbItalic, chbUnderline})
        connectGuarded(check, &QCheckBox::toggled, this, &TFormMain::spinBorderChange);
    connectGuarded(rdbAlignTab, &RadioGroup::clicked, this, &TFormMain::rdbAlignTabClick);

    const std::pair<ColourPanel *, void (TFormMain::*)()> panels[] = {
        {pnlBGColorPage, &TFormMain::pnlBGColorPageClick},
        {pnlTextColorPage, &TFormMain::pnlTextColorPageClick},
        {pnlColorFont, &TFormMain::pnlColorFontClick},
        {pnlBgColor, &TFormMain::pnlBgColorClick},
        {pnlBordColor, &TFormMain::pnlBordColorClick},
        {pnlBordColorD, &TFormMain::pnlBordColorDClick},
        {pnlBordColorL, &TFormMain::pnlBordColorLClick},
    };
    for (const auto &[panel, handler] : panels)
        connectGuarded(panel, &ColourPanel::clicked, this, handler);

    connectGuarded(PageControl, &QTabWidget::currentChanged, this, &TFormMain::PageControlChange);
    connectGuarded(btnDelSelText, &QToolButton::clicked, this, &TFormMain::btnDelSelTextClick);
    connectGuarded(btnCutSelText, &QToolButton::clicked, this, &TFormMain::btnCutSelTextClick);
    connectGuarded(btnCopySelText, &QToolButton::clicked, this, &TFormMain::btnCopySelTextClick);
    connectGuarded(btnPasteText, &QToolButton::clicked, this, &TFormMain::btnPasteTextClick);
}
