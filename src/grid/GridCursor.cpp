#include "grid/GridCursor.h"

#include <algorithm>

CellRect GridCursor::selection() const
{
    return {std::min(m_row, m_rowSel), std::min(m_col, m_colSel), std::max(m_row, m_rowSel),
            std::max(m_col, m_colSel)};
}

void GridCursor::select(int row1, int col1, int row2, int col2)
{
    m_row = row1;
    m_col = col1;
    m_rowSel = row2;
    m_colSel = col2;
}

std::pair<int, int> GridCursor::moveTo(qint64 row, qint64 col, bool extend, int rows, int cols)
{
    const int r = int(std::clamp<qint64>(row, 0, rows - 1));
    const int c = int(std::clamp<qint64>(col, 0, cols - 1));
    m_rowSel = r;
    m_colSel = c;
    if (!extend) {
        m_row = r;
        m_col = c;
    }
    return {r, c};
}

std::pair<qint64, qint64> GridCursor::target(Move move, bool extend, int rows, int cols, int page) const
{
    const qint64 row = extend ? m_rowSel : m_row;
    const qint64 col = extend ? m_colSel : m_col;
    switch (move) {
    case Move::Up: return {row - 1, col};
    case Move::Down: return {row + 1, col};
    case Move::Left: return {row, col - 1};
    case Move::Right: return {row, col + 1};
    case Move::PageUp: return {row - page, col};
    case Move::PageDown: return {row + page, col};
    case Move::RowStart: return {row, 0};
    case Move::RowEnd: return {row, cols - 1};
    case Move::WallStart: return {0, 0};
    case Move::WallEnd: return {rows - 1, cols - 1};
    }
    return {row, col};
}

void GridCursor::keepInside(int rows, int cols)
{
    // An empty grid has no current cell.
    const bool empty = rows <= 0 || cols <= 0;
    const auto keep = [empty](int& index, int count) { index = empty ? -1 : std::clamp(index, 0, count - 1); };
    keep(m_row, rows);
    keep(m_rowSel, rows);
    keep(m_col, cols);
    keep(m_colSel, cols);
}
