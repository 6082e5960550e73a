#include "view/DragOverlay.h"

#include "grid/GridWidget.h"
#include "grid/WallImages.h"
#include "image/ThumbnailMaker.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Twips.h"
#include "shell/Utilities.h"

#include <QMouseEvent>
#include <QPainter>

DragOverlay::DragOverlay(CommandContext& ctx) : QWidget(ctx.grid.viewport()), m_ctx(ctx)
{
    setObjectName(QStringLiteral("Picture1"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    parentWidget()->installEventFilter(this);
}

bool DragOverlay::prepare()
{
    const GridWidget& grid = m_ctx.grid;
    const QString path = m_ctx.cells.CellData(grid.Row(), grid.Col());
    if (!FileExists(path))
        return false;
    setGeometry(TwipsToWholePixels(grid.CellLeft()), TwipsToWholePixels(grid.CellTop()),
                TwipsToWholePixels(grid.CellWidth()), TwipsToWholePixels(grid.CellHeight()));
    m_picture = m_ctx.grid.shownAt(m_ctx.cells.CellPicture(grid.Row(), grid.Col()), size());
    m_tag = path;
    m_dragRow = grid.Row();
    m_dragCol = grid.Col();
    return true;
}

void DragOverlay::lift()
{
    m_grab = m_ctx.grid.pressPosition() - pos();
    show();
    raise();
}

void DragOverlay::putDown()
{
    hide();
    m_picture = QImage();
    m_tag.clear();
}

void DragOverlay::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(rect(), m_picture);
}

bool DragOverlay::eventFilter(QObject*, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (!isVisible()
        || (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease))
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPointF pointer = mouse->position();
    // A press beside the lifted image is the grid's: it puts the image down.
    if (type == QEvent::MouseButtonPress && !geometry().contains(pointer.toPoint()))
        return false;
    if (type == QEvent::MouseButtonPress)
        m_grab = pointer - pos();
    else if (type == QEvent::MouseMove && mouse->buttons() == Qt::LeftButton)
        move((pointer - m_grab).toPoint());
    else if (type == QEvent::MouseButtonRelease)
        dropAt(pointer);
    return true;
}

void DragOverlay::dropAt(const QPointF& pos)
{
    GridWidget& grid = m_ctx.grid;
    grid.trackMouse(pos);
    SkipErrors([&] { dropOn(grid.MouseRow(), grid.MouseCol()); });
    putDown();
    m_ctx.window.PreviewCurrentCell();
}

void DragOverlay::dropOn(int row, int col)
{
    CellStore& cells = m_ctx.cells;
    // No cell under the pointer, a cell whose image a search hides, a
    // source cell that no longer holds the lifted image, or a load that may
    // fill the target next: nothing moves, so no image is ever lost or
    // doubled.
    if (m_ctx.state.IsLoading || row < 0 || col < 0 || cells.CellDataIsPicture(row, col)
        || cells.CellData(m_dragRow, m_dragCol) != m_tag || (row == m_dragRow && col == m_dragCol))
        return;
    const Picture lifted = cells.CellPicture(m_dragRow, m_dragCol);
    const QString other = cells.CellData(row, col);
    if (other.isEmpty()) {
        TakeImageOut(cells, m_ctx.state, m_dragRow, m_dragCol);
    } else {
        // The thumbnail a load would make; the old one when the file is refused.
        const Picture swapped =
            m_ctx.thumbnails.CellPicture(other, cells.isMonochrome()).value_or(cells.CellPicture(row, col));
        PlaceImage(cells, m_ctx.state, m_dragRow, m_dragCol, swapped, other);
    }
    PlaceImage(cells, m_ctx.state, row, col, lifted, m_tag);
    m_ctx.grid.Select(row, col);
}
