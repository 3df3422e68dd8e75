#pragma once

#include <QString>
#include <QStringList>

// A sectioned key=value text file in the Windows-1251 code page with CR LF line
// ends. Every call opens the file for that one value, as the settings store
// keeps nothing in memory. Section and key names compare without regard to
// case. A write replaces the value in place, appends a new key to the end of its
// section and a new section to the end of the file; the file is rewritten through
// a temporary file, so a failed write leaves the old file as it was.
class IniFile
{
public:
    // Longest value read back; the rest of a longer value is cut off.
    static constexpr int MaxValueLength = 2047;

    explicit IniFile(const QString &path);

    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // Raises "Unable to write to %s" when the file cannot be written.
    void writeString(const QString &section, const QString &key, const QString &value);
    void eraseSection(const QString &section);

private:
    QStringList readLines() const;
    void writeLines(const QStringList &lines);

    QString m_path;
};
