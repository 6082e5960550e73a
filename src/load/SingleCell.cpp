#include "load/SingleCell.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "grid/WallImages.h"
#include "image/ThumbnailMaker.h"
#include "shell/CommandContext.h"
#include "shell/LoadingRun.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

void mnuRightAddSingleFile_Click(CommandContext& ctx)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuRightAddSingleFile_Click"), [&] {
        const QString path = AskForFile(
            {QStringLiteral("Choose File"), QtFileFilter(QStringLiteral("JPEG Files (*.jpg)|*.jpg|All Files (*.*)|*.*")),
             QStringLiteral("jpg"), false, {}});
        // A cancelled dialog, a missing file and one that does not decode
        // all end here, silently.
        LoadingRun run(ctx, LoadingRun::SingleImage);
        run.showBusy();
        const std::optional<Picture> picture = ctx.thumbnails.CellPicture(path, ctx.cells.isMonochrome());
        if (!picture)
            return;
        const int r = ctx.grid.Row();
        const int c = ctx.grid.Col();
        PlaceImage(ctx.cells, ctx.state, r, c, *picture, path);
        ctx.window.UpdateCaption();
    });
}

void mnuRightReload_Click(CommandContext& ctx)
{
    ctx.state.StopSlideshow = true;
    SkipErrors([&] {
        LoadingRun run(ctx, LoadingRun::SingleImage);
        run.showBusy();
        const int r = ctx.grid.Row();
        const int c = ctx.grid.Col();
        // Made from the file itself: the shared cache knows a file's changes
        // only to the second, and not at all when its time was kept. A file
        // that is gone or no longer decodes leaves no picture.
        const std::optional<Picture> picture =
            ctx.thumbnails.FreshCellPicture(ctx.cells.CellData(r, c), ctx.cells.isMonochrome());
        ctx.cells.setCellPicture(r, c, picture.value_or(Picture()));
    });
}
