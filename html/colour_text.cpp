#include "html/colour_text.h"

int panelColour(PanelChannels channels)
{
    return channels.red | (channels.green << 8) | (channels.blue << 16);
}

PanelChannels channelsOfPanel(int panelColour)
{
    const auto value = static_cast<quint32>(panelColour);
    return {int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF)};
}

QString colourText(int panelColour)
{
    const PanelChannels c = channelsOfPanel(panelColour);
    return QString::asprintf("#%02X%02X%02X", c.red, c.green, c.blue);
}
