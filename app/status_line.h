// The status line: one line of text over the bottom left of the picture, drawn after a frame while
// the show is paused or just after a key, never otherwise. It says the show time and the state.
#pragma once

#include <cstdint>
#include <string>

// "paused 01:43.250 / 01:54.800", "playing 00:25.000 / 01:54.800  loop on". A show time below 0
// (a jump back near the start, while the clock catches up) reads "-00:07.000". `mentionLoopOff`
// adds "  loop off" when looping is off (just after it was switched off). Then the sound: "  muted",
// or "  volume 70 %" when the volume is not 100 % or `mentionVolume` (just after a volume key).
std::string formatStatusLine(bool paused, std::int32_t showTimeMs, bool loop, bool mentionLoopOff,
                             int volumePercent = 100, bool muted = false, bool mentionVolume = false);

// "mm:ss.mmm" for a show time in ms, with a '-' before a negative one.
std::string formatClock(std::int32_t showTimeMs);

// The line lies wholly inside the window's bottom statusLineRows rows of pixels.
inline constexpr int statusLineRows = 32;

// Draws `text` over the current frame, in window pixels, with GLUT's bitmap font on a dark box,
// and leaves every piece of GL state as it found it.
void drawStatusLine(const std::string& text);
