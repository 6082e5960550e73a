#pragma once

#include "grid/GridGeometry.h"

#include <QImage>

class QPainter;

// The cells of a few pixels, tens of thousands on screen, are sampled
// straight from their pictures' small versions into one image of the view,
// which is kept: a frame draws again only what changed in it.
class TinyCellCanvas {
public:
    // Cells under this part of the view, as `rows` and `cols` lay it out,
    // changed. Laid out otherwise (zoomed in, or scrolled), the area says
    // nothing of the image, which is then made anew when next shown.
    void markStale(const QRect& area, const GridAxis& rows, const GridAxis& cols);
    void show(QPainter& painter, const QRect& exposed, const CellStore& cells, const GridAxis& rows,
              const GridAxis& cols, bool gridLines);

private:
    void render(const QRect& area, const CellStore& cells, const GridAxis& rows, const GridAxis& cols,
                bool gridLines);

    // What the image shows.
    struct Key {
        QSize size;
        int topRow = -1;
        int leftCol = -1;
        double cellWidth = 0;
        double cellHeight = 0;
        bool gridLines = false;
        bool operator==(const Key&) const = default;
    };
    static Key keyOf(const GridAxis& rows, const GridAxis& cols, bool gridLines)
    {
        return {QSize(cols.view, rows.view), rows.first, cols.first, cols.cell, rows.cell, gridLines};
    }
    QImage m_canvas;
    Key m_key;
    QRect m_stale;  // out of date in the image
};
