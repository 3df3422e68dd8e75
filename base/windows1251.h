#pragma once

#include <QByteArray>
#include <QString>

// The page and the settings file are Windows-1251 text. A character with no
// Windows-1251 form is written as the reference "&#N;" so that nothing is lost;
// decoding turns such a reference back into its character when N names one that
// the code page cannot hold (a reference the user typed for a character the code
// page does have stays as typed).
QByteArray encodeWindows1251(const QString &text);
QString decodeWindows1251(const QByteArray &bytes);
