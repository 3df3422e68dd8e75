#pragma once

#include <QStandardPaths>
#include <QString>

// The one way a folder and a file name inside it are joined.
QString joinPath(const QString &folder, const QString &fileName);

// Creates `folder` unless it is there; its parent must exist. Raises
// "Cannot create folder %s: reason" with the system's reason. Safe when
// several threads make the same folder.
void ensureFolder(const QString &folder);

// Creates `folder` with every missing parent; raises `what` ("Cannot create
// folder %1") with the path and the system's reason.
void ensureFolderPath(const QString &folder,
                      const QString &what = QStringLiteral("Cannot create folder %1"));

// Where the program keeps a file of its own about a project folder, outside
// that folder: in `location`, under `kind` ("exports", "galleries"), named by
// the SHA-1 of the folder's canonical path; empty while the folder does not
// exist.
QString projectRecordPath(QStandardPaths::StandardLocation location, const QString &kind,
                          const QString &projectFolder);
