// Starting the show part-way through: the state a run at a given frame rate would have carried
// into a chosen frame, rebuilt without drawing every earlier frame. The show's --at and showcap
// both start this way.
#pragma once

#include <cstdint>

// The show time of frame `frame` of a run at `framesPerSecond`: floor(frame * 1000 / fps).
std::uint32_t runFrameTime(std::uint64_t frame, int framesPerSecond);

// The first frame of a run at `framesPerSecond` drawn at or after `showTimeMs`.
std::uint64_t firstFrameFrom(std::uint32_t showTimeMs, int framesPerSecond);

// Brings the current GL context and the show's state to where a run at `framesPerSecond` (its
// frames at runFrameTime) was just before its first frame at or after `showTimeMs`: the camera
// values each earlier scene's last frame handed on, the light ring's radius, and the GL state
// the frame before left. Draws the last frame of each earlier scene and the frame before into
// the current draw buffer, nothing else; the clock is left unstarted.
void replayRunUntil(std::uint32_t showTimeMs, int framesPerSecond);

// The show's own frame rate for the run it rebuilds when it starts part-way through (--at) or
// jumps: the one showcap uses by default, so that both show the same frame at a moment.
inline constexpr int showReplayFramesPerSecond = 60;

// replayRunUntil at that rate, without rasterising anything where the GL can switch that off
// (only the state is wanted; elsewhere the frames fill the back buffer, which the next frame
// clears).
void replayShowUntil(std::uint32_t showTimeMs);

// replayShowUntil in a context that has drawn other moments (a jump, a redraw while paused): the
// GL state is put back as a fresh context has it first (resetDrawingState), so that the frame at
// `showTimeMs` comes out as a fresh run's.
void rebuildRunAt(std::uint32_t showTimeMs);
