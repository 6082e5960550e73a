#pragma once

#include "wall/WallDialog.h"

struct CommandContext;

// Before a command drops the wall: a changed wall is not thrown away
// without the user's word. Yes saves first (a save that does not happen
// keeps the wall), No lets it go, Cancel keeps it.
bool MayDiscardWall(CommandContext& ctx, const AskWallFile& ask);

// "Add Images": a folder's images in place of the wall, once the wall may go.
void AddImagesAsNewWall(CommandContext& ctx, const AskWallFile& ask);
