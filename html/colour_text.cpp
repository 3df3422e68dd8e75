#include "html/colour_text.h"

int panelColour(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

QColor colourOfPanel(int panelColour)
{
    const auto value = static_cast<quint32>(panelColour);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QString colourText(int panelColour)
{
    return colourOfPanel(panelColour).name(QColor::HexRgb).toUpper();
}
