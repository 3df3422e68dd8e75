#pragma once

#include "project/ini_file.h"
#include "project/setting_value.h"

#include <QString>
#include <QStringList>
#include <functional>

// Named settings profiles in one file. A profile's values go to the section
// named by the profile written twice ("DefaultDefault"); with no profile the
// section is the owner window's name. Nothing is kept in memory: every value is
// read from or written to the file at once.
class SettingsStore
{
public:
    // Shown, instead of raising, when Save fails at an entry.
    using SaveProblemReporter = std::function<void(const QString &message)>;

    SettingsStore(const QString &iniPath, const QString &ownerName, const QStringList &props,
                  SettingResolver resolver, SaveProblemReporter reportSaveProblem);

    QString Profile;

    const IniFile &iniFile() const { return m_file; }
    QString sectionName() const;

    // Writes every entry into the current profile; a failure shows
    // "SettingsStore: проблемы c <entry>" and stops the save without raising.
    void Save();
    // Applies every stored entry in order; an error stops the load and is raised
    // again as "Проблемы c SettingsStore<text>".
    void Load();
    void EraseProfile(const QString &name);
    void ReadList(const QString &section, const QString &key, QStringList &lines) const;
    void WriteList(const QString &section, const QString &key, const QStringList &lines);

private:
    QString fullSection(const QString &section) const;

    IniFile m_file;
    QString m_ownerName;
    QStringList m_props;
    SettingResolver m_resolver;
    SaveProblemReporter m_reportSaveProblem;
};
