#include "view/GridInput.h"

#include "grid/GridWidget.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "view/DragOverlay.h"
#include "view/Zoom.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

const QString FormName = QStringLiteral("frmMain");

// An image in the default application; false for an empty cell's path or a
// file that has gone.
bool openFile(const QString& path)
{
    if (!FileExists(path))
        return false;
    ShellOpenFile(path);
    return true;
}

} // namespace

GridInput::GridInput(CommandContext& ctx) : QObject(&ctx.grid), m_ctx(ctx), m_overlay(new DragOverlay(ctx)) {}

void GridInput::fg_BeforeMouseDown(int button, int, bool&)
{
    const GridWidget& grid = m_ctx.grid;
    m_clickedCurrentCell = false;
    m_pressedOnCell = grid.MouseRow() >= 0;
    m_overlay->putDown();
    if (button == GridEvent::LeftButton && grid.MouseRow() == grid.Row() && grid.MouseCol() == grid.Col())
        m_clickedCurrentCell = true;
}

void GridInput::fg_MouseDown(int button, int)
{
    if (button != GridEvent::LeftButton || !m_pressedOnCell)
        return;
    SkipErrors([&] {
        if (m_overlay->prepare() && m_clickedCurrentCell && !m_ctx.state.IsLoading)
            m_overlay->lift();
    });
    m_clickedCurrentCell = false;
}

bool GridInput::onCell(GridEvent::Kind kind) const
{
    // A double-click stands in for its second press.
    return kind == GridEvent::DoubleClick ? m_ctx.grid.MouseRow() >= 0 : m_pressedOnCell;
}

void fg_DblClick(CommandContext& ctx)
{
    RunReported(FormName, QStringLiteral("fg_DblClick"), [&] {
        ShowDefaultPointer();
        const GridWidget& grid = ctx.grid;
        // A cell whose image a search hides is not empty: it is left alone.
        if (!ctx.cells.holdsImage(grid.Row(), grid.Col()))
            ResetZoomView(ctx);
        else
            openFile(ctx.cells.CellData(grid.Row(), grid.Col()));
    });
}

void mnuRightOpen_Click(CommandContext& ctx)
{
    RunReported(FormName, QStringLiteral("mnuRightOpen_Click"), [&] {
        ctx.state.StopSlideshow = true;
        ShowBusyPointer();
        // The selection's images in row order, found among the occupied
        // cells only: a selection of the whole of a huge grid is no slower.
        QStringList paths;
        ctx.cells.forEachOccupied(ctx.grid.GetSelection(), [&](int row, int col, const Cell&) {
            paths.append(ctx.cells.CellData(row, col));
        });
        for (const QString& path : paths)
            if (openFile(path))
                QCoreApplication::processEvents();
        ShowDefaultPointer();
    });
}
