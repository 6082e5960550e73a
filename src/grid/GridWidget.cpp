#include "grid/GridWidget.h"

#include "shell/Twips.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr int ShowChangesMs = 100;

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
    m_cells.setChangeListener([this](const CellRect& changed) { cellsChanged(changed); });
    connect(&versions(), &PictureVersions::arrived, viewport(), qOverload<>(&QWidget::update));
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
    connect(&m_ahead, &QTimer::timeout, this, [this] {
        if (m_painter.makeCopiesAhead(m_cells, rowAxis(), colAxis()))
            m_ahead.start();
    });
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

GridAxis GridWidget::rowAxis() const
{
    return {std::max(TwipsToPixels(m_rowHeight), 1.0), m_topRow, Rows(), viewport()->height()};
}

GridAxis GridWidget::colAxis() const
{
    return {std::max(TwipsToPixels(m_colWidth), 1.0), m_leftCol, Cols(), viewport()->width()};
}

double GridWidget::CellLeft() const
{
    return PixelsToTwips(EdgeOf(colAxis(), Col()));
}

double GridWidget::CellTop() const
{
    return PixelsToTwips(EdgeOf(rowAxis(), Row()));
}

int GridWidget::rowAt(double y) const
{
    const int row = IndexAt(rowAxis(), y);
    return y >= 0 && row < Rows() ? row : -1;
}

int GridWidget::colAt(double x) const
{
    const int col = IndexAt(colAxis(), x);
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
    m_cursor.select(row1, col1, row2, col2);
    updateCells(before);
    updateCells(GetSelection());
}

void GridWidget::ShowCell(int row, int col)
{
    const int rows = CellsInView(rowAxis());
    const int cols = CellsInView(colAxis());
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
        m_cursor.keepInside(Rows(), Cols());
        updateScrollBars();
    }
    const QRect area = ViewArea(rowAxis(), colAxis(), changed);
    m_canvas.markStale(area, rowAxis(), colAxis());
    // A change is shown at once; a load changes thousands of cells a second,
    // and those are shown as they fill a few times a second, not once a
    // cell: every frame costs the load its time.
    if (m_redraw) {
        if (m_showChanges.isActive()) {
            m_changedArea |= area;
        } else {
            updateCells(changed);
            m_showChanges.start();
        }
    }
}

void GridWidget::updateCells(const CellRect& cells)
{
    if (!m_redraw)
        return;
    if (const QRect visible = ViewArea(rowAxis(), colAxis(), cells); !visible.isEmpty())
        viewport()->update(visible);
}

void GridWidget::updateScrollBars()
{
    m_knownRows = Rows();
    m_knownCols = Cols();
    const int rows = CellsInView(rowAxis());
    const int cols = CellsInView(colAxis());
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
    const GridAxis rows = rowAxis(), cols = colAxis();
    const bool tiny = std::ceil(std::max(rows.cell, cols.cell)) < CellCopies::SampledBelowPixels;
    if (!tiny || Rows() <= 0 || Cols() <= 0)
        painter.fillRect(exposed, Qt::black);  // tiny cells paint every pixel themselves
    if (Rows() <= 0 || Cols() <= 0)
        return;

    // Only the cells under the exposed area are drawn: a click repaints a
    // few cells, not the whole wall.
    const CellRect shown = CellsUnder(rows, cols, exposed);
    // Versions still waiting were asked for by an earlier view.
    if (exposed.contains(viewport()->rect()))
        versions().dropWaiting();
    if (tiny) {
        m_canvas.show(painter, exposed, m_cells, rows, cols, m_gridLines);
    } else {
        m_painter.drawCells(painter, m_cells, rows, cols, shown);
        if (m_gridLines)
            CellPainter::drawLines(painter, rows, cols, shown);
    }
    CellPainter::drawSelection(painter, rows, cols, shown, GetSelection(), Row(), Col());
    m_painter.framePainted();
    // Tiny cells draw no copies, so none are made ahead for them.
    if (!tiny)
        m_ahead.start();
}

int GridWidget::cellsAwaitingVersions() const
{
    return Rows() <= 0 || Cols() <= 0 ? 0 : m_painter.cellsAwaitingVersions(m_cells, rowAxis(), colAxis());
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
    const CellRect before = GetSelection();
    const auto [r, c] = m_cursor.moveTo(row, col, extend, Rows(), Cols());
    ShowCell(r, c);
    updateCells(before);
    updateCells(GetSelection());
}

void GridWidget::moveCursor(Move move, bool extend)
{
    if (Rows() <= 0 || Cols() <= 0)
        return;
    const auto [row, col] = m_cursor.target(move, extend, Rows(), Cols(), CellsInView(rowAxis()));
    moveTo(row, col, extend);
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
    const qint64 row = pos.y() < 0 ? m_topRow - 1 : IndexAt(rowAxis(), pos.y());
    const qint64 col = pos.x() < 0 ? m_leftCol - 1 : IndexAt(colAxis(), pos.x());
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

bool GridWidget::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QAbstractScrollArea::viewportEvent(event);
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    trackMouse(at);
    QStringList names;
    if (m_mouseRow >= 0) {
        // A cell that a search hides keeps its path in the text slot: it
        // names nothing.
        const bool hidden = m_cells.CellDataIsPicture(m_mouseRow, m_mouseCol);
        const QString path = m_cells.CellData(m_mouseRow, m_mouseCol);
        const QString text = m_cells.CellText(m_mouseRow, m_mouseCol);
        if (!path.isEmpty())
            names << QFileInfo(path).fileName();
        if (!hidden && !text.isEmpty())
            names << text;
    }
    if (names.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(viewport()->mapToGlobal(at), names.join('\n'), viewport(),
                           CellArea(rowAxis(), colAxis(), m_mouseRow, m_mouseCol));
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
