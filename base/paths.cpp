#include "base/paths.h"

#include "base/pictavel_error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

QString joinPath(const QString &folder, const QString &fileName)
{
    return folder + u'/' + fileName;
}

void ensureFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return;
    // Another thread may make it between the test and mkdir.
    if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir())
        throw PictavelError(QStringLiteral("Cannot create folder %1").arg(folder));
}

QString projectRecordPath(QStandardPaths::StandardLocation location, const QString &kind,
                          const QString &projectFolder)
{
    const QString canonical = QFileInfo(projectFolder).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    const QByteArray key =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex();
    return joinPath(joinPath(QStandardPaths::writableLocation(location), kind),
                    QString::fromLatin1(key) + QStringLiteral(".json"));
}
