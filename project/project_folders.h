#pragma once

#include <QString>

// A folder text of the project box ("\gal", "gal", "\photos\big") gives the
// page's link prefix ("gal/") and the folder under the project folder. A
// leading "\" or "/" is the separator; any other "\" stands for "/".
struct ProjectFolder
{
    QString linkPrefix;
    QString path;
};

ProjectFolder deriveProjectFolder(const QString &projectPath, const QString &folderText);

// A folder text with a ".." part ("\" read as "/") names a folder outside the
// project folder.
bool folderTextLeavesProject(const QString &folderText);

// Raises PictavelError naming the text when a folder text leaves the project
// folder, or when a renaming prefix holds a "/" and would put its files into
// another folder, before anything is written.
void checkFolderText(const QString &folderText);
void checkNamePrefix(const QString &prefix);

// Whether `path` lies in `folder` itself or below it, by their cleaned texts.
bool pathIsInside(const QString &path, const QString &folder);

// The link prefix a loaded profile shows: its own, or, when it holds none,
// the one its folder text gives, so that every profile's page links to the
// files it writes.
QString loadedLinkPrefix(const QString &storedPrefix, const QString &folderText);
