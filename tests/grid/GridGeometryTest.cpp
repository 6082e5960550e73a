#include "grid/GridGeometry.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <climits>

namespace {

// One direction of a grid: cells of a twip to 700 pixels, from a single
// row or column to the largest wall, in views of any length, scrolled anywhere and
// often to the wall's end.
rc::Gen<GridAxis> axes()
{
    return rc::gen::exec([] {
        GridAxis axis;
        axis.cell = std::max(*rc::gen::inRange(1, 10'500) / 15.0, 1.0);
        axis.count = *rc::gen::oneOf(rc::gen::just(1), rc::gen::inRange(1, 40), rc::gen::just(INT_MAX),
                                     rc::gen::inRange(1, INT_MAX));
        axis.view = *rc::gen::inRange(1, 3'000);
        const int lastFirst = std::max(0, axis.count - CellsInView(axis));
        axis.first = *rc::gen::oneOf(rc::gen::just(lastFirst), rc::gen::inRange(0, lastFirst + 1));
        return axis;
    });
}

} // namespace

// Along both axes edges rise, every cell in view is found on its pixels and the cells under the view cover it;
// a point of the view lies in its cell, whose area the repaint of that point covers.
RC_GTEST_PROP(GridGeometry, EdgesRiseAndAPointOfTheViewLiesInItsCellWhoseAreaTheRepaintCovers, ())
{
    const GridAxis rows = *axes(), cols = *axes();
    for (const GridAxis& axis : {rows, cols}) {
        const auto [first, last] = CellsUnder(axis, 0, axis.view - 1);
        const std::vector<int> edges = EdgesOf(axis, first, last);
        RC_ASSERT(first == axis.first && edges.front() == 0);
        for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
            RC_ASSERT(edges[i] < edges[i + 1]);
            RC_ASSERT(IndexAt(axis, edges[i]) == first + int(i));
            RC_ASSERT(IndexAt(axis, edges[i + 1] - 0.01) == first + int(i));
        }
        // The last cell holds the view's last pixel, unless the wall ends first.
        RC_ASSERT(edges[edges.size() - 2] < axis.view);
        RC_ASSERT(edges.back() >= axis.view || last == axis.count - 1);
        // A cell keeps its size in pixels wherever the view is scrolled.
        const int cell = *rc::gen::inRange(first, last + 1);
        GridAxis scrolled = axis;
        scrolled.first = *rc::gen::inRange(std::max(0, cell - 100), cell + 1);
        RC_ASSERT(EdgeOf(scrolled, qint64(cell) + 1) - EdgeOf(scrolled, cell)
                  == edges[cell - first + 1] - edges[cell - first]);
        // Far off the view, edges still rise and stay within int arithmetic.
        const qint64 a = *rc::gen::inRange<qint64>(0, qint64(axis.count) + 1);
        const qint64 b = *rc::gen::inRange<qint64>(a, qint64(axis.count) + 1);
        RC_ASSERT(EdgeOf(axis, a) <= EdgeOf(axis, b));
        RC_ASSERT(std::abs(EdgeOf(axis, a)) <= 1 << 28);
    }
    const QPoint point(*rc::gen::inRange(0, cols.view), *rc::gen::inRange(0, rows.view));
    const int row = IndexAt(rows, point.y()), col = IndexAt(cols, point.x());
    const CellRect under = CellsUnder(rows, cols, QRect(point, point));
    RC_ASSERT(under.row1 == under.row2 && under.col1 == under.col2);
    RC_ASSERT(under.row1 == std::min(row, rows.count - 1) && under.col1 == std::min(col, cols.count - 1));
    const QRect area = CellArea(rows, cols, row, col);
    RC_ASSERT(area.contains(point));
    if (row < rows.count && col < cols.count)
        RC_ASSERT(ViewArea(rows, cols, under).contains(area.intersected(QRect(0, 0, cols.view, rows.view))));
}
