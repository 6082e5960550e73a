#pragma once

struct CommandContext;

// "Add Single File": a chosen picture file replaces what the current cell
// showed; the image count rises unless the cell showed an existing file.
void mnuRightAddSingleFile_Click(CommandContext& ctx);
// "Refresh Image": the current cell's thumbnail is made again from its file.
// The path stays even when the file is gone or no longer decodes; then the
// cell shows no picture.
void mnuRightReload_Click(CommandContext& ctx);
