#pragma once

#include "grid/CellStore.h"

#include <QtGlobal>

// The current cell and the selection's other corner, which moves when the
// selection is extended; -1 when the grid is empty.
class GridCursor {
public:
    // Where a key moves the current cell (with the selection's far corner
    // when it extends the selection).
    enum class Move { Up, Down, Left, Right, PageUp, PageDown, RowStart, RowEnd, WallStart, WallEnd };

    int row() const { return m_row; }
    int col() const { return m_col; }
    CellRect selection() const;
    // (row1, col1) becomes the current cell, (row2, col2) the far corner.
    void select(int row1, int col1, int row2, int col2);
    // The current cell, or the far corner when `extend`, to a cell held
    // inside a grid of `rows` x `cols` (which must hold some); returns the
    // cell it went to.
    std::pair<int, int> moveTo(qint64 row, qint64 col, bool extend, int rows, int cols);
    // Where a key moves it, `page` rows a page; unclamped.
    std::pair<qint64, qint64> target(Move move, bool extend, int rows, int cols, int page) const;
    // The grid was resized: the cursor and the selection stay inside it.
    void keepInside(int rows, int cols);

private:
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
};
