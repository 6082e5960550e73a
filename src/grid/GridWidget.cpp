#include "grid/GridWidget.h"

#include "picture/CellCopies.h"
#include "picture/PictureScaling.h"
#include "shell/Twips.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <climits>
#include <vector>
#include <cmath>

namespace {

const QColor GridLineColor(96, 96, 96);
const QColor SelectionTint(64, 128, 255, 90);
// Cells up to this size draw cached copies of their pictures; larger ones
// are few on screen and draw their pictures scaled.
constexpr int ScaledCopyMaxPixels = 512;
// Below this size cells sample their pictures' small versions straight
// onto the screen; from it up they draw copies.
constexpr int SampledBelowPixels = CellCopies::SampledBelowPixels;
// Copies ahead of a scroll are made in slices this long while the program
// idles, and never more than this share of the cache after one frame.
constexpr int AheadSliceMs = 4;
constexpr int ShowChangesMs = 100;
constexpr int AheadCacheShare = 3;

} // namespace

GridWidget::GridWidget(CellStore& cells, QWidget* parent) : QAbstractScrollArea(parent), m_cells(cells)
{
    setObjectName(QStringLiteral("fg"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    QPalette black = viewport()->palette();
    black.setColor(QPalette::Window, Qt::black);
    viewport()->setPalette(black);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_textFont = QFont(QStringLiteral("Tahoma"));
    m_textFont.setPointSizeF(8.25);
    m_textFont.setStyleHint(QFont::SansSerif);
    m_cells.setChangeListener([this](const CellRect& changed) { cellsChanged(changed); });
    connect(&m_versions, &PictureVersions::arrived, viewport(), qOverload<>(&QWidget::update));
    m_showChanges.setSingleShot(true);
    m_showChanges.setInterval(ShowChangesMs);
    connect(&m_showChanges, &QTimer::timeout, this, [this] {
        if (m_changedArea.isEmpty())
            return;
        viewport()->update(m_changedArea);
        m_changedArea = {};
        m_showChanges.start();  // more may follow
    });
    m_ahead.setSingleShot(true);
    connect(&m_ahead, &QTimer::timeout, this, &GridWidget::makeCopiesAhead);
    // The scroll bars would scroll on the wheel themselves, and the scroll
    // area leaves the wheel over its own frame and corner unhandled.
    for (QObject* part : std::initializer_list<QObject*>{this, verticalScrollBar(), horizontalScrollBar()})
        part->installEventFilter(this);
    updateScrollBars();
}

GridWidget::~GridWidget()
{
    m_cells.setChangeListener({});
}

double GridWidget::cellWidthPx() const
{
    return std::max(TwipsToPixels(m_colWidth), 1.0);
}

double GridWidget::cellHeightPx() const
{
    return std::max(TwipsToPixels(m_rowHeight), 1.0);
}

// Cell edges lie on whole pixels counted from the wall's first cell, not
// from the first one shown: a cell keeps its size in pixels wherever the
// view is scrolled, and so its cached copy. Edges far off the view are held
// at a distance that pixel arithmetic in int still takes: a wall may be two
// billion cells wide.
static double EdgeOf(int index, int first, double size)
{
    constexpr double FarOffView = 1 << 28;
    return std::clamp(std::round(index * size) - std::round(first * size), -FarOffView, FarOffView);
}

double GridWidget::xOf(int col) const
{
    return EdgeOf(col, m_leftCol, cellWidthPx());
}

double GridWidget::yOf(int row) const
{
    return EdgeOf(row, m_topRow, cellHeightPx());
}

QRect GridWidget::cellRect(int row, int col) const
{
    const int x = int(xOf(col));
    const int y = int(yOf(row));
    return QRect(x, y, int(xOf(col + 1)) - x, int(yOf(row + 1)) - y);
}

// The index of the cell that covers a position, the cells of `size` pixels
// laid out as xOf and yOf lay them out from the cell `first` on.
int GridWidget::indexAt(double pos, double size, int first)
{
    const double fromStart = pos + std::round(first * size);
    auto index = qint64(std::floor(fromStart / size));
    if (std::round(double(index) * size) > fromStart)
        --index;
    else if (std::round(double(index + 1) * size) <= fromStart)
        ++index;
    return int(std::clamp<qint64>(index, INT_MIN, INT_MAX));
}

double GridWidget::CellLeft() const
{
    return PixelsToTwips(xOf(m_col));
}

double GridWidget::CellTop() const
{
    return PixelsToTwips(yOf(m_row));
}

int GridWidget::visibleRows() const
{
    return std::max(1, int(viewport()->height() / cellHeightPx()));
}

int GridWidget::visibleCols() const
{
    return std::max(1, int(viewport()->width() / cellWidthPx()));
}

int GridWidget::rowAt(double y) const
{
    const int row = indexAt(y, cellHeightPx(), m_topRow);
    return y >= 0 && row < Rows() ? row : -1;
}

int GridWidget::colAt(double x) const
{
    const int col = indexAt(x, cellWidthPx(), m_leftCol);
    return x >= 0 && col < Cols() ? col : -1;
}

void GridWidget::setTopRow(int row)
{
    verticalScrollBar()->setValue(row);
    m_topRow = verticalScrollBar()->value();
}

void GridWidget::setLeftCol(int col)
{
    horizontalScrollBar()->setValue(col);
    m_leftCol = horizontalScrollBar()->value();
}

void GridWidget::setColWidth(int twips)
{
    m_colWidth = std::max(twips, 1);
    updateScrollBars();
    viewport()->update();
}

void GridWidget::setRowHeight(int twips)
{
    m_rowHeight = std::max(twips, 1);
    updateScrollBars();
    viewport()->update();
}

void GridWidget::Redraw(bool on)
{
    m_redraw = on;
    viewport()->setUpdatesEnabled(on);
    if (on) {
        updateScrollBars();
        viewport()->update();
    }
}

void GridWidget::GridLines(bool on)
{
    m_gridLines = on;
    viewport()->update();
}

void GridWidget::Select(int row, int col)
{
    Select(row, col, row, col);
}

void GridWidget::Select(int row1, int col1, int row2, int col2)
{
    const CellRect before = GetSelection();
    m_row = row1;
    m_col = col1;
    m_rowSel = row2;
    m_colSel = col2;
    updateCells(before);
    updateCells(GetSelection());
}

CellRect GridWidget::GetSelection() const
{
    return {std::min(m_row, m_rowSel), std::min(m_col, m_colSel), std::max(m_row, m_rowSel),
            std::max(m_col, m_colSel)};
}

void GridWidget::ShowCell(int row, int col)
{
    const int rows = visibleRows();
    const int cols = visibleCols();
    if (row < m_topRow)
        setTopRow(row);
    else if (row >= m_topRow + rows)
        setTopRow(row - rows + 1);
    if (col < m_leftCol)
        setLeftCol(col);
    else if (col >= m_leftCol + cols)
        setLeftCol(col - cols + 1);
}

void GridWidget::cellsChanged(const CellRect& changed)
{
    if (Rows() != m_knownRows || Cols() != m_knownCols) {
        // An empty grid has no current cell; otherwise the cursor and the
        // selection stay inside the grid.
        const bool empty = Rows() <= 0 || Cols() <= 0;
        const auto keep = [empty](int& index, int count) { index = empty ? -1 : std::clamp(index, 0, count - 1); };
        keep(m_row, Rows());
        keep(m_rowSel, Rows());
        keep(m_col, Cols());
        keep(m_colSel, Cols());
        updateScrollBars();
    }
    m_canvasStale |= visibleArea(changed);
    // A change is shown at once; a load changes thousands of cells a second,
    // and those are shown as they fill a few times a second, not once a
    // cell: every frame costs the load its time.
    if (m_redraw) {
        if (m_showChanges.isActive()) {
            m_changedArea |= visibleArea(changed);
        } else {
            updateCells(changed);
            m_showChanges.start();
        }
    }
}

CellRect GridWidget::cellsUnder(const QRect& area) const
{
    return {std::clamp(indexAt(area.top(), cellHeightPx(), m_topRow), 0, Rows() - 1),
            std::clamp(indexAt(area.left(), cellWidthPx(), m_leftCol), 0, Cols() - 1),
            std::clamp(indexAt(area.bottom(), cellHeightPx(), m_topRow), 0, Rows() - 1),
            std::clamp(indexAt(area.right(), cellWidthPx(), m_leftCol), 0, Cols() - 1)};
}

QRect GridWidget::visibleArea(const CellRect& cells) const
{
    const QRect area(QPoint(int(xOf(cells.col1)) - 1, int(yOf(cells.row1)) - 1),
                     QPoint(int(xOf(cells.col2 + 1)) + 1, int(yOf(cells.row2 + 1)) + 1));
    return area.intersected(viewport()->rect());
}

void GridWidget::updateCells(const CellRect& cells)
{
    if (!m_redraw)
        return;
    if (const QRect visible = visibleArea(cells); !visible.isEmpty())
        viewport()->update(visible);
}

void GridWidget::updateScrollBars()
{
    m_knownRows = Rows();
    m_knownCols = Cols();
    const int rows = visibleRows();
    const int cols = visibleCols();
    verticalScrollBar()->setRange(0, std::max(0, Rows() - rows));
    verticalScrollBar()->setPageStep(rows);
    horizontalScrollBar()->setRange(0, std::max(0, Cols() - cols));
    horizontalScrollBar()->setPageStep(cols);
    m_topRow = verticalScrollBar()->value();
    m_leftCol = horizontalScrollBar()->value();
}

void GridWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void GridWidget::scrollContentsBy(int, int)
{
    m_topRow = verticalScrollBar()->value();
    m_leftCol = horizontalScrollBar()->value();
    viewport()->update();
}

void GridWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    const double w = cellWidthPx();
    const double h = cellHeightPx();
    const bool tiny = std::ceil(std::max(w, h)) < SampledBelowPixels;
    if (!tiny || Rows() <= 0 || Cols() <= 0)
        painter.fillRect(exposed, Qt::black);  // tiny cells paint every pixel themselves
    if (Rows() <= 0 || Cols() <= 0)
        return;

    // Only the cells under the exposed area are drawn: a click repaints a
    // few cells, not the whole wall.
    const CellRect shown = cellsUnder(exposed);
    const int firstRow = shown.row1, firstCol = shown.col1, lastRow = shown.row2, lastCol = shown.col2;

    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setFont(m_textFont);
    // Versions still waiting were asked for by an earlier view.
    if (exposed.contains(viewport()->rect()))
        m_versions.dropWaiting();
    if (tiny) {
        showTinyCells(painter, exposed);
    } else {
        m_cells.forEachOccupied(shown, [&](int row, int col, const Cell& cell) {
            const QRect r = cellRect(row, col);
            if (cell.backColor != QColor(Qt::black))
                painter.fillRect(r, cell.backColor);
            if (!cell.picture.isNull())
                drawPicture(painter, r, cell.picture);
            if (!cell.text.isEmpty()) {
                painter.setPen(cell.foreColor);
                painter.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                                 cell.text);
            }
        });
    }

    // Each line on the last pixel before a cell, in whole pixels: the
    // painter's fast path.
    const int right = std::min(viewport()->width(), int(xOf(Cols()))) - 1;
    const int bottom = std::min(viewport()->height(), int(yOf(Rows()))) - 1;
    if (m_gridLines && !tiny) {
        painter.setPen(QPen(GridLineColor, 0));
        for (int col = firstCol; col <= lastCol + 1; ++col)
            painter.drawLine(int(xOf(col)) - 1, 0, int(xOf(col)) - 1, bottom);
        for (int row = firstRow; row <= lastRow + 1; ++row)
            painter.drawLine(0, int(yOf(row)) - 1, right, int(yOf(row)) - 1);
    }

    const CellRect sel = GetSelection();
    if (sel.row1 != sel.row2 || sel.col1 != sel.col2) {
        const QRect first = cellRect(std::max(sel.row1, firstRow), std::max(sel.col1, firstCol));
        const QRect last = cellRect(std::min(sel.row2, lastRow), std::min(sel.col2, lastCol));
        if (sel.row2 >= firstRow && sel.row1 <= lastRow && sel.col2 >= firstCol && sel.col1 <= lastCol)
            painter.fillRect(first.united(last), SelectionTint);
    }
    if (m_row >= firstRow && m_row <= lastRow && m_col >= firstCol && m_col <= lastCol) {
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cellRect(m_row, m_col).adjusted(0, 0, -1, -1));
    }
    // Tiny cells draw no copies, so none are made ahead for them.
    m_copies.startCounting();
    if (!tiny)
        m_ahead.start();
}

