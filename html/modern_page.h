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

// The thumbnails one modern page holds, so that its first load stays small
// for any set; a larger set goes on in further pages.
inline constexpr int kCellsPerModernPage = 240;

// The file name of the modern page's further page `number` (2, 3, ...),
// beside the page: "~thumbs-2.html".
QString morePageFileName(int number);

// The modern page: HTML5 in UTF-8 for phones and desktops alike. A fluid grid
// of the thumbnails (each a link to its full-size picture, so that the page
// works without scripts, with a thumbnail of twice the pixels for screens of
// high density, loaded as it scrolls into view after the first screen), and
// a viewer of its own that shows the screen-sized copies over the page, one
// address (#pN) each, with previous and next, arrow keys, swipes and Escape.
// The title, header, colours, fonts, borders, spacing and alignment of the
// settings apply where they make sense; every setting text is escaped.
// `language` is the page's lang.
//
// The page holds the first kCellsPerModernPage thumbnails and links the
// further pages one after the other, each with the next thumbnails in the
// same grid; the page's script fetches them into its own grid as its end
// scrolls into view, so that to a visitor with scripts it stays one page.
// The first of the pages is the page itself; there is always one.
QList<QStringList> generateModernPages(const PageSettings &settings,
                                       const QList<ModernPageCell> &cells, const QString &language);
