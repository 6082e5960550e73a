#pragma once

#include <QString>

struct CommandContext;

// Moves a file into the desktop's trash, where a file manager can restore
// it: the home trash for a file on its file system, else the trash at the
// top of the file's own file system. False when it cannot; the file stays.
bool MoveToTrash(const QString& path);

// "Delete": after a confirmation, the files of the selected cells go to the
// trash and their images out of the cells; texts stay.
void mnuRightDelete_Click(CommandContext& ctx);

// The file of one cell goes to the trash at once, without asking, and the
// preview is handed the current cell again.
void DeleteFileNow(CommandContext& ctx, int r, int c);

// The preview's "Delete": only the file the preview showed goes. When cell
// (r, c) no longer holds it (the wall was rearranged meanwhile) nothing is
// deleted and the preview shows the current cell again.
void DeleteShownFile(CommandContext& ctx, const QString& shownPath, int r, int c);
