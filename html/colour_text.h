#pragma once

#include <QString>

// A panel colour is an integer with red in the low byte, then green, then blue
// (white is 16777215). These are the one packing and unpacking of it.
struct PanelChannels
{
    int red = 0, green = 0, blue = 0;
};
int panelColour(PanelChannels channels);
PanelChannels channelsOfPanel(int panelColour);

// The colour text the page uses, "#RRGGBB" in upper case, of a panel colour.
QString colourText(int panelColour);
