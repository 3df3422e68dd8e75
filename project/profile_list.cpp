#include "project/profile_list.h"

#include "base/pictavel_error.h"
#include "project/gallery_settings.h"
#include "project/settings_store.h"
#include "project/settings_table.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString ListSection = QStringLiteral("PropertyProject");
const QString ListKey = QStringLiteral("NameProp");

} // namespace

QString defaultProfileName()
{
    return QStringLiteral("Default");
}

QStringList readProfileNames(const SettingsStore &store)
{
    QStringList names{defaultProfileName()};
    store.ReadList(ListSection, ListKey, names);
    // A list stored empty would leave nothing to select.
    if (names.isEmpty())
        names << defaultProfileName();
    return names;
}

void writeProfileNames(SettingsStore &store, const QStringList &names)
{
    store.WriteList(ListSection, ListKey, names);
}

void loadGalleryProfile(const QString &iniPath, const QString &profile, GallerySettings &settings)
{
    QFile file(iniPath);
    if (!QFileInfo(iniPath).isFile() || !file.open(QIODevice::ReadOnly))
        throw PictavelError(QStringLiteral("cannot read the settings file %1").arg(iniPath));
    file.close();

    // Saving is never asked for, so no save problem is ever reported.
    SettingsStore store(iniPath, QStringLiteral("FormMain"), galleryProps(), settings.resolver(),
                        [](const QString &) {});
    const QStringList names = readProfileNames(store);
    const QString name = profile.isEmpty() ? names.first() : profile;
    if (!names.contains(name))
        throw PictavelError(QStringLiteral("%1 holds no profile \"%2\" (it holds: %3)")
                                .arg(iniPath, name, names.join(QStringLiteral(", "))));
    store.setProfile(name);
    store.Load();
}
