#include "view/Slideshow.h"

#include "grid/GridWidget.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QCoreApplication>

void mnuSlideshow_Click(CommandContext& ctx, const SlideshowPause& pause)
{
    MainState& s = ctx.state;
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuSlideshow_Click"), [&] {
        if (s.SlideshowCaptionOff) {
            s.StopSlideshow = true;
            QCoreApplication::processEvents();
            s.SlideshowCaptionOff = false;
            ctx.window.setMenuStates();
            return;
        }
        s.StopSlideshow = false;
        s.SlideshowCaptionOff = true;
        ctx.window.setMenuStates();

        GridWidget& grid = ctx.grid;
        const int col = grid.Col();
        CellStore& cells = ctx.cells;
        const int lastRow = cells.Rows() - 1;  // rows added meanwhile do not extend the walk
        // A grid made smaller meanwhile ends it: no cell outside is selected.
        for (int row = grid.Row() + 1; row <= lastRow && row < cells.Rows() && col < cells.Cols(); ++row) {
            grid.Select(row, col);
            // Each step shows its cell as an arrow key would: in view, in
            // the caption and in the preview.
            grid.ShowCell(row, col);
            ctx.window.PreviewCurrentCell();
            // A closed window cuts the pause short: the program is ending.
            pause(SlideshowStepMs, s.IsClosing);
            if (s.StopSlideshow || s.IsClosing)
                break;
        }
        s.StopSlideshow = false;
        if (s.IsClosing)
            ctx.window.endProgram();
    });
}