void GridWidget::makeCopiesAhead()
{
    const int rows = visibleRows();
    const int cols = visibleCols();
    const CellRect below{m_topRow + rows, m_leftCol, m_topRow + 2 * rows, m_leftCol + cols};
    const CellRect right{m_topRow, m_leftCol + cols, m_topRow + rows, m_leftCol + 2 * cols};
    QElapsedTimer clock;
    clock.start();
    bool unfinished = false;
    for (CellRect area : {below, right}) {
        area.row2 = std::min(area.row2, Rows() - 1);
        area.col2 = std::min(area.col2, Cols() - 1);
        m_cells.forEachOccupied(area, [&](int row, int col, const Cell& cell) {
            if (unfinished || cell.picture.isNull() || m_copies.bytesMade() > m_copies.budget() / AheadCacheShare)
                return;
            const QRect r = cellRect(row, col);
            if (r.width() > ScaledCopyMaxPixels || r.height() > ScaledCopyMaxPixels)
                return;
            if (clock.elapsed() >= AheadSliceMs)
                unfinished = true;
            else
                m_copies.copy(sourceFor(cell.picture, r.size(), true), r.size());
        });
    }
    if (unfinished)
        m_ahead.start();
}

void GridWidget::showTinyCells(QPainter& painter, const QRect& exposed)
{
    const CanvasKey key{viewport()->size(), m_topRow, m_leftCol, m_colWidth, m_rowHeight, m_gridLines};
    if (key != m_canvasKey) {
        if (m_canvas.size() != viewport()->size())
            m_canvas = QImage(viewport()->size(), QImage::Format_RGB32);
        m_canvasKey = key;
        m_canvasStale = viewport()->rect();
    }
    if (!m_canvasStale.isEmpty()) {
        renderTinyCells(m_canvasStale.intersected(viewport()->rect()));
        m_canvasStale = {};
    }
    painter.drawImage(exposed, m_canvas, exposed);
}

