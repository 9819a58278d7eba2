// seek.h -- reaching a show time exactly: every earlier frame's work, with its pixels left out.
#pragma once

#include "demo.h"

// One frame of the show as drawFrame draws it (the current scene's draw, the overlay pass and its
// random value) with the viewport and scissor shrunk to the window's bottom-left pixel and, where
// GL has them, a clip plane that lets no primitive through: every random draw, simulation step,
// latched time and GL state change happens as in a drawn frame, but hardly any pixel is filled.
// Nothing draws from the frame buffer, and every drawn frame clears all of it, so the frames drawn
// afterwards come out exactly as after a full play. No buffer swap; viewport, scissor, clip plane
// and matrix mode are left as they were.
void drawSkippedFrame(Demo& demo);
