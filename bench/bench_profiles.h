#pragma once

#include <QByteArray>

// ICC profiles made with lcms, as a camera or a raw converter would embed
// them: Adobe RGB (1998)'s primaries with gamma 2.2 (D65), and ProPhoto's
// wide gamut with gamma 1.8 (D50).
QByteArray adobeRgbLikeProfile();
QByteArray proPhotoLikeProfile();
