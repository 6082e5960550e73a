#include "view/DragOverlay.h"

#include "grid/GridWidget.h"
#include "grid/WallImages.h"
#include "image/ThumbnailMaker.h"
#include "shell/CommandContext.h"
#include "shell/Twips.h"
#include "shell/Utilities.h"

#include <QMouseEvent>

#include <cmath>

DragOverlay::DragOverlay(CommandContext& ctx) : PreviewPicture(ctx.grid.viewport()), m_ctx(ctx)
{
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
    const auto px = [](double twips) { return int(std::lround(TwipsToPixels(twips))); };
    setGeometry(px(grid.CellLeft()), px(grid.CellTop()), px(grid.CellWidth()), px(grid.CellHeight()));
    setPicture(m_ctx.grid.shownAt(m_ctx.cells.CellPicture(grid.Row(), grid.Col()), size()));
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
    setPicture(QImage());
    m_tag.clear();
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
}

void DragOverlay::dropOn(int row, int col)
{
    CellStore& cells = m_ctx.cells;
    // No cell under the pointer, a cell whose image a search hides, or a
    // source cell that no longer holds the lifted image: nothing moves, so
    // no image is ever lost or doubled.
    if (row < 0 || col < 0 || cells.CellDataIsPicture(row, col)
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
}
