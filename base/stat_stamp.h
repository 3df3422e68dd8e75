#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What stat() says of a file, to the nanosecond.
struct StatStamp
{
    qint64 size = -1;
    quint64 inode = 0;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;

    bool operator==(const StatStamp &) const = default;
};

// The stamp of the file at `path`; nothing when it cannot be stat()ed or is
// no regular file.
std::optional<StatStamp> statStamp(const QString &path);

// The stamp of the open file `fd`, which keeps naming the file written
// through it whatever another program does to its path meanwhile.
std::optional<StatStamp> statStamp(int fd);
