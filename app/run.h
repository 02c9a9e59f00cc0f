// A run of the show: its clock started at a chosen show time, the values its scenes hand on to
// later scenes, and what it holds. The show, the offscreen renderer and replay share these.
#pragma once

#include <cstdint>

// Starts the show clock so that the timer reading `timerMs` is show time `showTimeMs`.
void startShowClock(std::uint32_t timerMs, std::uint32_t showTimeMs);

// The timer reading the show clock runs on: the platform timer's, or while held the reading it
// was held at. A pause holds it, so that every frame until the resume shows the same moment.
std::uint32_t clockReadingMs();
void holdClockAt(std::uint32_t timerMs);
void releaseClock();

// The show time the first frame is drawn at (0 unless the show starts part-way through): the
// clock starts at that frame's first timer reading, moved back by this much.
void setFirstFrameTime(std::uint32_t showTimeMs);
std::uint32_t firstFrameTime();

// Puts back what a fresh run starts from: the camera values scenes hand on at zero, the light
// ring and glow ring at full radius, the clock not started and no scene yet.
void resetCarriedValues();

// Releases what the run holds in the current GL context: the quadric.
void releaseRun();
