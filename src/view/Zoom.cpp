#include "view/Zoom.h"

#include "grid/GridWidget.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <algorithm>

namespace {

void setCellSize(GridWidget& grid, int twips)
{
    grid.setColWidth(twips);
    grid.setRowHeight(twips);
}

void scrollTo(GridWidget& grid, int row, int col)
{
    grid.setTopRow(row);
    grid.setLeftCol(col);
}

} // namespace

void ZoomInStep(CommandContext& ctx, bool)
{
    if (ctx.state.IsLoading)
        return;
    GridWidget& grid = ctx.grid;
    ++ctx.state.ZoomLevel;
    // The grid paints once when the step is done, not once per change.
    const RedrawSuspended quiet(grid);
    SkipErrors([&] {
        setCellSize(grid, grid.ColWidth() + ZoomStepTwips);
        // After the resize, so that the larger cells can scroll the current
        // cell to the top left even where the smaller ones could not.
        scrollTo(grid, grid.Row(), grid.Col());
    });
    ctx.window.UpdateCaption();
}

void ZoomOutStep(CommandContext& ctx)
{
    if (ctx.state.IsLoading)
        return;
    GridWidget& grid = ctx.grid;
    Settings& s = ctx.state;
    const RedrawSuspended quiet(grid);
    SkipErrors([&] {
        const bool keepPosition = s.ZoomLevel >= 3;
        setCellSize(grid, std::max(grid.ColWidth() - ZoomStepTwips, SmallestCellTwips));
        if (keepPosition)
            scrollTo(grid, grid.Row(), grid.Col());
        else
            scrollTo(grid, 0, 0);
        if (s.ZoomLevel <= 1) {
            s.ZoomLevel = 0;
            grid.ShowCell(0, 0);
        } else {
            --s.ZoomLevel;
        }
    });
    ctx.window.UpdateCaption();
}

void mnuRightZoomToImage_Click(CommandContext& ctx)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuRightZoomToImage_Click"), [&] {
        MainState& s = ctx.state;
        s.StopSlideshow = true;
        // Counted steps: a refused step could never reach the level.
        for (int steps = ImageZoomLevel - s.ZoomLevel; steps > 0; --steps)
            ZoomInStep(ctx, true);
        for (int steps = s.ZoomLevel - ImageZoomLevel; steps > 0; --steps)
            ZoomOutStep(ctx);
    });
}

void mnuRightReset_Click(CommandContext& ctx)
{
    ctx.state.StopSlideshow = true;
    ctx.state.ZoomLevel = 0;
    setCellSize(ctx.grid, BaseCellTwips);
    SkipErrors([&] { ctx.grid.Select(0, 0); });
}

void ResetZoomView(CommandContext& ctx)
{
    {
        const RedrawSuspended quiet(ctx.grid);
        SkipErrors([&] { setCellSize(ctx.grid, BaseCellTwips); });
        scrollTo(ctx.grid, 0, 0);
    }
    ctx.state.ZoomLevel = 0;
    ctx.window.UpdateCaption();
}
