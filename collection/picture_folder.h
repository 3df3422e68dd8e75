#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// The picture files of a folder that the file list shows: names matching
// "*.jpg;*.jpeg;*.bmp;*.gif" without regard to case, each once, sorted by name
// without regard to case with the locale's collation. A folder that cannot be
// read has none.
QStringList listPictureFiles(const QString &folder, const QLocale &locale = QLocale());

// A file length as the size pane shows it: kilobytes rounded to five
// significant digits, written with one decimal (the locale's separator) and
// " KB"; from 100000 KB on in exponent notation.
QString fileSizeText(qint64 bytes, const QLocale &locale = QLocale());
