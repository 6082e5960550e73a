#include "view/GridInput.h"

#include "grid/GridWidget.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Twips.h"
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

void GridInput::fg_BeforeMouseDown(int button, int, double, double, bool&)
{
    const GridWidget& grid = m_ctx.grid;
    m_clickedCurrentCell = false;
    m_overlay->putDown();
    if (button == GridWidget::LeftButton && grid.MouseRow() == grid.Row() && grid.MouseCol() == grid.Col())
        m_clickedCurrentCell = true;
}

void GridInput::fg_MouseDown(int button, int, double x, double y)
{
    if (button != GridWidget::LeftButton)
        return;
    SkipErrors([&] {
        if (m_overlay->prepare() && m_clickedCurrentCell)
            m_overlay->lift({TwipsToPixels(x), TwipsToPixels(y)});
    });
    // Every press that moves the current cell shows it in the caption, an
    // empty cell's as well as an image's.
    m_ctx.window.UpdateCaption();
    m_clickedCurrentCell = false;
}

void GridInput::fg_MouseUp(int button, int, double, double)
{
    if (m_ctx.state.IsLoading)
        return;
    GridWidget& grid = m_ctx.grid;
    if (button != GridWidget::RightButton) {
        m_ctx.window.PreviewCurrentCell();
    } else if (grid.Row() >= 0 && grid.Col() >= 0) {
        grid.ShowCell(grid.Row(), grid.Col());
        // The right press may have moved the current cell: the caption names
        // what the popup will act on.
        m_ctx.window.UpdateCaption();
        m_ctx.window.showPopupMenu();
    }
}

void GridInput::fg_DblClick()
{
    RunReported(FormName, QStringLiteral("fg_DblClick"), [&] {
        if (m_ctx.state.IsLoading)
            return;
        ShowDefaultPointer();
        const GridWidget& grid = m_ctx.grid;
        // A cell whose image a search hides is not empty: it is left alone.
        if (!m_ctx.cells.holdsImage(grid.Row(), grid.Col()))
            ResetZoomView(m_ctx);
        else
            openFile(m_ctx.cells.CellData(grid.Row(), grid.Col()));
    });
}

void GridInput::fg_KeyUp(int key, int)
{
    RunReported(FormName, QStringLiteral("fg_KeyUp"), [&] {
        MainState& s = m_ctx.state;
        if (s.IsLoading && key != GridWidget::EscapeKey)
            return;
        switch (key) {
        case GridWidget::DeleteKey: m_ctx.window.deleteSelection(); break;
        case GridWidget::EscapeKey:
            if (s.IsLoading)
                s.StopLoading = true;
            break;
        case GridWidget::DownKey:
        case GridWidget::UpKey:
        case GridWidget::RightKey:
        case GridWidget::LeftKey:
            m_ctx.window.PreviewCurrentCell();
            m_ctx.window.UpdateCaption();
            break;
        default: break;
        }
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
