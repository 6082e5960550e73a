#include "wall/UnsavedWall.h"

#include "load/Loading.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "wall/SaveWall.h"
#include "wall/WallDigest.h"

bool MayDiscardWall(CommandContext& ctx, const AskWallFile& ask)
{
    if (!WallChanged(ctx.cells, ctx.state))
        return true;
    switch (MsgBox(QStringLiteral("The wall has changes that are not saved.\n\nSave them first?"), MsgIcon::Question,
                   MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes: return SaveWall(ctx, ask);
    case MsgAnswer::No: return true;
    default: return false;
    }
}

void AddImagesAsNewWall(CommandContext& ctx, const AskWallFile& ask)
{
    if (!MayDiscardWall(ctx, ask))
        return;
    const QByteArray before = WallDigest(ctx.cells);
    mnuAddFiles_Click(ctx);
    // Unchanged: the folder picker was cancelled and the old wall stays (or
    // the folder gave the same wall, which a later question only confirms).
    if (WallDigest(ctx.cells) == before)
        return;
    WallIsSaved(ctx.cells, ctx.state);
    ctx.state.PartialWallPath.clear();
}
