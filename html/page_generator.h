#pragma once

#include <QList>
#include <QString>
#include <QStringList>

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
// ('"', "<", ">", "&", "%", "#", "?" and control characters) is
// percent-encoded; the rest, spaces included, stays as it is.
QString escapeAddressFileName(const QString &fileName);

// The whole gallery page, one entry per line, for the thumbnails in set order.
QStringList generatePage(const PageSettings &settings, const QList<ThumbOutputNames> &thumbs);
