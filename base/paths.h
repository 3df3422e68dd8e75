#pragma once

#include <QStandardPaths>
#include <QString>

// The one way a folder and a file name inside it are joined.
QString joinPath(const QString &folder, const QString &fileName);

// Creates `folder` unless it is there; its parent must exist. Raises
// "Cannot create folder %s". Safe when several threads make the same folder.
void ensureFolder(const QString &folder);

// Where the program keeps a file of its own about a project folder, outside
// that folder: in `location`, under `kind` ("exports", "galleries"), named by
// the SHA-1 of the folder's canonical path; empty while the folder does not
// exist.
QString projectRecordPath(QStandardPaths::StandardLocation location, const QString &kind,
                          const QString &projectFolder);
