#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The bytes of the file at `path` when it is a regular file of at most
// `maxBytes`. It is opened without waiting and checked before it is read, so
// a pipe, a device or a link to one never blocks or floods the reader.
// Nothing when it cannot be used, with `why` saying why ("it is not a regular
// file", "it is larger than ...", the system's reason), or with `why` empty
// when there is no such file.
std::optional<QByteArray> readBoundedRegularFile(const QString &path, qint64 maxBytes,
                                                 QString &why);
