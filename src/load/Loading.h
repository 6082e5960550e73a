#pragma once

#include <QString>

class LoadingRun;
struct CommandContext;
struct LoadFlags;

// Fills the wall from a folder tree during a loading run: a fresh load
// empties the grid first, a load from here starts at (startRow, startCol)
// and keeps what is there.
void LoadImages(CommandContext& ctx, LoadingRun& run, const QString& folder, bool fromHere, int startRow,
                int startCol);

void mnuAddFiles_Click(CommandContext& ctx);
void mnuAddImagesFromHere_Click(CommandContext& ctx);
void mnuStop_Click(LoadFlags& load);
