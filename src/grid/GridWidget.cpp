#include "grid/GridWidget.h"

#include "shell/Twips.h"

#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace {

const QColor GridLineColor(96, 96, 96);
const QColor SelectionTint(64, 128, 255, 90);
// Below this cell size smoothing costs more than it shows.
constexpr double SmoothFromPixels = 24.0;
// Cells up to this size draw cached copies; larger ones are few on screen.
constexpr int ScaledCopyMaxPixels = 96;
constexpr int ScaledCacheBytes = 48 * 1024 * 1024;
constexpr int CachedCopyOverhead = 256;  // image header and cache node

// A few pixels sampled straight from the picture: far cheaper than a scaled
// draw, and all a cell of a few pixels can show.
QImage nearestCopy(const QImage& picture, QSize size)
{
    QImage copy(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
        const int sy = int((2 * qint64(y) + 1) * picture.height() / (2 * size.height()));
        for (int x = 0; x < size.width(); ++x)
            line[x] = picture.pixel(int((2 * qint64(x) + 1) * picture.width() / (2 * size.width())), sy);
    }
    return copy;
}

int buttonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return GridWidget::LeftButton;
    case Qt::RightButton: return GridWidget::RightButton;
    case Qt::MiddleButton: return GridWidget::MiddleButton;
    default: return 0;
    }
}

int shiftOf(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= GridWidget::ShiftMask;
    if (modifiers & Qt::ControlModifier)
        shift |= GridWidget::CtrlMask;
    if (modifiers & Qt::AltModifier)
        shift |= GridWidget::AltMask;
    return shift;
}

// Qt's keys as the design's virtual-key codes, the one place they are mapped.
// Letters and digits share their codes; keys without one report 0.
int keyCodeOf(int key)
{
    static const QHash<int, int> codes{
        {Qt::Key_Backspace, 8},
        {Qt::Key_Tab, 9},
        {Qt::Key_Return, 13},
        {Qt::Key_Enter, 13},
        {Qt::Key_Escape, GridWidget::EscapeKey},
        {Qt::Key_Space, 32},
        {Qt::Key_PageUp, 33},
        {Qt::Key_PageDown, 34},
        {Qt::Key_End, 35},
        {Qt::Key_Home, 36},
        {Qt::Key_Left, GridWidget::LeftKey},
        {Qt::Key_Up, GridWidget::UpKey},
        {Qt::Key_Right, GridWidget::RightKey},
        {Qt::Key_Down, GridWidget::DownKey},
        {Qt::Key_Insert, 45},
        {Qt::Key_Delete, GridWidget::DeleteKey},
    };
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    return codes.value(key, 0);
}

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
    m_scaled.setMaxCost(ScaledCacheBytes);
    updateScrollBars();
}

GridWidget::~GridWidget()
{
    m_cells.setChangeListener({});
}

double GridWidget::cellWidthPx() const
{
    return TwipsToPixels(m_colWidth);
}

double GridWidget::cellHeightPx() const
{
    return TwipsToPixels(m_rowHeight);
}

double GridWidget::xOf(int col) const
{
    return std::round((col - m_leftCol) * cellWidthPx());
}

double GridWidget::yOf(int row) const
{
    return std::round((row - m_topRow) * cellHeightPx());
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
    return std::max(1, int(viewport()->height() / std::max(cellHeightPx(), 1.0)));
}

int GridWidget::visibleCols() const
{
    return std::max(1, int(viewport()->width() / std::max(cellWidthPx(), 1.0)));
}

int GridWidget::rowAt(double y) const
{
    if (y < 0)
        return -1;
    const double row = m_topRow + std::floor(y / std::max(cellHeightPx(), 1.0));
    return row < Rows() ? int(row) : -1;
}

int GridWidget::colAt(double x) const
{
    if (x < 0)
        return -1;
    const double col = m_leftCol + std::floor(x / std::max(cellWidthPx(), 1.0));
    return col < Cols() ? int(col) : -1;
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
        viewport()->update();
    }
    updateCells(changed);
}

