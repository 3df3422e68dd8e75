#include "project/gallery_settings.h"

#include "project/project_folders.h"

#include <algorithm>
#include <cmath>

namespace {

// The kinds of control a setting lives in on the window.
enum class Control {
    Text,     // edit or editable drop-down box
    Flag,     // check box or toggle button
    Colour,   // colour panel
    Choice,   // radio group of three items
    Spinner,  // whole-number spinner: the value is clamped
    SpinEdit, // numeric edit stored as a floating number: clamped, then truncated
};

struct BuiltInSetting
{
    const char *entry;
    Control control;
    int number = 0; // default of every kind but Text
    const char *text = "";
    int minimum = 0;
    int maximum = 0;
};

constexpr int kWhite = 16777215;
constexpr int kAlignItems = 3;

// The window's controls as built, in the order of galleryProps().
const BuiltInSetting kBuiltIn[] = {
    {"btnKant.Down", Control::Flag},
    {"chbBold.Checked", Control::Flag},
    {"chbItalic.Checked", Control::Flag},
    {"chbRenameF.Checked", Control::Flag},
    {"chbUnderline.Checked", Control::Flag},
    {"cmbFontHeader.Text", Control::Text},
    {"cmbFontSize.Text", Control::Text},
    {"cmbTarget.Text", Control::Text},
    {"edtBgColor.Text", Control::Text, 0, "#FFFFFF"},
    {"edtBGColorPage.Text", Control::Text, 0, "#FFFFFF"},
    {"edtBordColor.Text", Control::Text},
    {"edtBordColorD.Text", Control::Text},
    {"edtBordColorL.Text", Control::Text},
    {"edtColorFont.Text", Control::Text},
    {"edtGalerFolder.Text", Control::Text, 0, "\\gal"},
    {"edtHeader.Text", Control::Text},
    {"edtHref.Text", Control::Text},
    {"edtSrc.Text", Control::Text},
    {"edtTextColorPage.Text", Control::Text, 0, "#000000"},
    {"edtThumbsFolder.Text", Control::Text, 0, "\\thumb"},
    {"edtTitle.Text", Control::Text, 0, "Untitled Document"},
    {"pnlBgColor.Color", Control::Colour, kWhite},
    {"pnlBGColorPage.Color", Control::Colour, kWhite},
    {"pnlBordColor.Color", Control::Colour, kWhite},
    {"pnlBordColorD.Color", Control::Colour, kWhite},
    {"pnlBordColorL.Color", Control::Colour, kWhite},
    {"pnlColorFont.Color", Control::Colour, kWhite},
    {"pnlTextColorPage.Color", Control::Colour, 0},
    {"rdbAlignTab.ItemIndex", Control::Choice, 1},
    {"spinBorder.Value", Control::SpinEdit, 0, "", 0, 100},
    {"spinBorderImg.Value", Control::SpinEdit, 0, "", 0, 100},
    {"spinCellPad.Value", Control::SpinEdit, 2, "", 0, 100},
    {"spinCellSpac.Value", Control::SpinEdit, 0, "", 0, 100},
    {"spinCounCol.Value", Control::Spinner, 5, "", 0, 100},
    {"spinH.Value", Control::SpinEdit, 300, "", 0, 1000},
    {"spinLeftMargin.Value", Control::SpinEdit, 0, "", 0, 300},
    {"spinMaxH.Value", Control::Spinner, 110, "", 60, 200},
    {"spinMaxW.Value", Control::Spinner, 110, "", 60, 200},
    {"spinTopMargin.Value", Control::SpinEdit, 0, "", 0, 300},
    {"spinW.Value", Control::SpinEdit, 400, "", 0, 1000},
};

const BuiltInSetting *builtInOf(const QString &entry)
{
    for (const BuiltInSetting &setting : kBuiltIn) {
        if (entry == QLatin1String(setting.entry))
            return &setting;
    }
    return nullptr;
}

SettingKind kindOf(Control control)
{
    switch (control) {
    case Control::Text:
        return SettingKind::Text;
    case Control::Flag:
        return SettingKind::Flag;
    case Control::SpinEdit:
        return SettingKind::Float;
    case Control::Colour:
    case Control::Choice:
    case Control::Spinner:
        return SettingKind::Integer;
    }
    return SettingKind::Text;
}

// The value the control holds after being given `value`.
QVariant controlValue(const BuiltInSetting &setting, const QVariant &value)
{
    switch (setting.control) {
    case Control::Text:
        return value.toString();
    case Control::Flag:
        return value.toBool();
    case Control::Colour:
        return value.toInt();
    case Control::Choice:
        return std::clamp(value.toInt(), -1, kAlignItems - 1);
    case Control::Spinner:
        return std::clamp(value.toInt(), setting.minimum, setting.maximum);
    case Control::SpinEdit:
        return int(std::trunc(
            std::clamp(value.toDouble(), double(setting.minimum), double(setting.maximum))));
    }
    return value;
}

// The renaming prefixes are not persisted: every start of the window begins
// with these.
const QString kPicturePrefix = QStringLiteral("A_");
const QString kThumbnailPrefix = QStringLiteral("B_");

} // namespace

