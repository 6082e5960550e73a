#pragma once

#include "grid/GridWidget.h"

#include <QPoint>

// The middle of a cell in the grid's viewport, at the grid's zoom and scroll.
inline QPoint CellPoint(const GridWidget& grid, int row, int col)
{
    const double px = grid.ColWidth() / 15.0;
    return QPoint(int((col - grid.LeftCol() + 0.5) * px), int((row - grid.TopRow() + 0.5) * px));
}
