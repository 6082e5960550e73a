#pragma once

struct CommandContext;

constexpr double SlideshowStepMs = 2500;

// "Slideshow On" walks the current cell down the current column, one cell
// every step, until the last row or a stop request; each cell is scrolled
// into view and shown in the caption and the preview. "Slideshow Off" asks
// a running walk to stop after its pause. Closing the window ends the walk
// at once and then the program.
void mnuSlideshow_Click(CommandContext& ctx, double stepMs = SlideshowStepMs);
