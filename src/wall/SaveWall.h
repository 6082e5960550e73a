#pragma once

#include "wall/WallDialog.h"

class CellStore;
struct CommandContext;

// The records of every cell worth saving, in row-major order: the path of
// an image whose file exists, or the text of a cell without an image. An
// image path with commas is renamed on disk to its comma-free form first,
// and the cell takes the new path. Throws when such a rename fails.
QString WallRecordText(CellStore& cells);

// "Save Wall": asks for a .wall file and writes the wall into it.
void mnuSave_Click(CommandContext& ctx, const AskWallFile& ask);
