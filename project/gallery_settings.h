#pragma once

#include "project/gallery_plan.h"
#include "project/setting_value.h"

#include <QHash>
#include <QSize>
#include <QString>
#include <QVariant>

// The gallery's settings while a program runs: the persisted ones, each as
// the window's control holds it (the same built-in default, kind and range),
// the project folder and the renaming prefixes. pictavel-build fills it from a
// profile; the window keeps it in step with its controls and reads the page,
// the layout and the options from it.
// Setting a value follows the control's rules (spinners and spin edits clamp
// to their range, a spin edit keeps the integer part, the alignment group
// takes its last item for an index beyond it) and, when the value changes,
// does what the window's change handlers do: the link prefixes follow the
// folder texts, and equal folder texts switch renaming on.
class GallerySettings
{
public:
    GallerySettings();

    // Resolves the entries of galleryProps() for SettingsStore; nothing for
    // any other entry.
    SettingResolver resolver();

    // The project folder has been chosen: both folders and link prefixes are
    // derived again and the folder texts compared, as after the window's
    // folder dialog.
    void chooseProjectFolder(const QString &projectPath);

    // Checks a check box setting ("chbKeepOriginals.Checked").
    void turnOn(const QString &entry);

    // The renaming prefixes, which no profile stores.
    void setPrefixes(const QString &picturePrefix, const QString &thumbnailPrefix);
    // A spin edit's text as typed, which the page shows, in range or not,
    // until its value is set again.
    void setSpinText(const QString &entry, const QString &text);

    // A recorded set's folder texts and naming take the place of the
    // profile's once the project folder has been chosen: both folders and
    // link prefixes are derived again, as the window does on reopening it.
    void applyProjectTexts(const QString &galleryFolderText, const QString &thumbsFolderText,
                           const NamingSettings &naming);

    // Raises PictavelError naming a folder text that would leave the
    // project folder, or a renaming prefix in use that names another folder,
    // as the window's "Start" does.
    void checkFolderTexts() const;

    const QString &projectPath() const { return m_projectPath; }
    const QString &galleryPath() const { return m_galleryPath; }
    const QString &thumbsPath() const { return m_thumbsPath; }
    QString galleryFolderText() const { return text("edtGalerFolder.Text"); }
    QString pictureLinkPrefix() const { return text("edtHref.Text"); }
    QString thumbLinkPrefix() const { return text("edtSrc.Text"); }
    QString thumbsFolderText() const { return text("edtThumbsFolder.Text"); }
    ExportOptions exportOptions() const;
    // Whether the page is the modern one, with screen-sized copies.
    bool modernPage() const { return flag("chbModernPage.Checked"); }
    // The thumbnail grid's cells per row: spinCounCol.
    int columns() const { return number("spinCounCol.Value"); }
    NamingSettings naming() const;
    // The thumbnail box: spinMaxW x spinMaxH.
    QSize thumbBox() const;
    PageSettings pageSettings() const;
    // The folders, the naming and the thumbnail box, once the project folder
    // has been chosen.
    GalleryLayout layout() const;

private:
    void set(const QString &entry, const QVariant &value);
    QString text(const QString &entry) const;
    bool flag(const QString &entry) const;
    int number(const QString &entry) const;
    SpinEditText spinText(const QString &entry) const;
    void galerFolderChanged();
    void thumbsFolderChanged();

    QHash<QString, QVariant> m_values;
    // Spin edits' texts as typed, by entry.
    QHash<QString, QString> m_spinTexts;
    QString m_projectPath;
    QString m_galleryPath;
    QString m_thumbsPath;
    // The renaming prefixes are not persisted: the window starts with these.
    QString m_picturePrefix = QString::fromLatin1(kStartPicturePrefix);
    QString m_thumbnailPrefix = QString::fromLatin1(kStartThumbnailPrefix);
};