void GridWidget::renderTinyCells(const QRect& area)
{
    QImage& canvas = m_canvas;
    uchar* const bits = canvas.bits();
    const qsizetype stride = canvas.bytesPerLine();
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(bits + y * stride) + area.left(), area.width(), qRgb(0, 0, 0));
    const CellRect cells = cellsUnder(area);
    // Cell edges, each computed once for the paint.
    std::vector<int> xs, ys;
    for (int col = cells.col1; col <= cells.col2 + 1; ++col)
        xs.push_back(int(xOf(col)));
    for (int row = cells.row1; row <= cells.row2 + 1; ++row)
        ys.push_back(int(yOf(row)));
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
    m_cells.forEachOccupied(cells, [&](int row, int col, const Cell& cell) {
        const auto across = std::size_t(col - cells.col1), down = std::size_t(row - cells.row1);
        const int left = xs[across], top = ys[down];
        const QRect r(left, top, xs[across + 1] - left, ys[down + 1] - top);
        const QRect shown = r.intersected(area);
        if (cell.backColor != QColor(Qt::black)) {
            for (int y = shown.top(); y <= shown.bottom(); ++y)
                std::fill_n(reinterpret_cast<QRgb*>(bits + y * stride) + shown.left(), shown.width(),
                            cell.backColor.rgb());
        }
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
    if (m_gridLines) {
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
    QPainter painter(&canvas);
    painter.setClipRect(area);
    painter.setFont(m_textFont);
    for (const auto& [r, cell] : texts) {
        painter.setPen(cell->foreColor);
        painter.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, cell->text);
    }
}

QImage GridWidget::sourceFor(const Picture& picture, QSize size, bool ahead)
{
    const int side = picture.versionSide(std::max(size.width(), size.height()));
    return side ? m_versions.best(picture, side, ahead) : picture.small();
}

void GridWidget::drawPicture(QPainter& painter, const QRect& cell, const Picture& picture)
{
    const QImage source = sourceFor(picture, cell.size());
    if (cell.width() > ScaledCopyMaxPixels || cell.height() > ScaledCopyMaxPixels) {
        painter.drawImage(cell, source);  // stretched to fill the cell
        return;
    }
    painter.drawImage(cell.topLeft(), m_copies.copy(source, cell.size()));
}

QImage GridWidget::shownAt(const Picture& picture, QSize size)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    QImage source = sourceFor(picture, size);
    if (size.width() > ScaledCopyMaxPixels || size.height() > ScaledCopyMaxPixels)
        return source;
    return m_copies.copy(source, size);
}

