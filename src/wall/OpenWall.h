#pragma once

#include "wall/WallDialog.h"

struct CommandContext;

// Rebuilds the wall from a .wall file; an empty path asks for one. Values
// that name an image file get a fresh thumbnail; any other value comes back
// as white text.
void OpenWallFile(CommandContext& ctx, const QString& strPath, const AskWallFile& ask);
