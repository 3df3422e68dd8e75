#pragma once

#include <QDateTime>
#include <QString>

// Which file a decoded picture came from, and that file's length and time of
// last change then, so that a picture held in memory can stand in for a
// second load of a file that has not changed since.
struct FileStamp
{
    QString path;
    qint64 size = -1;
    QDateTime modified;

    // The file as it is now; an empty stamp for a path that is no file.
    static FileStamp of(const QString &path);
    bool isEmpty() const { return path.isEmpty(); }
    // The same file, unchanged; never true of an empty stamp.
    bool matches(const FileStamp &other) const { return !isEmpty() && *this == other; }
    bool operator==(const FileStamp &) const = default;
};