void GridWidget::updateCells(const CellRect& cells)
{
    if (!m_redraw)
        return;
    const QRect area(QPoint(int(xOf(cells.col1)) - 1, int(yOf(cells.row1)) - 1),
                     QPoint(int(xOf(cells.col2 + 1)) + 1, int(yOf(cells.row2 + 1)) + 1));
    const QRect visible = area.intersected(viewport()->rect());
    if (!visible.isEmpty())
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
    painter.fillRect(exposed, Qt::black);
    if (Rows() <= 0 || Cols() <= 0)
        return;

    // Only the cells under the exposed area are drawn: a click repaints a
    // few cells, not the whole wall.
    const double w = cellWidthPx();
    const double h = cellHeightPx();
    const int firstRow = std::min<qint64>(Rows() - 1, m_topRow + qint64(exposed.top() / h));
    const int firstCol = std::min<qint64>(Cols() - 1, m_leftCol + qint64(exposed.left() / w));
    const int lastRow = std::min<qint64>(Rows() - 1, m_topRow + qint64(exposed.bottom() / h) + 1);
    const int lastCol = std::min<qint64>(Cols() - 1, m_leftCol + qint64(exposed.right() / w) + 1);
    const auto cellRect = [&](int row, int col) {
        const double x = xOf(col);
        const double y = yOf(row);
        return QRect(int(x), int(y), int(std::round(x + w) - x), int(std::round(y + h) - y));
    };

    painter.setRenderHint(QPainter::SmoothPixmapTransform, w >= SmoothFromPixels);
    painter.setFont(m_textFont);
    m_cells.forEachOccupied({firstRow, firstCol, lastRow, lastCol}, [&](int row, int col, const Cell& cell) {
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

    const double right = std::min(double(viewport()->width()), xOf(Cols()));
    const double bottom = std::min(double(viewport()->height()), yOf(Rows()));
    if (m_gridLines) {
        painter.setPen(GridLineColor);
        for (int col = firstCol; col <= lastCol + 1; ++col)
            painter.drawLine(QPointF(xOf(col) - 0.5, 0), QPointF(xOf(col) - 0.5, bottom));
        for (int row = firstRow; row <= lastRow + 1; ++row)
            painter.drawLine(QPointF(0, yOf(row) - 0.5), QPointF(right, yOf(row) - 0.5));
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
}

void GridWidget::drawPicture(QPainter& painter, const QRect& cell, const QImage& picture)
{
    if (cell.width() > ScaledCopyMaxPixels || cell.height() > ScaledCopyMaxPixels) {
        painter.drawImage(cell, picture);  // stretched to fill the cell
        return;
    }
    const ScaledKey key{picture.cacheKey(), cell.width(), cell.height()};
    const QImage* copy = m_scaled.object(key);
    if (!copy) {
        auto* made = new QImage(cell.width() < SmoothFromPixels
                                    ? nearestCopy(picture, cell.size())
                                    : picture.scaled(cell.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                          .convertToFormat(QImage::Format_RGB32));
        copy = made;
        m_scaled.insert(key, made, int(made->sizeInBytes()) + CachedCopyOverhead);
    }
    painter.drawImage(cell.topLeft(), *copy);
}

void GridWidget::trackMouse(const QPointF& pos)
{
    const bool inside = QRectF(viewport()->rect()).contains(pos);
    m_mouseRow = inside ? rowAt(pos.y()) : -1;
    m_mouseCol = inside ? colAt(pos.x()) : -1;
    if (m_mouseRow < 0 || m_mouseCol < 0)
        m_mouseRow = m_mouseCol = -1;
}

void GridWidget::moveTo(int row, int col, bool extend)
{
    row = std::clamp(row, 0, Rows() - 1);
    col = std::clamp(col, 0, Cols() - 1);
    const CellRect before = GetSelection();
    if (extend) {
        m_rowSel = row;
        m_colSel = col;
    } else {
        m_row = m_rowSel = row;
        m_col = m_colSel = col;
    }
    ShowCell(row, col);
    updateCells(before);
    updateCells(GetSelection());
}

void GridWidget::mousePressEvent(QMouseEvent* event)
{
    trackMouse(event->position());
    const int button = buttonOf(event->button());
    const int shift = shiftOf(event->modifiers());
    const double x = PixelsToTwips(event->position().x());
    const double y = PixelsToTwips(event->position().y());
    bool cancel = false;
    emit BeforeMouseDown(button, shift, x, y, cancel);
    if (cancel)
        return;
    if (button == LeftButton && m_mouseRow >= 0) {
        moveTo(m_mouseRow, m_mouseCol, shift & ShiftMask);
        m_selecting = true;
    }
    emit MouseDown(button, shift, x, y);
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
    const int row = pos.y() < 0 ? m_topRow - 1 : m_topRow + int(pos.y() / std::max(cellHeightPx(), 1.0));
    const int col = pos.x() < 0 ? m_leftCol - 1 : m_leftCol + int(pos.x() / std::max(cellWidthPx(), 1.0));
    moveTo(row, col, true);
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event)
{
    trackMouse(event->position());
    m_selecting = false;
    emit MouseUp(buttonOf(event->button()), shiftOf(event->modifiers()), PixelsToTwips(event->position().x()),
                 PixelsToTwips(event->position().y()));
}

void GridWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    trackMouse(event->position());
    emit DblClick();
}

void GridWidget::keyPressEvent(QKeyEvent* event)
{
    if (Rows() <= 0 || Cols() <= 0)
        return QAbstractScrollArea::keyPressEvent(event);
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const int row = extend ? m_rowSel : m_row;
    const int col = extend ? m_colSel : m_col;
    switch (event->key()) {
    case Qt::Key_Up: moveTo(row - 1, col, extend); break;
    case Qt::Key_Down: moveTo(row + 1, col, extend); break;
    case Qt::Key_Left: moveTo(row, col - 1, extend); break;
    case Qt::Key_Right: moveTo(row, col + 1, extend); break;
    case Qt::Key_PageUp: moveTo(row - visibleRows(), col, extend); break;
    case Qt::Key_PageDown: moveTo(row + visibleRows(), col, extend); break;
    case Qt::Key_Home: moveTo(event->modifiers() & Qt::ControlModifier ? 0 : row, 0, extend); break;
    case Qt::Key_End:
        moveTo(event->modifiers() & Qt::ControlModifier ? Rows() - 1 : row, Cols() - 1, extend);
        break;
    default: QAbstractScrollArea::keyPressEvent(event);
    }
}

void GridWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    emit KeyUp(keyCodeOf(event->key()), shiftOf(event->modifiers()));
}
