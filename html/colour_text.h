#pragma once

#include <QString>

// The colour text the page uses, "#RRGGBB" in upper case, of a panel colour:
// an integer with red in the low byte, then green, then blue.
QString colourText(int panelColour);
