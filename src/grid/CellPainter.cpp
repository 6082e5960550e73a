#include "grid/CellPainter.h"

#include <QElapsedTimer>
#include <QPainter>

namespace {

const QColor SelectionTint(64, 128, 255, 90);
// Cells up to this size draw cached copies of their pictures; larger ones
// are few on screen and draw their pictures scaled.
constexpr int ScaledCopyMaxPixels = 512;
// Copies ahead of a scroll are made in slices this long while the program
// idles, and never more than this share of the cache after one frame.
constexpr int AheadSliceMs = 4;
constexpr int AheadCacheShare = 3;

bool scaledWhole(QSize size)
{
    return size.width() > ScaledCopyMaxPixels || size.height() > ScaledCopyMaxPixels;
}

} // namespace

const QFont& CellFont()
{
    static const QFont font = [] {
        QFont tahoma(QStringLiteral("Tahoma"));
        tahoma.setPointSizeF(8.25);
        tahoma.setStyleHint(QFont::SansSerif);
        return tahoma;
    }();
    return font;
}

void DrawCellText(QPainter& painter, const QRect& area, const Cell& cell)
{
    painter.setPen(cell.foreColor);
    painter.drawText(area.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, cell.text);
}

QImage CellPainter::sourceFor(const Picture& picture, QSize size, bool ahead)
{
    const int side = picture.versionSide(std::max(size.width(), size.height()));
    return side ? m_versions.best(picture, side, ahead) : picture.small();
}

QImage CellPainter::shownAt(const Picture& picture, QSize size)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    QImage source = sourceFor(picture, size);
    return scaledWhole(size) ? source : m_copies.copy(source, size);
}

void CellPainter::drawCells(QPainter& painter, const CellStore& cells, const GridAxis& rows, const GridAxis& cols,
                            const CellRect& shown)
{
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setFont(CellFont());
    cells.forEachOccupied(shown, [&](int row, int col, const Cell& cell) {
        const QRect r = CellArea(rows, cols, row, col);
        if (!cell.picture.isNull()) {
            const QImage source = sourceFor(cell.picture, r.size());
            if (scaledWhole(r.size()))
                painter.drawImage(r, source);  // stretched to fill the cell
            else
                painter.drawImage(r.topLeft(), m_copies.copy(source, r.size()));
        }
        if (!cell.text.isEmpty())
            DrawCellText(painter, r, cell);
    });
}

void CellPainter::drawLines(QPainter& painter, const GridAxis& rows, const GridAxis& cols, const CellRect& shown)
{
    const int right = std::min(cols.view, EdgeOf(cols, cols.count)) - 1;
    const int bottom = std::min(rows.view, EdgeOf(rows, rows.count)) - 1;
    painter.setPen(QPen(GridLineColor, 0));
    for (const int x : EdgesOf(cols, shown.col1, shown.col2))
        painter.drawLine(x - 1, 0, x - 1, bottom);
    for (const int y : EdgesOf(rows, shown.row1, shown.row2))
        painter.drawLine(0, y - 1, right, y - 1);
}

void CellPainter::drawSelection(QPainter& painter, const GridAxis& rows, const GridAxis& cols, const CellRect& shown,
                                const CellRect& selection, int row, int col)
{
    const CellRect& sel = selection;
    if ((sel.row1 != sel.row2 || sel.col1 != sel.col2) && sel.row2 >= shown.row1 && sel.row1 <= shown.row2
        && sel.col2 >= shown.col1 && sel.col1 <= shown.col2) {
        const QRect first = CellArea(rows, cols, std::max(sel.row1, shown.row1), std::max(sel.col1, shown.col1));
        const QRect last = CellArea(rows, cols, std::min(sel.row2, shown.row2), std::min(sel.col2, shown.col2));
        painter.fillRect(first.united(last), SelectionTint);
    }
    if (row >= shown.row1 && row <= shown.row2 && col >= shown.col1 && col <= shown.col2) {
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(CellArea(rows, cols, row, col).adjusted(0, 0, -1, -1));
    }
}

bool CellPainter::makeCopiesAhead(const CellStore& cells, const GridAxis& rows, const GridAxis& cols)
{
    // The areas stop at the wall's end, which may be the largest index.
    const auto next = [](const GridAxis& axis) { return axis.first + CellsInView(axis); };
    const auto end = [](const GridAxis& axis, int screens) {
        return int(std::min<qint64>(axis.first + qint64(screens) * CellsInView(axis), axis.count - 1));
    };
    const CellRect below{next(rows), cols.first, end(rows, 2), end(cols, 1)};
    const CellRect right{rows.first, next(cols), end(rows, 1), end(cols, 2)};
    QElapsedTimer clock;
    clock.start();
    bool unfinished = false;
    for (const CellRect& area : {below, right}) {
        cells.forEachOccupied(area, [&](int row, int col, const Cell& cell) {
            if (unfinished || cell.picture.isNull() || m_copies.bytesMade() > m_copies.budget() / AheadCacheShare)
                return;
            const QRect r = CellArea(rows, cols, row, col);
            if (scaledWhole(r.size()))
                return;
            if (clock.elapsed() >= AheadSliceMs)
                unfinished = true;
            else
                m_copies.copy(sourceFor(cell.picture, r.size(), true), r.size());
        });
    }
    return unfinished;
}

int CellPainter::cellsAwaitingVersions(const CellStore& cells, const GridAxis& rows, const GridAxis& cols) const
{
    int awaiting = 0;
    cells.forEachOccupied(CellsUnder(rows, cols, QRect(0, 0, cols.view, rows.view)),
                          [&](int row, int col, const Cell& cell) {
                              const QRect r = CellArea(rows, cols, row, col);
                              const int side = cell.picture.versionSide(std::max(r.width(), r.height()));
                              if (!m_versions.isReady(cell.picture, side))
                                  ++awaiting;
                          });
    return awaiting;
}
