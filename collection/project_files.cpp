#include "collection/project_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ProjectFiles {

void deleteFile(const QString &path)
{
    if (QFileInfo(path).isFile())
        QFile::remove(path);
}

void renameFile(const QString &from, const QString &to)
{
    if (from != to && QFileInfo(from).isFile())
        QFile::rename(from, to);
}

void removeFolder(const QString &path)
{
    if (!path.isEmpty())
        QDir().rmdir(path);
}

} // namespace ProjectFiles
