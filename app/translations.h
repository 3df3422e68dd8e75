#pragma once

#include <QLocale>

// Makes the window speak the language of `locale`, replacing whatever an
// earlier call installed. Russian and the "C"/POSIX locale keep the texts as
// the program writes them; any other language gets the English catalogue,
// with the texts it does not hold left as written. Qt's own texts (standard
// buttons, its dialogs) follow the language the window's texts are in.
// Texts already shown keep theirs: call it before the window is built.
void installTranslations(const QLocale &locale);
