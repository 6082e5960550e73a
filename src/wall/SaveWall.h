#pragma once

#include "wall/WallDialog.h"

#include <QByteArray>

class CellStore;
struct CommandContext;

// The records of a wall and what could not be written as one.
struct WallRecords {
    QByteArray text;
    qint64 count = 0;
    qint64 leftOut = 0;  // values with a line break
};

// The records of every cell worth saving, in row-major order: the path of
// every image, shown or hidden, or the text of a cell without an image. An
// image whose file name holds commas is renamed on disk to the name without
// them where that is free, and its cells take the new path.
WallRecords WallRecordText(CellStore& cells);

// "Save Wall": asks for a .wall file and writes the wall into it.
void SaveWall(CommandContext& ctx, const AskWallFile& ask);
