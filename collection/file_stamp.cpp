#include "collection/file_stamp.h"

#include <QFileInfo>

FileStamp FileStamp::of(const QString &path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        return {};
    return {path, file.size(), file.lastModified()};
}
