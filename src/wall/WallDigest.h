#pragma once

#include <QByteArray>
#include <QString>

class CellStore;
struct Cell;
struct WallState;

// The text the user wrote into a cell; a search that hides an image lends
// its text slot to the path meanwhile.
QString OwnText(const Cell& cell);

// A digest of what a wall file keeps of the wall and what the user made of
// it: the grid's size and every cell's position, image path and text. No
// picture, colour or search counts, so a zoom, a Refresh Image or a search
// alone changes nothing.
QByteArray WallDigest(const CellStore& cells);

// The wall on screen is the one last opened, saved or loaded.
void WallIsSaved(const CellStore& cells, WallState& wall);
// The wall holds something and differs from the one last opened, saved or
// loaded.
bool WallChanged(const CellStore& cells, const WallState& wall);
