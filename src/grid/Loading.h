#pragma once

#include <QString>

class frmMain;

// Fills the wall from a folder tree: a fresh load empties the grid first, a
// load from here starts at (startRow, startCol) and keeps what is there.
void LoadImages(frmMain& w, const QString& folder, bool fromHere, int startRow, int startCol);

void mnuAddFiles_Click(frmMain& w);
void mnuAddImagesFromHere_Click(frmMain& w);
void mnuStop_Click(frmMain& w);
