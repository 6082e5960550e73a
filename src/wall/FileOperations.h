#pragma once

#include <QString>

struct CommandContext;

// Deletes the file a cell names, when it is there, and takes the image out
// of the cell; its text and colours stay. Throws when the file stays.
void DeleteCellFile(CommandContext& ctx, int r, int c);

// Deletes the file of one cell at once, without asking, takes the image out
// of the cell and hands the current cell to the preview again.
void DeleteFileNow(CommandContext& ctx, int r, int c);

// The preview's "Delete": only the file the preview showed goes. When cell
// (r, c) no longer holds it (the wall was rearranged meanwhile) nothing is
// deleted and the preview shows the current cell again.
void DeleteShownFile(CommandContext& ctx, const QString& shownPath, int r, int c);
