#pragma once

#include <QString>
#include <QStringList>

// Writes a Windows-1251 text file: every line followed by CR LF, the last one
// too, through AtomicFile: a failure leaves the old file as it was and raises
// its error.
void writeTextFile1251(const QString &path, const QStringList &lines);

// The bytes of such a file.
QByteArray encodeTextFile1251(const QStringList &lines);

// Writes a UTF-8 text file the same way.
void writeTextFileUtf8(const QString &path, const QStringList &lines);

// The bytes of such a file.
QByteArray encodeTextFileUtf8(const QStringList &lines);

// The lines of a Windows-1251 text file with CR LF or LF line ends; an absent or
// unreadable file has no lines.
QStringList readTextFile1251(const QString &path);
