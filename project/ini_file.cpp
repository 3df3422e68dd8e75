#include "project/ini_file.h"

#include "base/atomic_file.h"
#include "base/pictavel_error.h"
#include "base/text_file.h"

#include <QFileInfo>

namespace {

// The section name of a "[name]" line, or a null string for any other line.
QString sectionOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(u'[') && trimmed.endsWith(u']'))
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    return QString();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isKeyLine(const QString &line, const QString &key)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq > 0 && sameName(line.left(eq).trimmed(), key);
}

// Index of the line that opens the section, or -1.
qsizetype findSection(const QStringList &lines, const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionOf(lines.at(i));
        if (!name.isNull() && sameName(name, section))
            return i;
    }
    return -1;
}

// One past the last line of the section opened at `start`.
qsizetype sectionEnd(const QStringList &lines, qsizetype start)
{
    qsizetype i = start + 1;
    while (i < lines.size() && sectionOf(lines.at(i)).isNull())
        ++i;
    return i;
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path), m_lines(readTextFile1251(path)) {}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const QStringList &lines = m_lines;
    const qsizetype start = findSection(lines, section);
    if (start < 0)
        return defaultValue;
    const qsizetype end = sectionEnd(lines, start);
    for (qsizetype i = start + 1; i < end; ++i) {
        if (isKeyLine(lines.at(i), key))
            return lines.at(i).mid(lines.at(i).indexOf(u'=') + 1).left(MaxValueLength);
    }
    return defaultValue;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QStringList &lines = m_lines;
    const QString entry = key + u'=' + value;
    const qsizetype start = findSection(lines, section);
    if (start < 0) {
        lines << u'[' + section + u']' << entry;
    } else {
        const qsizetype end = sectionEnd(lines, start);
        qsizetype found = -1;
        for (qsizetype i = start + 1; i < end && found < 0; ++i) {
            if (isKeyLine(lines.at(i), key))
                found = i;
        }
        if (found >= 0) {
            const QString &line = lines.at(found);
            lines[found] = line.left(line.indexOf(u'=') + 1) + value;
        } else {
            // After the section's last entry, before any blank lines that part it
            // from the next section.
            qsizetype at = end;
            while (at > start + 1 && lines.at(at - 1).trimmed().isEmpty())
                --at;
            lines.insert(at, entry);
        }
    }
}

bool IniFile::removeKey(const QString &section, const QString &key)
{
    const qsizetype start = findSection(m_lines, section);
    if (start < 0)
        return false;
    const qsizetype end = sectionEnd(m_lines, start);
    for (qsizetype i = start + 1; i < end; ++i) {
        if (isKeyLine(m_lines.at(i), key)) {
            m_lines.removeAt(i);
            return true;
        }
    }
    return false;
}

bool IniFile::eraseSection(const QString &section)
{
    const qsizetype start = findSection(m_lines, section);
    if (start < 0)
        return false;
    m_lines.remove(start, sectionEnd(m_lines, start) - start);
    return true;
}

void IniFile::save() const
{
    const QFileInfo info(m_path);
    const QString unableToWrite =
        QStringLiteral("Unable to write to %1").arg(info.absoluteFilePath());
    // The save goes through a new file that replaces the old one, which would
    // slip past a write-protected file; honour the protection here.
    if (info.exists() && !info.isWritable())
        throw PictavelError(unableToWrite);
    const QByteArray bytes = encodeTextFile1251(m_lines);
    AtomicFile file(m_path);
    if (!file.open() || !file.write(bytes.constData(), size_t(bytes.size())) || !file.commit())
        throw PictavelError(unableToWrite + QStringLiteral(": ") + file.reason());
}
