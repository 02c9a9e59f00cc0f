// A run of the show: its clock started at a chosen show time, the values its scenes hand on to
// later scenes, and what it holds. The show, the offscreen renderer and replay share these.
#pragma once

#include <cstdint>

// Starts the show clock so that the timer reading `timerMs` is show time `showTimeMs`.
void startShowClock(std::uint32_t timerMs, std::uint32_t showTimeMs);

// The show time the first frame is drawn at (0 unless the show starts part-way through): the
// clock starts at that frame's first timer reading, moved back by this much.
void setFirstFrameTime(std::uint32_t showTimeMs);
std::uint32_t firstFrameTime();

// Puts back what a fresh run starts from: the camera values scenes hand on at zero, the light
// ring and glow ring at full radius, the clock not started and no scene yet.
void resetCarriedValues();

// Schedules and draws the frame at `showTimeMs` without touching the clock or swapping: a frame
// of a run, drawn only for the state it hands on. `showTimeMs` must be before the show's end.
void drawRunFrame(std::uint32_t showTimeMs);

// Releases what the run holds in the current GL context: the quadric.
void releaseRun();
