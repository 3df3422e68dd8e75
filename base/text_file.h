#pragma once

#include <QString>
#include <QStringList>

// Writes a Windows-1251 text file: every line followed by CR LF, the last one
// too. An existing file is replaced only once the new one is complete, so a
// failure leaves the old file as it was and raises PictavelError with
// "Cannot create file %s" or "Cannot write file %s".
void writeTextFile1251(const QString &path, const QStringList &lines);

// The lines of a Windows-1251 text file with CR LF or LF line ends; an absent or
// unreadable file has no lines.
QStringList readTextFile1251(const QString &path);
