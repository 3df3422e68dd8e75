#include "project/project_folders.h"

ProjectFolder deriveProjectFolder(const QString &projectPath, const QString &folderText)
{
    ProjectFolder folder;
    QString relative = folderText;
    if (relative.startsWith(u'\\') || relative.startsWith(u'/')) {
        folder.linkPrefix = relative.mid(1) + u'/';
    } else {
        folder.linkPrefix = relative + u'/';
        relative.prepend(u'\\');
    }
    relative.replace(u'\\', u'/');
    folder.path = projectPath + relative;
    return folder;
}

QString joinPath(const QString &folder, const QString &fileName)
{
    return folder + u'/' + fileName;
}
