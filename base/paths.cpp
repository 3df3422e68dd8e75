#include "base/paths.h"

#include "base/pictavel_error.h"

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
