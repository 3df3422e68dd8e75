#include "html/page_file.h"

#include "imaging/pictavel_error.h"
#include "project/windows1251.h"

#include <QSaveFile>

void writePageFile(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += encodeWindows1251(line);
        bytes += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw PictavelError(QStringLiteral("Cannot create file %1").arg(path));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw PictavelError(QStringLiteral("Cannot write file %1").arg(path));
}
