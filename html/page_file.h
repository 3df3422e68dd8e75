#pragma once

#include <QString>
#include <QStringList>

// Writes the page: every line followed by CR LF, in Windows-1251. An existing
// file is replaced only once the new one is complete; a failure raises
// PictavelError and leaves the old file as it was.
void writePageFile(const QString &path, const QStringList &lines);
