#include "load/Loading.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "image/ThumbnailMaker.h"
#include "load/FolderScan.h"
#include "shell/CommandContext.h"
#include "shell/LoadingRun.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QCoreApplication>

namespace {

const QString FolderPrompt =
    QStringLiteral("Select Folder with images in it. Note: Only JPEG images are supported at this time.");

void scan(CommandContext& ctx, const QString& folder, bool fromHere, int startRow, int startCol)
{
    DecodingAhead ahead(ctx.thumbnails);
    FolderScan(ctx, &ahead).FindFile(folder, true, fromHere, startRow, startCol);
}

// The two add commands differ only in where filling starts and in how the
// window is left at the end.
void addImages(CommandContext& ctx, bool fromHere, const QString& procName)
{
    MainState& s = ctx.state;
    GridWidget& grid = ctx.grid;
    try {
        const QString folder = BrowseForFolder(FolderPrompt);
        s.StopSlideshow = true;
        s.LowMemory = false;
        if (!folder.isEmpty()) {
            ctx.window.resetPreview();
            LoadingRun run(ctx);
            LoadImages(ctx, run, folder, fromHere, fromHere ? grid.Row() : 0, fromHere ? grid.Col() : 0);
            run.end();
            if (ctx.window.isShown()) {
                s.SlideshowReady = true;
                ctx.window.setMenuStates();
                ctx.window.bringToFront();
                grid.Select(0, 0);
                // A load from here leaves the grid as a left press on it
                // would: a lifted image is put down.
                if (fromHere)
                    ctx.grid.runBeforeMouseDown(GridEvent::LeftButton);
                else
                    ctx.window.PreviewCurrentCell();
                ctx.window.UpdateCaption();
            }
        }
    } catch (...) {
        ReportError(QStringLiteral("frmMain"), procName, AppError::current());
        if (ctx.window.isShown()) {
            grid.Select(0, 0);
            ctx.window.UpdateCaption();
            ctx.window.setMenuStates();
        }
    }
}

} // namespace

void LoadImages(CommandContext& ctx, LoadingRun& run, const QString& folder, bool fromHere, int startRow,
                int startCol)
{
    MainState& s = ctx.state;
    GridWidget& grid = ctx.grid;
    try {
        s.StopLoading = false;
        s.LowMemory = false;
        s.StopSlideshow = true;
        // A folder that is there but cannot be read gets the same help as
        // one that is not there at all. A hidden name is no reason: the
        // user chose it, while the scan passes hidden subfolders over.
        if (!FolderIsReadable(folder)) {
            ReportFolderNotAccessible(folder);
            return;
        }
        run.showBusy();
        grid.Redraw(false);
        if (!fromHere)
            EmptyGrid(ctx.cells, s.GridRows, s.GridCols);
        ctx.window.hidePreview();
        grid.Redraw(true);
        grid.Select(0, 0);
        ctx.window.setTitle(QStringLiteral("Loading Images. This Program May Appear Frozen. Please be Patient..."));
        QCoreApplication::processEvents();
        run.offerStop();
        // Redrawing stays on: the grid shows the cells as they fill, a few
        // times a second, rather than an empty wall until the end.
        scan(ctx, folder, fromHere, startRow, startCol);
        if (ctx.window.isShown()) {
            grid.Select(0, 0);
            grid.Redraw(true);
            grid.setVisible(true);
            ctx.window.UpdateCaption();
        }
    } catch (...) {
        ReportError(QStringLiteral("frmMain"), QStringLiteral("LoadImages"), AppError::current());
        ctx.window.UpdateCaption();
    }
}

void mnuAddFiles_Click(CommandContext& ctx)
{
    addImages(ctx, false, QStringLiteral("mnuAddFiles_Click"));
}

void mnuAddImagesFromHere_Click(CommandContext& ctx)
{
    addImages(ctx, true, QStringLiteral("mnuAddImagesFromHere_Click"));
}

void mnuStop_Click(LoadFlags& load)
{
    load.StopLoading = true;
}
