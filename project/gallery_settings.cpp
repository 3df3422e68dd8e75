#include "project/gallery_settings.h"

#include "project/project_folders.h"
#include "project/settings_table.h"

#include <algorithm>
#include <cmath>

GallerySettings::GallerySettings()
{
    for (const SettingSpec &spec : gallerySettingSpecs())
        m_values.insert(QLatin1String(spec.key), spec.defaultValue());
}

SettingResolver GallerySettings::resolver()
{
    return [this](const QString &entry) -> std::optional<SettingBinding> {
        const SettingSpec *spec = findSettingSpec(entry);
        if (!spec)
            return std::nullopt;
        const bool floating = spec->control == SettingControl::SpinEdit;
        return SettingBinding{spec->kind(),
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
    const SettingSpec *spec = findSettingSpec(entry);
    if (!spec)
        return;
    const QVariant held = spec->held(value);
    if (m_values.value(entry) == held)
        return;
    m_values.insert(entry, held);
    m_spinTexts.remove(entry);
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

void GallerySettings::applyProjectTexts(const QString &galleryFolderText,
                                        const QString &thumbsFolderText,
                                        const NamingSettings &naming)
{
    m_values.insert(QStringLiteral("edtGalerFolder.Text"), galleryFolderText);
    m_values.insert(QStringLiteral("edtThumbsFolder.Text"), thumbsFolderText);
    chooseProjectFolder(m_projectPath);
    m_values.insert(QStringLiteral("chbRenameF.Checked"), naming.renaming);
    m_picturePrefix = naming.picturePrefix;
    m_thumbnailPrefix = naming.thumbnailPrefix;
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
    if (sameFolderText(text("edtGalerFolder.Text"), text("edtThumbsFolder.Text")))
        m_values.insert(QStringLiteral("chbRenameF.Checked"), true);
}

void GallerySettings::checkFolderTexts() const
{
    checkFolderText(text("edtGalerFolder.Text"));
    checkFolderText(text("edtThumbsFolder.Text"));
    if (flag("chbRenameF.Checked")) {
        checkNamePrefix(m_picturePrefix);
        checkNamePrefix(m_thumbnailPrefix);
    }
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
    const auto typed = m_spinTexts.constFind(entry);
    return {typed != m_spinTexts.cend() ? *typed : QString::number(number(entry)),
            settingSpec(entry).minimum};
}

void GallerySettings::setSpinText(const QString &entry, const QString &text)
{
    m_spinTexts.insert(entry, text);
}

void GallerySettings::setPrefixes(const QString &picturePrefix, const QString &thumbnailPrefix)
{
    m_picturePrefix = picturePrefix;
    m_thumbnailPrefix = thumbnailPrefix;
}

NamingSettings GallerySettings::naming() const
{
    return {flag("chbRenameF.Checked"), m_picturePrefix, m_thumbnailPrefix};
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

GalleryLayout GallerySettings::layout() const
{
    return {m_projectPath,
            m_galleryPath,
            m_thumbsPath,
            naming(),
            thumbBox(),
            exportOptions(),
            text("edtGalerFolder.Text"),
            text("edtThumbsFolder.Text")};
}

ExportOptions GallerySettings::exportOptions() const
{
    return {flag("chbSmoothThumbs.Checked"), flag("chbKeepOriginals.Checked")};
}

void GallerySettings::turnOn(const QString &entry)
{
    set(entry, true);
}
