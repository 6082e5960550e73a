#include "grid/WallImages.h"

#include "grid/CellStore.h"
#include "shell/MainState.h"

void PlaceImage(CellStore& cells, WallState& wall, int row, int col, const Picture& picture, const QString& path)
{
    const bool held = cells.holdsImage(row, col);
    cells.setImage(row, col, picture, path);
    wall.ImageCount += int(cells.holdsImage(row, col)) - int(held);
}

void TakeImageOut(CellStore& cells, WallState& wall, int row, int col)
{
    const bool held = cells.holdsImage(row, col);
    cells.clearImage(row, col);
    wall.ImageCount -= int(held);
}
