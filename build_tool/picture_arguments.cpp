#include "build_tool/picture_arguments.h"

#include "base/paths.h"
#include "collection/picture_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

PictureArguments expandPictureArguments(const QStringList &arguments,
                                        const QHash<QString, QByteArray> &undecoded)
{
    PictureArguments expanded;
    for (const QString &argument : arguments) {
        if (undecoded.contains(argument)) {
            expanded.unopenable << shownFileName(undecoded.value(argument));
            continue;
        }
        const QFileInfo info(argument);
        const QString path = QDir::cleanPath(info.absoluteFilePath());
        if (!info.isDir()) {
            expanded.pictures << path;
            continue;
        }
        for (const QString &name : listPictureFiles(path))
            expanded.pictures << joinPath(path, name);
        for (const QByteArray &name : undecodablePictureFiles(path))
            expanded.unopenable << joinPath(path, shownFileName(name));
    }
    return expanded;
}

QHash<QString, QByteArray> undecodedArguments(int argc, char **argv)
{
    QHash<QString, QByteArray> undecoded;
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString decoded = QFile::decodeName(raw);
        if (QFile::encodeName(decoded) != raw)
            undecoded.insert(decoded, raw);
    }
    return undecoded;
}
