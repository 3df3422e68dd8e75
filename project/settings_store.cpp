#include "project/settings_store.h"

#include "base/pictavel_error.h"
#include "project/ini_file.h"
#include "project/settings_table.h"

#include <QCoreApplication>

#include <exception>

namespace {

QString joinList(const QStringList &lines)
{
    QString value;
    for (const QString &line : lines)
        value += line + u'|';
    return value;
}

} // namespace

SettingsStore::SettingsStore(const QString &iniPath, const QString &ownerName,
                             const QStringList &props, SettingResolver resolver,
                             SaveProblemReporter reportSaveProblem)
    : m_iniPath(iniPath), m_ownerName(ownerName), m_props(props), m_resolver(std::move(resolver)),
      m_reportSaveProblem(std::move(reportSaveProblem))
{
}

QString SettingsStore::sectionOf(const QString &profile) const
{
    return profile.isEmpty() ? m_ownerName : profile + profile;
}

void SettingsStore::Save()
{
    IniFile file(m_iniPath);
    const QString section = sectionName();
    // The entry a failure is reported for: the one being read, or the first one
    // written when the file itself cannot be written.
    QString firstWritten;
    for (const QString &entry : std::as_const(m_props)) {
        try {
            const auto binding = m_resolver(entry);
            if (!binding)
                continue;
            const QVariant value = binding->get();
            const SettingSpec *spec = findSettingSpec(entry);
            if (spec && spec->added && value == spec->defaultValue())
                file.removeKey(section, entry);
            else
                file.writeString(section, entry, formatSettingValue(binding->kind, value));
            if (firstWritten.isNull())
                firstWritten = entry;
        } catch (const std::exception &) {
            m_reportSaveProblem(
                QCoreApplication::translate("SettingsStore", "SettingsStore: проблемы c ") + entry);
            return;
        }
    }
    if (firstWritten.isNull())
        return;
    try {
        file.save();
    } catch (const std::exception &) {
        m_reportSaveProblem(
            QCoreApplication::translate("SettingsStore", "SettingsStore: проблемы c ") +
            firstWritten);
    }
}

void SettingsStore::Load()
{
    const IniFile file(m_iniPath);
    const QString section = sectionName();
    for (const QString &entry : std::as_const(m_props)) {
        try {
            const auto binding = m_resolver(entry);
            if (!binding)
                continue;
            // A described setting missing from the profile keeps what it
            // holds; an added one takes its default.
            const SettingSpec *spec = findSettingSpec(entry);
            const QVariant absent = spec && spec->added ? spec->defaultValue() : binding->get();
            const QString stored =
                file.readString(section, entry, formatSettingValue(binding->kind, absent));
            if (const auto value = parseSettingValue(binding->kind, stored))
                binding->set(*value);
        } catch (const PictavelError &error) {
            throw PictavelError(
                QCoreApplication::translate("SettingsStore", "Проблемы c SettingsStore") +
                error.message());
        } catch (const std::exception &error) {
            throw PictavelError(
                QCoreApplication::translate("SettingsStore", "Проблемы c SettingsStore") +
                QString::fromLocal8Bit(error.what()));
        }
    }
}

void SettingsStore::EraseProfile(const QString &name)
{
    IniFile file(m_iniPath);
    if (file.eraseSection(sectionOf(name)))
        file.save();
}

void SettingsStore::ReadList(const QString &section, const QString &key, QStringList &lines) const
{
    const QString value = IniFile(m_iniPath).readString(section, key, joinList(lines));
    QStringList pieces = value.split(u'|');
    if (!pieces.isEmpty() && pieces.constLast().isEmpty())
        pieces.removeLast();
    lines = pieces;
}

void SettingsStore::WriteList(const QString &section, const QString &key, const QStringList &lines)
{
    IniFile file(m_iniPath);
    file.writeString(section, key, joinList(lines));
    file.save();
}

QMap<QString, QString> storedSettings(const QStringList &props, const SettingResolver &resolver)
{
    QMap<QString, QString> stored;
    for (const QString &entry : props) {
        if (const auto binding = resolver(entry))
            stored.insert(entry, formatSettingValue(binding->kind, binding->get()));
    }
    return stored;
}

void applyStoredSettings(const QStringList &props, const SettingResolver &resolver,
                         const QMap<QString, QString> &stored)
{
    for (const QString &entry : props) {
        const auto text = stored.constFind(entry);
        if (text == stored.cend())
            continue;
        if (const auto binding = resolver(entry))
            if (const auto value = parseSettingValue(binding->kind, *text))
                binding->set(*value);
    }
}
