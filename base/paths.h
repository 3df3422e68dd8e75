#pragma once

#include <QString>

// The one way a folder and a file name inside it are joined.
QString joinPath(const QString &folder, const QString &fileName);

// Creates `folder` unless it is there; its parent must exist. Raises
// "Cannot create folder %s". Safe when several threads make the same folder.
void ensureFolder(const QString &folder);
