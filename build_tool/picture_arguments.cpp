#include "build_tool/picture_arguments.h"

#include "base/paths.h"
#include "collection/picture_folder.h"

#include <QDir>
#include <QFileInfo>

QStringList expandPictureArguments(const QStringList &arguments)
{
    QStringList pictures;
    for (const QString &argument : arguments) {
        const QFileInfo info(argument);
        const QString path = QDir::cleanPath(info.absoluteFilePath());
        if (!info.isDir()) {
            pictures << path;
            continue;
        }
        for (const QString &name : listPictureFiles(path))
            pictures << joinPath(path, name);
    }
    return pictures;
}
