#pragma once

#include <QList>
#include <QStringView>

// What a stretch of a page line is, for the source pane's colouring.
enum class HtmlTokenKind {
    Plain,
    Tag,       // "<", ">", "/" after "<", tag words
    Attribute, // attribute names
    Value,     // attribute values
    Symbol,    // single symbol characters inside a tag
    Number,    // numbers inside a tag
    Entity,    // character entities such as &nbsp;
};

struct ColouredRun
{
    int start = 0;
    int length = 0;
    HtmlTokenKind kind = HtmlTokenKind::Plain;

    bool operator==(const ColouredRun &) const = default;
};

struct LineColouring
{
    // Only the stretches that are not plain, in order, without overlaps.
    QList<ColouredRun> runs;
    // Whether the next line begins inside a tag opened on this line or before.
    bool insideTagAtEnd = false;
};

LineColouring colourHtmlLine(QStringView line, bool insideTagAtStart);
