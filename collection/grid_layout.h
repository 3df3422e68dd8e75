#pragma once

#include <QList>
#include <QPoint>
#include <QSize>

// The grid's settings at the time a cell is placed: cells per row and the
// thumbnail box.
struct GridMetrics
{
    int columns = 5;
    int maxWidth = 110;
    int maxHeight = 110;
    // The grid's width when the window gives it more room than at its
    // described size; 0 otherwise.
    int roomyWidth = 0;

    // A cell: the box, a 2-pixel border around it and the 13-pixel caption.
    QSize cellSize() const { return {maxWidth + 4, maxHeight + 17}; }
    // The cells of a row: `columns`, or as many as a roomy grid's width
    // takes, whichever is more (no columns stays so).
    int cellsPerRow() const;
};

// The grid's layout cursor: the content position of the latest placed cell
// and its 1-based row.
struct GridCursor
{
    int cellLeft = 2;
    int cellTop = 2;
    int rowNumber = 1;

    QPoint position() const { return {cellLeft, cellTop}; }
    bool operator==(const GridCursor &) const = default;
};

// Moves the cursor to the cell of a new thumbnail, newCount being the count
// with it.
void advanceForNewCell(GridCursor &cursor, const GridMetrics &metrics, int newCount);

// The content positions of `count` cells placed again from the start; the
// cursor ends at the last of them.
QList<QPoint> relayoutPositions(GridCursor &cursor, const GridMetrics &metrics, int count);

// Where a thumbnail of `size` sits in a box of boxSize: centred across, its
// lower edge 2 pixels above the caption.
QPoint thumbOffset(const QSize &boxSize, const QSize &size);

// The splitter position that leaves the strip under the preview one row of
// cells high: 11 pixels more when a row does not fit the grid's width.
int thumbStripPosition(int splitterHeight, int viewerBarHeight, int gridClientWidth,
                       const GridMetrics &metrics, int thumbsCount);
