#include "project/settings_props.h"

const QStringList &galleryProps()
{
    static const QStringList props = {
        QStringLiteral("btnKant.Down"),          QStringLiteral("chbBold.Checked"),
        QStringLiteral("chbItalic.Checked"),     QStringLiteral("chbRenameF.Checked"),
        QStringLiteral("chbUnderline.Checked"),  QStringLiteral("cmbFontHeader.Text"),
        QStringLiteral("cmbFontSize.Text"),      QStringLiteral("cmbTarget.Text"),
        QStringLiteral("edtBgColor.Text"),       QStringLiteral("edtBGColorPage.Text"),
        QStringLiteral("edtBordColor.Text"),     QStringLiteral("edtBordColorD.Text"),
        QStringLiteral("edtBordColorL.Text"),    QStringLiteral("edtColorFont.Text"),
        QStringLiteral("edtGalerFolder.Text"),   QStringLiteral("edtHeader.Text"),
        QStringLiteral("edtHref.Text"),          QStringLiteral("edtSrc.Text"),
        QStringLiteral("edtTextColorPage.Text"), QStringLiteral("edtThumbsFolder.Text"),
        QStringLiteral("edtTitle.Text"),         QStringLiteral("pnlBgColor.Color"),
        QStringLiteral("pnlBGColorPage.Color"),  QStringLiteral("pnlBordColor.Color"),
        QStringLiteral("pnlBordColorD.Color"),   QStringLiteral("pnlBordColorL.Color"),
        QStringLiteral("pnlColorFont.Color"),    QStringLiteral("pnlTextColorPage.Color"),
        QStringLiteral("rdbAlignTab.ItemIndex"), QStringLiteral("spinBorder.Value"),
        QStringLiteral("spinBorderImg.Value"),   QStringLiteral("spinCellPad.Value"),
        QStringLiteral("spinCellSpac.Value"),    QStringLiteral("spinCounCol.Value"),
        QStringLiteral("spinH.Value"),           QStringLiteral("spinLeftMargin.Value"),
        QStringLiteral("spinMaxH.Value"),        QStringLiteral("spinMaxW.Value"),
        QStringLiteral("spinTopMargin.Value"),   QStringLiteral("spinW.Value"),
    };
    return props;
}
