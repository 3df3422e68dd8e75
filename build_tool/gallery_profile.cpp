#include "build_tool/gallery_profile.h"

#include "base/pictavel_error.h"
#include "project/gallery_settings.h"
#include "project/settings_props.h"
#include "project/settings_store.h"

#include <QFile>
#include <QFileInfo>

void loadGalleryProfile(const QString &iniPath, const QString &profile, GallerySettings &settings)
{
    QFile file(iniPath);
    if (!QFileInfo(iniPath).isFile() || !file.open(QIODevice::ReadOnly))
        throw PictavelError(QStringLiteral("cannot read the settings file %1").arg(iniPath));
    file.close();

    // Saving is never asked for, so no save problem is ever reported.
    SettingsStore store(iniPath, QStringLiteral("FormMain"), galleryProps(), settings.resolver(),
                        [](const QString &) {});
    // The window starts with the one profile "Default" and falls back to it
    // when the stored list is empty.
    QStringList names{QStringLiteral("Default")};
    store.ReadList(QStringLiteral("PropertyProject"), QStringLiteral("NameProp"), names);
    if (names.isEmpty())
        names << QStringLiteral("Default");
    const QString name = profile.isEmpty() ? names.first() : profile;
    if (!names.contains(name))
        throw PictavelError(QStringLiteral("%1 holds no profile \"%2\" (it holds: %3)")
                                .arg(iniPath, name, names.join(QStringLiteral(", "))));
    store.setProfile(name);
    store.Load();
}
