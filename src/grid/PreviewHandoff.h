#pragma once

class frmMain;

// Shows the current cell's image in the preview window, or hides the
// preview when the cell has no existing file.
void PreviewCurrentCell(frmMain& w);
