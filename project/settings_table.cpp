#include "project/settings_table.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWhite = 16777215;

const SettingSpec kSettings[] = {
    {"btnKant.Down", SettingControl::Flag},
    {"chbBold.Checked", SettingControl::Flag},
    {"chbItalic.Checked", SettingControl::Flag},
    {"chbRenameF.Checked", SettingControl::Flag},
    {"chbUnderline.Checked", SettingControl::Flag},
    {"cmbFontHeader.Text", SettingControl::Text},
    {"cmbFontSize.Text", SettingControl::Text},
    {"cmbTarget.Text", SettingControl::Text},
    {"edtBgColor.Text", SettingControl::Text, 0, "#FFFFFF"},
    {"edtBGColorPage.Text", SettingControl::Text, 0, "#FFFFFF"},
    {"edtBordColor.Text", SettingControl::Text},
    {"edtBordColorD.Text", SettingControl::Text},
    {"edtBordColorL.Text", SettingControl::Text},
    {"edtColorFont.Text", SettingControl::Text},
    {"edtGalerFolder.Text", SettingControl::Text, 0, "\\gal"},
    {"edtHeader.Text", SettingControl::Text},
    {"edtHref.Text", SettingControl::Text},
    {"edtSrc.Text", SettingControl::Text},
    {"edtTextColorPage.Text", SettingControl::Text, 0, "#000000"},
    {"edtThumbsFolder.Text", SettingControl::Text, 0, "\\thumb"},
    {"edtTitle.Text", SettingControl::Text, 0, "Untitled Document"},
    {"pnlBgColor.Color", SettingControl::Colour, kWhite},
    {"pnlBGColorPage.Color", SettingControl::Colour, kWhite},
    {"pnlBordColor.Color", SettingControl::Colour, kWhite},
    {"pnlBordColorD.Color", SettingControl::Colour, kWhite},
    {"pnlBordColorL.Color", SettingControl::Colour, kWhite},
    {"pnlColorFont.Color", SettingControl::Colour, kWhite},
    {"pnlTextColorPage.Color", SettingControl::Colour, 0},
    {"rdbAlignTab.ItemIndex", SettingControl::Choice, 1, "", -1, 2},
    {"spinBorder.Value", SettingControl::SpinEdit, 0, "", 0, 100},
    {"spinBorderImg.Value", SettingControl::SpinEdit, 0, "", 0, 100},
    {"spinCellPad.Value", SettingControl::SpinEdit, 2, "", 0, 100},
    {"spinCellSpac.Value", SettingControl::SpinEdit, 0, "", 0, 100},
    {"spinCounCol.Value", SettingControl::Spinner, 5, "", 0, 100},
    {"spinH.Value", SettingControl::SpinEdit, 300, "", 0, 1000},
    {"spinLeftMargin.Value", SettingControl::SpinEdit, 0, "", 0, 300},
    {"spinMaxH.Value", SettingControl::Spinner, 110, "", 60, 200},
    {"spinMaxW.Value", SettingControl::Spinner, 110, "", 60, 200},
    {"spinTopMargin.Value", SettingControl::SpinEdit, 0, "", 0, 300},
    {"spinW.Value", SettingControl::SpinEdit, 400, "", 0, 1000},
    {"chbSmoothThumbs.Checked", SettingControl::Flag, 0, "", 0, 0, true},
    {"chbKeepOriginals.Checked", SettingControl::Flag, 0, "", 0, 0, true},
    {"chbModernPage.Checked", SettingControl::Flag, 0, "", 0, 0, true},
};

} // namespace

SettingKind SettingSpec::kind() const
{
    switch (control) {
    case SettingControl::Text:
        return SettingKind::Text;
    case SettingControl::Flag:
        return SettingKind::Flag;
    case SettingControl::SpinEdit:
        return SettingKind::Float;
    case SettingControl::Colour:
    case SettingControl::Choice:
    case SettingControl::Spinner:
        break;
    }
    return SettingKind::Integer;
}

QVariant SettingSpec::defaultValue() const
{
    switch (control) {
    case SettingControl::Text:
        return QString::fromUtf8(text);
    case SettingControl::Flag:
        return number != 0;
    default:
        return number;
    }
}

QVariant SettingSpec::held(const QVariant &value) const
{
    switch (control) {
    case SettingControl::Text:
        return value.toString();
    case SettingControl::Flag:
        return value.toBool();
    case SettingControl::Colour:
        return value.toInt();
    case SettingControl::Choice:
    case SettingControl::Spinner:
        return std::clamp(value.toInt(), minimum, maximum);
    case SettingControl::SpinEdit:
        return int(std::trunc(std::clamp(value.toDouble(), double(minimum), double(maximum))));
    }
    return value;
}

std::span<const SettingSpec> gallerySettingSpecs()
{
    return kSettings;
}

const SettingSpec *findSettingSpec(QStringView key)
{
    for (const SettingSpec &spec : kSettings) {
        if (key == QLatin1String(spec.key))
            return &spec;
    }
    return nullptr;
}

const SettingSpec &settingSpec(QStringView key)
{
    const SettingSpec *spec = findSettingSpec(key);
    if (!spec)
        qFatal("the settings table holds no key %s", qPrintable(key.toString()));
    return *spec;
}

const QStringList &galleryProps()
{
    static const QStringList props = [] {
        QStringList keys;
        for (const SettingSpec &spec : kSettings)
            keys << QLatin1String(spec.key);
        return keys;
    }();
    return props;
}
