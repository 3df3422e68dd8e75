#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The page's file name in the project folder.
inline constexpr char kPageFileName[] = "~thumbs.html";

// The text of a spin edit as it is shown, with the lowest value of its range:
// a text that is empty or not a number counts as that minimum.
struct SpinEditText
{
    QString text;
    int minimum = 0;
};

// A snapshot of every setting the page reads, as the controls hold them.
struct PageSettings
{
    QString title;
    QString bgColorPage;
    QString textColorPage;
    SpinEditText leftMargin;
    SpinEditText topMargin;

    QString header;
    QString fontHeader;
    QString fontSize;
    QString colorFont;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    // 0 left, 1 center, 2 right; anything else is no choice.
    int alignIndex = 1;

    SpinEditText border;
    SpinEditText cellPad;
    SpinEditText cellSpac;
    QString bgColor;
    QString bordColor;
    QString bordColorD;
    QString bordColorL;
    int columnCount = 5;

    QString href;
    QString target;
    QString src;
    SpinEditText borderImg;
};

// The output file names of one thumbnail of the set.
struct ThumbOutputNames
{
    QString pictureName;
    QString thumbName;
};

// The integer part of the number a spin edit shows, truncated toward zero.
qint64 spinEditNumber(const SpinEditText &spin);

// "left", "center", "right" for the radio items, empty when none is chosen.
QString alignmentWord(int alignIndex);

// A file name as URL text inside a quoted attribute: every character that
// would end the attribute, open markup or change what the address names
// ('"', "<", ">", "&", "%", "#", "?", "\", which browsers read as "/", and
// control characters) is percent-encoded, and so is a blank at either end,
// which browsers drop; the rest, inner spaces included, stays as it is.
QString escapeAddressFileName(const QString &fileName);

// A folder under the project folder, given by its relative path with "\" or
// "/" between its names, as the start of a relative address: each name
// written as escapeAddressFileName writes it and followed by "/", empty and
// "." names left out. Empty for the project folder itself, so that the
// address stays relative.
QString addressFolderPrefix(const QString &relativeFolder);

// The whole gallery page, one entry per line, for the thumbnails in set order.
QStringList generatePage(const PageSettings &settings, const QList<ThumbOutputNames> &thumbs);
