#pragma once

#include <QString>

// A folder text of the project box ("\gal", "gal", "\photos\big") gives the
// page's link prefix ("gal/", "photos/big/") and the folder under the project
// folder. A leading "\" or "/" is the separator; any other "\" stands for
// "/". The prefix is address text (addressFolderPrefix): "trip #3" gives
// "trip %233/", and the project folder itself (an empty text, or "\") an
// empty prefix, so that links stay relative.
struct ProjectFolder
{
    QString linkPrefix;
    QString path;
};

ProjectFolder deriveProjectFolder(const QString &projectPath, const QString &folderText);

// Whether two folder texts name one folder under the project folder, by
// their cleaned paths: "gal", "\gal", "\gal\" and "\.\gal" are one folder,
// "\Gal" another.
bool sameFolderText(const QString &a, const QString &b);

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
