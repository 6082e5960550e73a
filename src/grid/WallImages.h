#pragma once

#include "picture/Picture.h"

#include <QString>

class CellStore;
struct WallState;

// Every command puts images into the wall and takes them out through these,
// which keep ImageCount the number of cells that hold an image (shown, or
// hidden by a search), so the caption never counts one twice or one gone.

// The picture and its path into a cell; its text and colours stay.
void PlaceImage(CellStore& cells, WallState& wall, int row, int col, const Picture& picture, const QString& path);
// No picture, no path; text and colours stay.
void TakeImageOut(CellStore& cells, WallState& wall, int row, int col);
