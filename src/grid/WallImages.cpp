#include "grid/WallImages.h"

#include "grid/CellStore.h"
#include "shell/MainState.h"

void PlaceImage(CellStore& cells, MainState& state, int row, int col, const Picture& picture, const QString& path)
{
    const bool held = cells.holdsImage(row, col);
    cells.setImage(row, col, picture, path);
    state.ImageCount += int(cells.holdsImage(row, col)) - int(held);
}

void TakeImageOut(CellStore& cells, MainState& state, int row, int col)
{
    const bool held = cells.holdsImage(row, col);
    cells.clearImage(row, col);
    state.ImageCount -= int(held);
}
