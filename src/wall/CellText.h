#pragma once

class CellStore;
class GridWidget;

// "Add Text": asks for the current cell's text, refusing commas (they would
// split the cell's record in a wall file). An empty answer removes the
// text; Cancel leaves the cell as it was.
void mnuRightAddText_Click(CellStore& cells, GridWidget& grid);
