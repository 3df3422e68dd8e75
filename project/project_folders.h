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

// The one way a folder and a file name inside it are joined.
QString joinPath(const QString &folder, const QString &fileName);
