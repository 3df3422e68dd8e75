#include "base/text_file.h"

#include "base/atomic_file.h"
#include "base/windows1251.h"

#include <QFile>

QByteArray encodeTextFile1251(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += encodeWindows1251(line);
        bytes += "\r\n";
    }
    return bytes;
}

void writeTextFile1251(const QString &path, const QStringList &lines)
{
    writeFileAtomically(path, encodeTextFile1251(lines));
}

QByteArray encodeTextFileUtf8(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

void writeTextFileUtf8(const QString &path, const QStringList &lines)
{
    writeFileAtomically(path, encodeTextFileUtf8(lines));
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
