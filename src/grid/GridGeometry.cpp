#include "grid/GridGeometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

int EdgeOf(const GridAxis& axis, qint64 index)
{
    constexpr double FarOffView = 1 << 28;
    return int(std::clamp(std::round(double(index) * axis.cell) - std::round(axis.first * axis.cell), -FarOffView,
                          FarOffView));
}

int IndexAt(const GridAxis& axis, double pos)
{
    const double fromStart = pos + std::round(axis.first * axis.cell);
    auto index = qint64(std::floor(fromStart / axis.cell));
    if (std::round(double(index) * axis.cell) > fromStart)
        --index;
    else if (std::round(double(index + 1) * axis.cell) <= fromStart)
        ++index;
    return int(std::clamp<qint64>(index, INT_MIN, INT_MAX));
}

int CellsInView(const GridAxis& axis)
{
    return std::max(1, int(axis.view / axis.cell));
}

std::pair<int, int> CellsUnder(const GridAxis& axis, int from, int to)
{
    return {std::clamp(IndexAt(axis, from), 0, axis.count - 1), std::clamp(IndexAt(axis, to), 0, axis.count - 1)};
}

std::vector<int> EdgesOf(const GridAxis& axis, int first, int last)
{
    std::vector<int> edges;
    for (qint64 index = first; index <= qint64(last) + 1; ++index)
        edges.push_back(EdgeOf(axis, index));
    return edges;
}

QRect CellArea(const GridAxis& rows, const GridAxis& cols, int row, int col)
{
    const int x = EdgeOf(cols, col);
    const int y = EdgeOf(rows, row);
    return {x, y, EdgeOf(cols, qint64(col) + 1) - x, EdgeOf(rows, qint64(row) + 1) - y};
}

CellRect CellsUnder(const GridAxis& rows, const GridAxis& cols, const QRect& area)
{
    const auto [row1, row2] = CellsUnder(rows, area.top(), area.bottom());
    const auto [col1, col2] = CellsUnder(cols, area.left(), area.right());
    return {row1, col1, row2, col2};
}

QRect ViewArea(const GridAxis& rows, const GridAxis& cols, const CellRect& cells)
{
    const QRect area(QPoint(EdgeOf(cols, cells.col1) - 1, EdgeOf(rows, cells.row1) - 1),
                     QPoint(EdgeOf(cols, qint64(cells.col2) + 1) + 1, EdgeOf(rows, qint64(cells.row2) + 1) + 1));
    return area.intersected(QRect(0, 0, cols.view, rows.view));
}
