#include "project/project_folders.h"

#include "base/pictavel_error.h"
#include "html/page_generator.h"

#include <QDir>

ProjectFolder deriveProjectFolder(const QString &projectPath, const QString &folderText)
{
    ProjectFolder folder;
    QString relative = folderText;
    if (!relative.startsWith(u'\\') && !relative.startsWith(u'/'))
        relative.prepend(u'\\');
    folder.linkPrefix = addressFolderPrefix(relative);
    relative.replace(u'\\', u'/');
    folder.path = projectPath + relative;
    return folder;
}

bool sameFolderText(const QString &a, const QString &b)
{
    return QDir::cleanPath(deriveProjectFolder(QString(), a).path) ==
           QDir::cleanPath(deriveProjectFolder(QString(), b).path);
}

bool folderTextLeavesProject(const QString &folderText)
{
    QString text = folderText;
    text.replace(u'\\', u'/');
    return text.split(u'/').contains(QStringLiteral(".."));
}

void checkFolderText(const QString &folderText)
{
    if (folderTextLeavesProject(folderText))
        throw PictavelError(
            QStringLiteral(
                "The folder \"%1\" lies outside the project folder; nothing was written.")
                .arg(folderText));
}

void checkNamePrefix(const QString &prefix)
{
    if (prefix.contains(u'/'))
        throw PictavelError(
            QStringLiteral("The file name prefix \"%1\" holds a \"/\"; nothing was written.")
                .arg(prefix));
}

bool pathIsInside(const QString &path, const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QString inner = QDir::cleanPath(path);
    const QString outer = QDir::cleanPath(folder);
    return inner == outer || inner.startsWith(outer.endsWith(u'/') ? outer : outer + u'/');
}

QString loadedLinkPrefix(const QString &storedPrefix, const QString &folderText)
{
    if (!storedPrefix.isEmpty())
        return storedPrefix;
    return deriveProjectFolder(QString(), folderText).linkPrefix;
}
