#pragma once

#include "project/setting_value.h"

#include <QString>
#include <QStringList>
#include <functional>

// Named settings profiles in one file. A profile's values go to the section
// named by the profile written twice ("DefaultDefault"); a profile with an empty
// name uses the owner window's name. No value is kept between operations: each
// operation reads the file once and, when it changes it, writes it once.
class SettingsStore
{
public:
    // Shown, instead of raising, when Save fails at an entry.
    using SaveProblemReporter = std::function<void(const QString &message)>;

    SettingsStore(const QString &iniPath, const QString &ownerName, const QStringList &props,
                  SettingResolver resolver, SaveProblemReporter reportSaveProblem);

    const QString &iniPath() const { return m_iniPath; }

    // The profile that Save and Load work on.
    const QString &Profile() const { return m_profile; }
    void setProfile(const QString &profile) { m_profile = profile; }
    QString sectionName() const { return sectionOf(m_profile); }

    // Writes every entry into the current profile; a failure shows
    // "SettingsStore: проблемы c <entry>" and keeps the file as it was.
    void Save();
    // Applies every stored entry in order; an error stops the load and is raised
    // again as "Проблемы c SettingsStore<text>".
    void Load();
    // Removes the section of the named profile.
    void EraseProfile(const QString &name);
    // The list operations work on the section given, whatever profile is current.
    void ReadList(const QString &section, const QString &key, QStringList &lines) const;
    void WriteList(const QString &section, const QString &key, const QStringList &lines);

private:
    QString sectionOf(const QString &profile) const;

    QString m_iniPath;
    QString m_ownerName;
    QStringList m_props;
    SettingResolver m_resolver;
    SaveProblemReporter m_reportSaveProblem;
    QString m_profile;
};
