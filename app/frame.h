// The per-frame path: the show clock, the scene schedule and the dispatch to the current scene.
#pragma once

#include <cstdint>

// Scene start times and the end of the show, in ms of show time.
inline constexpr int scene2StartMs = 25000;
inline constexpr int scene3StartMs = 42000;
inline constexpr int scene4StartMs = 67000;
inline constexpr int scene5StartMs = 92000;
inline constexpr int showEndMs = 114800;

// Reads the timer, starting the show clock at the first call, applies any requested jump and
// updates the schedule. Returns the elapsed show time in ms (unsigned, wrapping).
std::uint32_t advanceShowClock();

// GLUT display callback: advanceShowClock, renderFrame, swap.
void displayFrame();
void updateSchedule(int showTimeMs);
void renderFrame(int scene, unsigned showTimeMs, double sceneTime);
