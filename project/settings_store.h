#pragma once

#include "project/setting_value.h"

#include <QMap>
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

// Every entry of `props` as a profile stores it, by entry: the settings in
// effect, kept with a recorded set.
QMap<QString, QString> storedSettings(const QStringList &props, const SettingResolver &resolver);

// Gives the entries of `props` that `stored` holds their stored values, in
// the order of `props`, as a profile's load does; the others stay as they
// are. A value that cannot be read leaves its setting as it is.
void applyStoredSettings(const QStringList &props, const SettingResolver &resolver,
                         const QMap<QString, QString> &stored);
