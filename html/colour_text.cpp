#include "html/colour_text.h"

QString colourText(int panelColour)
{
    const auto value = static_cast<quint32>(panelColour);
    const quint32 red = value & 0xFF;
    const quint32 green = (value >> 8) & 0xFF;
    const quint32 blue = (value >> 16) & 0xFF;
    return QStringLiteral("#%1%2%3")
        .arg(red, 2, 16, QLatin1Char('0'))
        .arg(green, 2, 16, QLatin1Char('0'))
        .arg(blue, 2, 16, QLatin1Char('0'))
        .toUpper();
}
