#include "wall/FileOperations.h"

#include "grid/CellStore.h"
#include "grid/WallImages.h"
#include "shell/CommandContext.h"
#include "shell/FileNames.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <cerrno>

void DeleteCellFile(CommandContext& ctx, int r, int c)
{
    const QString path = ctx.cells.CellData(r, c);
    if (FileExists(path)) {
        if (!RemovePath(path))
            throw AppError(ErrorNumber::PathFileAccess, ErrorText(errno));
    }
    TakeImageOut(ctx.cells, ctx.state, r, c);
}

void DeleteFileNow(CommandContext& ctx, int r, int c)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("DeleteFile"), [&] {
        ctx.state.StopSlideshow = true;
        DeleteCellFile(ctx, r, c);
        ctx.window.PreviewCurrentCell();
    });
}

void DeleteShownFile(CommandContext& ctx, const QString& shownPath, int r, int c)
{
    QString inCell;
    SkipErrors([&] { inCell = ctx.cells.CellData(r, c); });
    if (!shownPath.isEmpty() && inCell == shownPath)
        DeleteFileNow(ctx, r, c);
    else
        ctx.window.PreviewCurrentCell();
}