GallerySettings::GallerySettings()
{
    for (const BuiltInSetting &setting : kBuiltIn) {
        m_values.insert(QLatin1String(setting.entry),
                        setting.control == Control::Text ? QVariant(QString::fromUtf8(setting.text))
                        : setting.control == Control::Flag ? QVariant(setting.number != 0)
                                                           : QVariant(setting.number));
    }
}

SettingResolver GallerySettings::resolver()
{
    return [this](const QString &entry) -> std::optional<SettingBinding> {
        const BuiltInSetting *setting = builtInOf(entry);
        if (!setting)
            return std::nullopt;
        const bool floating = setting->control == Control::SpinEdit;
        return SettingBinding{kindOf(setting->control),
                              [this, entry, floating] {
                                  const QVariant v = m_values.value(entry);
                                  return floating ? QVariant(double(v.toInt())) : v;
                              },
                              [this, entry](const QVariant &value) {
                                  set(entry, value);
                              }};
    };
}

void GallerySettings::set(const QString &entry, const QVariant &value)
{
    const BuiltInSetting *setting = builtInOf(entry);
    if (!setting)
        return;
    const QVariant held = controlValue(*setting, value);
    if (m_values.value(entry) == held)
        return;
    m_values.insert(entry, held);
    if (entry == u"edtGalerFolder.Text")
        galerFolderChanged();
    else if (entry == u"edtThumbsFolder.Text")
        thumbsFolderChanged();
}

void GallerySettings::chooseProjectFolder(const QString &projectPath)
{
    m_projectPath = projectPath;
    galerFolderChanged();
    thumbsFolderChanged();
}

void GallerySettings::galerFolderChanged()
{
    const ProjectFolder folder = deriveProjectFolder(m_projectPath, text("edtGalerFolder.Text"));
    m_values.insert(QStringLiteral("edtHref.Text"), folder.linkPrefix);
    m_galleryPath = folder.path;
}

void GallerySettings::thumbsFolderChanged()
{
    const ProjectFolder folder = deriveProjectFolder(m_projectPath, text("edtThumbsFolder.Text"));
    m_values.insert(QStringLiteral("edtSrc.Text"), folder.linkPrefix);
    m_thumbsPath = folder.path;
    // Equal folders would give a picture and its thumbnail the same file.
    if (text("edtGalerFolder.Text") == text("edtThumbsFolder.Text"))
        m_values.insert(QStringLiteral("chbRenameF.Checked"), true);
}

void GallerySettings::checkFolderTexts() const
{
    checkFolderText(text("edtGalerFolder.Text"));
    checkFolderText(text("edtThumbsFolder.Text"));
}

QString GallerySettings::text(const QString &entry) const
{
    return m_values.value(entry).toString();
}

bool GallerySettings::flag(const QString &entry) const
{
    return m_values.value(entry).toBool();
}

int GallerySettings::number(const QString &entry) const
{
    return m_values.value(entry).toInt();
}

SpinEditText GallerySettings::spinText(const QString &entry) const
{
    return {QString::number(number(entry)), builtInOf(entry)->minimum};
}

NamingSettings GallerySettings::naming() const
{
    return {flag("chbRenameF.Checked"), kPicturePrefix, kThumbnailPrefix};
}

QSize GallerySettings::thumbBox() const
{
    return QSize(number("spinMaxW.Value"), number("spinMaxH.Value"));
}

PageSettings GallerySettings::pageSettings() const
{
    PageSettings s;
    s.title = text("edtTitle.Text");
    s.bgColorPage = text("edtBGColorPage.Text");
    s.textColorPage = text("edtTextColorPage.Text");
    s.leftMargin = spinText("spinLeftMargin.Value");
    s.topMargin = spinText("spinTopMargin.Value");
    s.header = text("edtHeader.Text");
    s.fontHeader = text("cmbFontHeader.Text");
    s.fontSize = text("cmbFontSize.Text");
    s.colorFont = text("edtColorFont.Text");
    s.bold = flag("chbBold.Checked");
    s.italic = flag("chbItalic.Checked");
    s.underline = flag("chbUnderline.Checked");
    s.alignIndex = number("rdbAlignTab.ItemIndex");
    s.border = spinText("spinBorder.Value");
    s.cellPad = spinText("spinCellPad.Value");
    s.cellSpac = spinText("spinCellSpac.Value");
    s.bgColor = text("edtBgColor.Text");
    s.bordColor = text("edtBordColor.Text");
    s.bordColorD = text("edtBordColorD.Text");
    s.bordColorL = text("edtBordColorL.Text");
    s.columnCount = number("spinCounCol.Value");
    s.href = text("edtHref.Text");
    s.target = text("cmbTarget.Text");
    s.src = text("edtSrc.Text");
    s.borderImg = spinText("spinBorderImg.Value");
    return s;
}
