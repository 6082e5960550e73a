#pragma once

class frmMain;

// Deletes the file of one cell at once, without asking, empties the cell
// and hands the current cell to the preview again.
void DeleteCellFile(frmMain& w, int r, int c);
