#include "load/SingleCell.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "image/ThumbnailMaker.h"
#include "shell/CommandContext.h"
#include "shell/MainModule.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

void mnuRightAddSingleFile_Click(CommandContext& ctx)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuRightAddSingleFile_Click"), [&] {
        const QString path = Platform::prompts().file(
            MainFormRef, {QStringLiteral("Choose File"),
                          QtFileFilter(QStringLiteral("JPEG Files (*.jpg)|*.jpg|All Files (*.*)|*.*")),
                          QStringLiteral("jpg"), false, {}});
        if (path.isEmpty() || !FileExists(path))
            return;
        const std::optional<QImage> picture = ctx.thumbnails.CellPicture(path);
        if (!picture)
            return;
        const int r = ctx.grid.Row();
        const int c = ctx.grid.Col();
        if (!FileExists(ctx.cells.CellData(r, c)))
            ++ctx.state.ImageCount;
        ctx.cells.setImage(r, c, *picture, path);
        ctx.window.UpdateCaption();
    });
}

void mnuRightReload_Click(CommandContext& ctx)
{
    ctx.state.StopSlideshow = true;
    SkipErrors([&] {
        const int r = ctx.grid.Row();
        const int c = ctx.grid.Col();
        const QString path = ctx.cells.CellData(r, c);
        std::optional<QImage> picture;
        if (FileExists(path))
            picture = ctx.thumbnails.CellPicture(path);
        ctx.cells.setCellPicture(r, c, picture.value_or(QImage()));
    });
}
