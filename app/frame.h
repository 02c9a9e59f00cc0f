// The per-frame path below the window: the show clock, the scene schedule and the dispatch to the
// current scene, and the frame at a show time that the show, the replay and the capture all draw.
#pragma once

#include "app/timeline.h"

#include <cstdint>

// Reads the clock (clockReadingMs), starting the show clock at the first call, applies any
// requested jump and updates the schedule. Returns the elapsed show time in ms (unsigned,
// wrapping).
std::uint32_t advanceShowClock();

void updateSchedule(int showTimeMs);
void renderFrame(int scene, unsigned showTimeMs, double sceneTime);

// The frame at `showTimeMs`: the schedule at that time, then renderFrame with what it set. Does
// not touch the clock and does not swap. At or past the show's end renderFrame ends the process.
void drawFrameAt(std::uint32_t showTimeMs);
