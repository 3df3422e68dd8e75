#include "project/settings_store.h"

#include "imaging/pictavel_error.h"

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
    : m_file(iniPath), m_ownerName(ownerName), m_props(props), m_resolver(std::move(resolver)),
      m_reportSaveProblem(std::move(reportSaveProblem))
{
}

QString SettingsStore::fullSection(const QString &section) const
{
    return Profile + section;
}

QString SettingsStore::sectionName() const
{
    return Profile.isEmpty() ? m_ownerName : fullSection(Profile);
}

void SettingsStore::Save()
{
    const QString section = sectionName();
    for (const QString &entry : std::as_const(m_props)) {
        try {
            const auto binding = m_resolver(entry);
            if (!binding)
                continue;
            m_file.writeString(section, entry, formatSettingValue(binding->kind, binding->get()));
        } catch (const std::exception &) {
            m_reportSaveProblem(QStringLiteral("SettingsStore: проблемы c ") + entry);
            return;
        }
    }
}

void SettingsStore::Load()
{
    const QString section = sectionName();
    for (const QString &entry : std::as_const(m_props)) {
        try {
            const auto binding = m_resolver(entry);
            if (!binding)
                continue;
            const QVariant current = binding->get();
            const QString stored =
                m_file.readString(section, entry, formatSettingValue(binding->kind, current));
            if (const auto value = parseSettingValue(binding->kind, stored))
                binding->set(*value);
        } catch (const PictavelError &error) {
            throw PictavelError(QStringLiteral("Проблемы c SettingsStore") + error.message());
        } catch (const std::exception &error) {
            throw PictavelError(QStringLiteral("Проблемы c SettingsStore") +
                                QString::fromLocal8Bit(error.what()));
        }
    }
}

void SettingsStore::EraseProfile(const QString &name)
{
    m_file.eraseSection(fullSection(name));
}

void SettingsStore::ReadList(const QString &section, const QString &key, QStringList &lines) const
{
    const QString value = m_file.readString(fullSection(section), key, joinList(lines));
    QStringList pieces = value.split(u'|');
    if (!pieces.isEmpty() && pieces.constLast().isEmpty())
        pieces.removeLast();
    lines = pieces;
}

void SettingsStore::WriteList(const QString &section, const QString &key, const QStringList &lines)
{
    m_file.writeString(fullSection(section), key, joinList(lines));
}
