#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// The picture files of a folder that the file list shows: names matching
// "*.jpg;*.jpeg;*.bmp;*.gif" without regard to case, each once, sorted by name
// without regard to case with the locale's collation. A folder that cannot be
// read has none.
QStringList listPictureFiles(const QString &folder, const QLocale &locale = QLocale());

// The picture files of `folder` whose names are not UTF-8, as the file
// system gives them: Qt cannot name them, so listPictureFiles() leaves them
// out, and they are told instead of silently missing.
QList<QByteArray> undecodablePictureFiles(const QString &folder);

// A file name as the file system gives it, with every byte that is not part
// of a UTF-8 character shown as \xNN.
QString shownFileName(const QByteArray &name);

// A file length as the size pane shows it: kilobytes rounded to five
// significant digits, written with one decimal (the locale's separator) and
// " KB"; from 100000 KB on in exponent notation.
QString fileSizeText(qint64 bytes, const QLocale &locale = QLocale());