int GridWidget::cellsAwaitingVersions() const
{
    if (Rows() <= 0 || Cols() <= 0)
        return 0;
    int awaiting = 0;
    m_cells.forEachOccupied(cellsUnder(viewport()->rect()), [&](int row, int col, const Cell& cell) {
        const QRect r = cellRect(row, col);
        if (!m_versions.isReady(cell.picture, cell.picture.versionSide(std::max(r.width(), r.height()))))
            ++awaiting;
    });
    return awaiting;
}

void GridWidget::trackMouse(const QPointF& pos)
{
    const bool inside = QRectF(viewport()->rect()).contains(pos);
    m_mouseRow = inside ? rowAt(pos.y()) : -1;
    m_mouseCol = inside ? colAt(pos.x()) : -1;
    if (m_mouseRow < 0 || m_mouseCol < 0)
        m_mouseRow = m_mouseCol = -1;
}

void GridWidget::moveTo(qint64 row, qint64 col, bool extend)
{
    const int r = int(std::clamp<qint64>(row, 0, Rows() - 1));
    const int c = int(std::clamp<qint64>(col, 0, Cols() - 1));
    const CellRect before = GetSelection();
    if (extend) {
        m_rowSel = r;
        m_colSel = c;
    } else {
        m_row = m_rowSel = r;
        m_col = m_colSel = c;
    }
    ShowCell(r, c);
    updateCells(before);
    updateCells(GetSelection());
}

