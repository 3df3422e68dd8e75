#include "base/text_file.h"

#include "base/pictavel_error.h"
#include "base/windows1251.h"

#include <QFile>
#include <QSaveFile>

void writeTextFile1251(const QString &path, const QStringList &lines)
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

QStringList readTextFile1251(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = decodeWindows1251(file.readAll());
    text.remove(u'\r');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}
