// The per-frame path: the show clock, the scene schedule and the dispatch to the current scene.
#pragma once

#include "app/timeline.h"

#include <cstdint>

// Reads the timer, starting the show clock at the first call, applies any requested jump and
// updates the schedule. Returns the elapsed show time in ms (unsigned, wrapping).
std::uint32_t advanceShowClock();

// GLUT display callback: advanceShowClock, renderFrame, swap; the viewer's controls (controls.h)
// loop at the end, draw the status line and carry out a jump when a key asked for them.
void displayFrame();
void updateSchedule(int showTimeMs);
void renderFrame(int scene, unsigned showTimeMs, double sceneTime);
