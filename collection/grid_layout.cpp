#include "collection/grid_layout.h"

#include <algorithm>

int GridMetrics::cellsPerRow() const
{
    // Cells stand maxWidth + 6 apart from the left edge's 2 pixels on. No
    // columns keeps its own layout at any width.
    if (columns <= 0)
        return columns;
    return std::max(columns, roomyWidth / (maxWidth + 6));
}

void advanceForNewCell(GridCursor &cursor, const GridMetrics &metrics, int newCount)
{
    if (qint64(metrics.cellsPerRow()) * cursor.rowNumber < newCount) {
        cursor.cellLeft = 2;
        cursor.cellTop += metrics.maxHeight + 19;
        ++cursor.rowNumber;
    } else if (newCount > 1) {
        cursor.cellLeft += metrics.maxWidth + 6;
    }
}

QList<QPoint> relayoutPositions(GridCursor &cursor, const GridMetrics &metrics, int count)
{
    cursor = GridCursor();
    QList<QPoint> positions;
    positions.reserve(count);
    for (int p = 1; p <= count; ++p) {
        if (p > 1)
            cursor.cellLeft += metrics.maxWidth + 6;
        if (p - 1 == qint64(metrics.cellsPerRow()) * cursor.rowNumber) {
            cursor.cellLeft = 2;
            ++cursor.rowNumber;
            cursor.cellTop += metrics.maxHeight + 19;
        }
        positions << cursor.position();
    }
    return positions;
}

QPoint thumbOffset(const QSize &boxSize, const QSize &size)
{
    return {(boxSize.width() - size.width()) / 2, boxSize.height() - size.height() - 2};
}

int thumbStripPosition(int splitterHeight, int viewerBarHeight, int gridClientWidth,
                       const GridMetrics &metrics, int thumbsCount)
{
    const int perRow = std::min(metrics.cellsPerRow(), thumbsCount);
    const bool rowFits = gridClientWidth >= perRow * (metrics.maxWidth + 2) + 2;
    return splitterHeight - metrics.maxHeight - viewerBarHeight - (rowFits ? 23 : 34);
}
