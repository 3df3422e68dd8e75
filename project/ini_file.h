#pragma once

#include <QString>
#include <QStringList>

// A sectioned key=value text file in the Windows-1251 code page with CR LF line
// ends, read once when constructed and changed in memory until save() writes it
// back in one piece. Section and key names compare without regard to case. A
// write replaces the value in place, appends a new key to the end of its section
// and a new section to the end of the file; save() replaces the file through a
// temporary file, so a failed save leaves the old file as it was.
class IniFile
{
public:
    // Longest value read back; the rest of a longer value is cut off.
    static constexpr int MaxValueLength = 2047;

    explicit IniFile(const QString &path);

    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    void writeString(const QString &section, const QString &key, const QString &value);
    // Whether the key was there to remove.
    bool removeKey(const QString &section, const QString &key);
    // Whether the section was there to erase.
    bool eraseSection(const QString &section);

    // Raises "Unable to write to %s" with the system's reason when the file
    // cannot be written; the old file stays as it was.
    void save() const;

private:
    QString m_path;
    QStringList m_lines;
};