void GridWidget::moveCursor(Move move, bool extend)
{
    if (Rows() <= 0 || Cols() <= 0)
        return;
    const qint64 row = extend ? m_rowSel : m_row;
    const qint64 col = extend ? m_colSel : m_col;
    switch (move) {
    case Move::Up: return moveTo(row - 1, col, extend);
    case Move::Down: return moveTo(row + 1, col, extend);
    case Move::Left: return moveTo(row, col - 1, extend);
    case Move::Right: return moveTo(row, col + 1, extend);
    case Move::PageUp: return moveTo(row - visibleRows(), col, extend);
    case Move::PageDown: return moveTo(row + visibleRows(), col, extend);
    case Move::RowStart: return moveTo(row, 0, extend);
    case Move::RowEnd: return moveTo(row, Cols() - 1, extend);
    case Move::WallStart: return moveTo(0, 0, extend);
    case Move::WallEnd: return moveTo(Rows() - 1, Cols() - 1, extend);
    }
}

void GridWidget::runBeforeMouseDown(int button)
{
    bool cancel = false;
    emit BeforeMouseDown(button, 0, cancel);
}

void GridWidget::mousePressEvent(QMouseEvent* event)
{
    trackMouse(event->position());
    m_pressAt = event->position();
    const int button = GridButtonOf(event->button());
    const int shift = GridShiftOf(event->modifiers());
    bool cancel = false;
    emit BeforeMouseDown(button, shift, cancel);
    if (cancel)
        return;
    if (button == GridEvent::LeftButton && m_mouseRow >= 0) {
        moveTo(m_mouseRow, m_mouseCol, shift & GridEvent::ShiftMask);
        m_selecting = true;
    }
    // The popup acts on what is selected: a right press outside the
    // selection selects the cell under it, one inside keeps the selection.
    const CellRect sel = GetSelection();
    if (button == GridEvent::RightButton && m_mouseRow >= 0
        && (m_mouseRow < sel.row1 || m_mouseRow > sel.row2 || m_mouseCol < sel.col1 || m_mouseCol > sel.col2))
        moveTo(m_mouseRow, m_mouseCol, false);
    emit MouseDown(button, shift);
}

void GridWidget::mouseMoveEvent(QMouseEvent* event)
{
    trackMouse(event->position());
    // A press whose release went elsewhere (a lifted image took the mouse)
    // leaves no selecting behind.
    if (!(event->buttons() & Qt::LeftButton))
        m_selecting = false;
    if (!m_selecting || Rows() <= 0 || Cols() <= 0)
        return;
    // Past the edges the selection keeps growing and the view follows it.
    const QPointF pos = event->position();
    const int row = pos.y() < 0 ? m_topRow - 1 : indexAt(pos.y(), cellHeightPx(), m_topRow);
    const int col = pos.x() < 0 ? m_leftCol - 1 : indexAt(pos.x(), cellWidthPx(), m_leftCol);
    moveTo(row, col, true);
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event)
{
    trackMouse(event->position());
    m_selecting = false;
    handled({GridEvent::ButtonUp, GridButtonOf(event->button()), GridShiftOf(event->modifiers())});
}

void GridWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    trackMouse(event->position());
    handled({GridEvent::DoubleClick, 0, GridShiftOf(event->modifiers())});
}

void GridWidget::keyPressEvent(QKeyEvent* event)
{
    if (!handled({GridEvent::KeyDown, GridKeyOf(event->key()), GridShiftOf(event->modifiers())}))
        QAbstractScrollArea::keyPressEvent(event);
}

void GridWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    handled({GridEvent::KeyUp, GridKeyOf(event->key()), GridShiftOf(event->modifiers())});
}

void GridWidget::wheelEvent(QWheelEvent* event)
{
    const int notches = m_wheel.add(*event);
    const int shift = GridShiftOf(event->modifiers());
    for (int i = 0; i < std::abs(notches); ++i)
        handled({GridEvent::Wheel, notches > 0 ? GridEvent::Away : GridEvent::Towards, shift});
    event->accept();
}

bool GridWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return QAbstractScrollArea::eventFilter(watched, event);
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
}

RedrawSuspended::RedrawSuspended(GridWidget& grid) : m_grid(grid)
{
    m_grid.Redraw(false);
}

RedrawSuspended::~RedrawSuspended()
{
    m_grid.Redraw(true);
}
