// The per-frame path: the show clock, the scene schedule and the dispatch to the current scene.
#pragma once

// Scene start times and the end of the show, in ms of show time.
inline constexpr int scene2StartMs = 25000;
inline constexpr int scene3StartMs = 42000;
inline constexpr int scene4StartMs = 67000;
inline constexpr int scene5StartMs = 92000;
inline constexpr int showEndMs = 114800;

void displayFrame();
void updateSchedule(int showTimeMs);
void renderFrame(int scene, unsigned showTimeMs, double sceneTime);
