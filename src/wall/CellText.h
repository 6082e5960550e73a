#pragma once

struct CommandContext;

// "Add Text": asks for the current cell's text, refusing commas (they would
// split the cell's record in a wall file). An empty or cancelled answer
// removes the text.
void mnuRightAddText_Click(CommandContext& ctx);
