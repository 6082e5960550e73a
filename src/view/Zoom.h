#pragma once

struct CommandContext;

// Every cell grows or shrinks together by fixed steps of twips; ZoomLevel
// counts the steps above the base size for the caption. Each size is
// computed from column 0's width as the grid reports it, not from the level.
constexpr int BaseCellTwips = 105;
constexpr int ZoomStepTwips = 250;
constexpr int SmallestCellTwips = 100;
constexpr int ImageZoomLevel = 50;

// One step larger; the current cell becomes the top-left one. Nothing while
// a load runs. bForce changes nothing and is kept for callers that pass it.
void ZoomInStep(CommandContext& ctx, bool bForce = false);
// One step smaller, not below the smallest size. From level 3 up the current
// cell stays at the top left; below that the view returns to cell (0, 0).
void ZoomOutStep(CommandContext& ctx);
// "Zoom to Image": steps to the image level, the current cell large at the
// top left.
void mnuRightZoomToImage_Click(CommandContext& ctx);
// "Reset Zoom": base size and cell (0, 0) current; also while a load runs.
void mnuRightReset_Click(CommandContext& ctx);
// The double-click on an empty cell: base size and the view at the top
// left; the current cell, the preview and a slideshow are left alone.
void ResetZoomView(CommandContext& ctx);
