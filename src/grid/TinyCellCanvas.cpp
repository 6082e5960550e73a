#include "grid/TinyCellCanvas.h"

#include "grid/CellPainter.h"
#include "picture/PictureScaling.h"

#include <QPainter>

void TinyCellCanvas::show(QPainter& painter, const QRect& exposed, const CellStore& cells, const GridAxis& rows,
                          const GridAxis& cols, bool gridLines)
{
    const QRect view(0, 0, cols.view, rows.view);
    const Key key = keyOf(rows, cols, gridLines);
    if (key != m_key) {
        if (m_canvas.size() != view.size())
            m_canvas = QImage(view.size(), QImage::Format_RGB32);
        m_key = key;
        m_stale = view;
    }
    if (!m_stale.isEmpty()) {
        render(m_stale.intersected(view), cells, rows, cols, gridLines);
        m_stale = {};
    }
    painter.drawImage(exposed, m_canvas, exposed);
}

void TinyCellCanvas::markStale(const QRect& area, const GridAxis& rows, const GridAxis& cols)
{
    if (keyOf(rows, cols, m_key.gridLines) == m_key)
        m_stale |= area;
    else
        m_key = {};
}

void TinyCellCanvas::render(const QRect& area, const CellStore& cells, const GridAxis& rows, const GridAxis& cols,
                            bool gridLines)
{
    uchar* const bits = m_canvas.bits();
    const qsizetype stride = m_canvas.bytesPerLine();
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(bits + y * stride) + area.left(), area.width(), qRgb(0, 0, 0));
    const CellRect under = CellsUnder(rows, cols, area);
    // Cell edges, each computed once for the paint.
    const std::vector<int> xs = EdgesOf(cols, under.col1, under.col2);
    const std::vector<int> ys = EdgesOf(rows, under.row1, under.row2);
    // Which source pixel each pixel of a cell samples, from the middle of its
    // area: by cell length and source length, of which a paint sees few.
    std::vector<std::pair<std::pair<int, int>, std::vector<int>>> samples;
    const auto sampled = [&](int length, int source) -> const int* {
        for (const auto& [key, indexes] : samples)
            if (key == std::pair{length, source})
                return indexes.data();
        std::vector<int> indexes(std::size_t(std::max(length, 0)));
        for (int i = 0; i < length; ++i)
            indexes[std::size_t(i)] = SampleIndex(i, source, length);
        samples.emplace_back(std::pair{length, source}, std::move(indexes));
        return samples.back().second.data();
    };
    std::vector<std::pair<QRect, const Cell*>> texts;
    cells.forEachOccupied(under, [&](int row, int col, const Cell& cell) {
        const auto across = std::size_t(col - under.col1), down = std::size_t(row - under.row1);
        const int left = xs[across], top = ys[down];
        const QRect r(left, top, xs[across + 1] - left, ys[down + 1] - top);
        const QRect shown = r.intersected(area);
        if (!cell.text.isEmpty())
            texts.emplace_back(r, &cell);
        const QImage& small = cell.picture.small();
        if (small.isNull() || shown.isEmpty())
            return;
        const bool grey = small.format() == QImage::Format_Grayscale8;
        const QImage source = grey || small.depth() == 32 ? small : small.convertToFormat(QImage::Format_RGB32);
        const int* sx = sampled(r.width(), source.width()) - r.left();
        const int* sy = sampled(r.height(), source.height()) - r.top();
        for (int y = shown.top(); y <= shown.bottom(); ++y) {
            const uchar* from = source.constScanLine(sy[y]);
            auto* to = reinterpret_cast<QRgb*>(bits + y * stride);
            if (grey) {
                for (int x = shown.left(); x <= shown.right(); ++x)
                    to[x] = 0xff000000u | (0x010101u * from[sx[x]]);
            } else {
                const auto* pixels = reinterpret_cast<const QRgb*>(from);
                for (int x = shown.left(); x <= shown.right(); ++x)
                    to[x] = pixels[sx[x]] | 0xff000000u;
            }
        }
    });
    if (gridLines) {
        // As the larger cells' lines: on the last pixel before a cell, up to
        // the wall's last row and column.
        const QRect lines = area.intersected(QRect(QPoint(0, 0), QPoint(xs.back() - 1, ys.back() - 1)));
        const QRgb line = GridLineColor.rgb();
        for (const int x : xs)
            if (x - 1 >= lines.left() && x - 1 <= lines.right())
                for (int y = lines.top(); y <= lines.bottom(); ++y)
                    reinterpret_cast<QRgb*>(bits + y * stride)[x - 1] = line;
        for (const int y : ys)
            if (y - 1 >= lines.top() && y - 1 <= lines.bottom())
                std::fill_n(reinterpret_cast<QRgb*>(bits + (y - 1) * stride) + lines.left(), lines.width(), line);
    }
    if (texts.empty())
        return;
    QPainter painter(&m_canvas);
    painter.setClipRect(area);
    painter.setFont(CellFont());
    for (const auto& [r, cell] : texts)
        DrawCellText(painter, r, *cell);
}
