#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

// How a setting's value is written to and read from the settings file.
enum class SettingKind {
    Flag,    // "1" or "0"; read back as an integer, non-zero sets it
    Integer, // decimal; read back also as "$1E", "0x1E" or "0X1E"
    Float,   // shortest general form ("400", "12.5")
    Text,    // as it stands
};

// A resolved settings entry: the kind of the property and its control's
// getter and setter. The value lives in the control only.
struct SettingBinding
{
    SettingKind kind;
    std::function<QVariant()> get;
    std::function<void(const QVariant &)> set;
};

// Resolves an entry such as "spinMaxW.Value"; nothing for an entry whose
// control or property does not exist.
using SettingResolver = std::function<std::optional<SettingBinding>(const QString &entry)>;

QString formatSettingValue(SettingKind kind, const QVariant &value);
// Nothing when the text cannot be read as the kind.
std::optional<QVariant> parseSettingValue(SettingKind kind, const QString &text);
