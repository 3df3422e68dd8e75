#pragma once

#include "html/page_generator.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// The name of the thumbnail of twice the pixels written beside a thumbnail
// for screens of high density: "B_01.jpg" gives "B_01@2x.jpg".
QString thumbnail2xName(const QString &thumbName);

// The folder of the screen-sized copies in the project folder, and the start
// of the addresses that reach them from the page.
inline constexpr char kScreenCopyFolderName[] = "view";

// One thumbnail of the modern page: its files' names, its caption (which
// gives its alternative text) and the size of its thumbnail file.
struct ModernPageCell
{
    ThumbOutputNames names;
    QString caption;
    QSize thumbSize;
};

// The modern page: HTML5 in UTF-8 for phones and desktops alike. A fluid grid
// of the thumbnails (each a link to its full-size picture, so that the page
// works without scripts, with a thumbnail of twice the pixels for screens of
// high density, loaded as it scrolls into view after the first screen), and
// a viewer of its own that shows the screen-sized copies over the page, one
// address (#pN) each, with previous and next, arrow keys, swipes and Escape.
// The title, header, colours, fonts, borders, spacing and alignment of the
// settings apply where they make sense; every setting text is escaped.
// `language` is the page's lang.
QStringList generateModernPage(const PageSettings &settings, const QList<ModernPageCell> &cells,
                               const QString &language);
