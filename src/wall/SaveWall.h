#pragma once

#include "wall/WallDialog.h"

#include <QByteArray>
#include <QHash>
#include <QString>

class CellStore;
struct CommandContext;

// The records of a wall and what could not be written as one.
struct WallRecords {
    QByteArray text;
    qint64 count = 0;
    qint64 leftOut = 0;  // values with a line break
    qint64 textsOnImages = 0;  // a record holds an image's path only
};

// The records of every cell worth saving, in row-major order: the path of
// every image, shown or hidden, under its new name where `renamed` has one,
// or the text of a cell without an image.
WallRecords WallRecordText(const CellStore& cells, const QHash<QString, QString>& renamed = {});

// "Save Wall": asks for a .wall file and writes the wall into it. An image
// whose file name holds commas is renamed on disk to the name without them,
// where that is free, once the user has agreed to the save and the file's
// folder takes it; its cells take the new path. True when the wall was
// written.
bool SaveWall(CommandContext& ctx, const AskWallFile& ask);
