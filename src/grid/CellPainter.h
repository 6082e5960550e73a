#pragma once

#include "grid/GridGeometry.h"
#include "picture/CellCopies.h"
#include "picture/PictureVersions.h"

#include <QColor>
#include <QFont>

class QPainter;

inline const QColor GridLineColor{96, 96, 96};
// The font of cell texts, and a cell's text as every cell size draws it.
const QFont& CellFont();
void DrawCellText(QPainter& painter, const QRect& area, const Cell& cell);

// Paints cells of a few pixels up: their colours, texts and pictures, the
// grid lines and the selection. Larger cells draw ready-scaled copies of
// their pictures: stretching a whole thumbnail into a cell, thousands of
// times a paint, is what would make the wall slow to scroll.
class CellPainter {
public:
    PictureVersions& versions() { return m_versions; }
    // A picture as a cell of `size` pixels draws it, from the best version
    // ready.
    QImage shownAt(const Picture& picture, QSize size);

    void drawCells(QPainter& painter, const CellStore& cells, const GridAxis& rows, const GridAxis& cols,
                   const CellRect& shown);
    // Each line on the last pixel before a cell, in whole pixels: the
    // painter's fast path.
    static void drawLines(QPainter& painter, const GridAxis& rows, const GridAxis& cols, const CellRect& shown);
    // A tint over a selection of more than one cell, a frame round the
    // current cell.
    static void drawSelection(QPainter& painter, const GridAxis& rows, const GridAxis& cols, const CellRect& shown,
                              const CellRect& selection, int row, int col);

    // A frame was painted: copies made from now on count as made ahead.
    void framePainted() { m_copies.startCounting(); }
    // Makes, for a few milliseconds, the copies of the screen below and of
    // the screen to the right, so that a scroll by a screen finds them
    // ready; answers whether some are left to make.
    bool makeCopiesAhead(const CellStore& cells, const GridAxis& rows, const GridAxis& cols);
    // The cells in view that show a smaller version than they need.
    int cellsAwaitingVersions(const CellStore& cells, const GridAxis& rows, const GridAxis& cols) const;

private:
    // What a cell of `size` draws from: the small version, or the best
    // version ready of what the cell needs.
    QImage sourceFor(const Picture& picture, QSize size, bool ahead = false);

    CellCopies m_copies;
    PictureVersions m_versions;
};
