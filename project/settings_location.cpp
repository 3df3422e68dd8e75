#include "project/settings_location.h"

#include "base/pictavel_error.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString SettingsFileName = QStringLiteral("propstor.ini");

} // namespace

QString settingsFilePath(const QString &exeFolder)
{
    const QFileInfo beside(exeFolder);
    if (beside.isDir() && beside.isWritable())
        return QDir(exeFolder).filePath(SettingsFileName);

    const QString configFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (configFolder.isEmpty() || !QDir().mkpath(configFolder))
        throw PictavelError(
            QStringLiteral("The folder %1 cannot be written and the settings folder %2 cannot "
                           "be created")
                .arg(QDir::toNativeSeparators(exeFolder), QDir::toNativeSeparators(configFolder)));
    return QDir(configFolder).filePath(SettingsFileName);
}
