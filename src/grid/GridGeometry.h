#pragma once

#include "grid/CellStore.h"

#include <QRect>

#include <vector>

// Where the cells of one direction of the grid lie in the view: cells of
// `cell` pixels (at least 1), `count` of them in the wall, the cell `first`
// at the view's start, `view` pixels in view.
struct GridAxis {
    double cell = 1;
    int first = 0;
    int count = 0;
    int view = 0;
};

// Cell edges lie on whole pixels counted from the wall's first cell, not
// from the first one shown: a cell keeps its size in pixels wherever the
// view is scrolled, and so its cached copy. Edges far off the view are held
// at a distance that pixel arithmetic in int still takes: a wall may be two
// billion cells wide. `index` may be one past the wall's last cell.
int EdgeOf(const GridAxis& axis, qint64 index);
// The cell that covers a position of the view, laid out as EdgeOf lays them
// out; it may lie outside the wall.
int IndexAt(const GridAxis& axis, double pos);
// The whole cells the view holds, at least one.
int CellsInView(const GridAxis& axis);
// The first and last cell under pixels `from` to `to` of the view, within
// the wall (which must hold some).
std::pair<int, int> CellsUnder(const GridAxis& axis, int from, int to);
// The edges of cells `first` to `last`, and the far edge of `last`: the
// loops that paint stop at the wall's last index without passing it.
std::vector<int> EdgesOf(const GridAxis& axis, int first, int last);

QRect CellArea(const GridAxis& rows, const GridAxis& cols, int row, int col);
CellRect CellsUnder(const GridAxis& rows, const GridAxis& cols, const QRect& area);
// The view's pixels that show a rectangle of cells, with the grid lines
// around it.
QRect ViewArea(const GridAxis& rows, const GridAxis& cols, const CellRect& cells);
