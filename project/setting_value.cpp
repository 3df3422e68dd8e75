#include "project/setting_value.h"

#include <cmath>
#include <limits>

namespace {

std::optional<qint32> parseInteger(const QString &text)
{
    QStringView digits(text);
    bool negative = false;
    if (digits.startsWith(u'-') || digits.startsWith(u'+')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    int base = 10;
    if (digits.startsWith(u'$')) {
        base = 16;
        digits = digits.mid(1);
    } else if (digits.startsWith(u"0x") || digits.startsWith(u"0X")) {
        base = 16;
        digits = digits.mid(2);
    }
    if (digits.isEmpty() || digits.front() == u'-' || digits.front() == u'+')
        return std::nullopt;
    bool ok = false;
    const qint64 magnitude = digits.toLongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    const qint64 value = negative ? -magnitude : magnitude;
    // Hexadecimal words may spell a negative number ($FFFFFFFF is -1).
    if (base == 16 && !negative && value > std::numeric_limits<qint32>::max() &&
        value <= std::numeric_limits<quint32>::max())
        return qint32(quint32(value));
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

} // namespace

QString formatSettingValue(SettingKind kind, const QVariant &value)
{
    switch (kind) {
    case SettingKind::Flag:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case SettingKind::Integer:
        return QString::number(value.toInt());
    case SettingKind::Float:
        return QString::number(value.toDouble(), 'g', 15).toUpper();
    case SettingKind::Text:
        return value.toString();
    }
    return QString();
}

std::optional<QVariant> parseSettingValue(SettingKind kind, const QString &text)
{
    switch (kind) {
    case SettingKind::Flag:
        if (const auto number = parseInteger(text))
            return QVariant(*number != 0);
        return std::nullopt;
    case SettingKind::Integer:
        if (const auto number = parseInteger(text))
            return QVariant(*number);
        return std::nullopt;
    case SettingKind::Float: {
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return std::nullopt;
        return QVariant(number);
    }
    case SettingKind::Text:
        return QVariant(text);
    }
    return std::nullopt;
}
