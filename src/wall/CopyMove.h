#pragma once

#include <QString>

struct CommandContext;

// "Save As (Copy to)" and "Move": the files of the selected cells go to a
// chosen folder. No file is ever replaced or lost: a name already taken
// there gets a free one, and a move removes its source only once the copy
// is complete. The cells keep their pictures and paths.
void mnuRightSaveAs_Click(CommandContext& ctx);
void mnuRightMove_Click(CommandContext& ctx);

// The file's own name in the folder when no entry holds it, else the first
// free one of "name (2).ext", "name (3).ext", …
QString FreeFileName(const QString& folder, const QString& fileName);
// Copies under a temporary name beside the target, checks the copy's size,
// and only then gives it the target's name, which must be free. Throws,
// leaving nothing behind, when any step fails.
void CopyFileVerified(const QString& source, const QString& target);
