#pragma once

#include <QString>

class CellStore;
struct CommandContext;

// "Search Grid": asks for a text, then hides every image whose file name
// lacks it and every text cell whose text lacks it.
void mnuFindFile_Click(CommandContext& ctx);
// The search itself, for a text already given; an empty text does nothing.
// Case is ignored the way the user's locale upper-cases.
void SearchGrid(CommandContext& ctx, const QString& text);
// "Show All".
void mnuShowAll_Click(CommandContext& ctx);

// Brings hidden cells back, every time it is called: after a load from the
// middle of the wall, cells outside what it filled may still be hidden.
void ResetCells(CommandContext& ctx);
// Every hidden image shows again and every text cell is white.
void ShowHiddenCells(CellStore& cells);
