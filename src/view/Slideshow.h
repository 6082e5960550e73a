#pragma once

#include "shell/Utilities.h"

#include <functional>

struct CommandContext;

constexpr double SlideshowStepMs = 2500;
// How the walk waits between steps: milliseconds, and a flag that cuts the
// wait short once set. The program's is Pause.
using SlideshowPause = std::function<void(double ms, const bool& cancel)>;

// "Slideshow On" walks the current cell down the current column, one cell
// every step, until the last row or a stop request; each cell is scrolled
// into view and shown in the caption and the preview. "Slideshow Off" asks
// a running walk to stop after its pause. Closing the window ends the walk
// at once and then the program.
void mnuSlideshow_Click(CommandContext& ctx, const SlideshowPause& pause = Pause);
