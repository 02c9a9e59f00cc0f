// The offscreen renderer: the show's own GLUT and GL set-up in a hidden window, drawing the
// show's frame at a chosen show time into a framebuffer object of any size, and reading it back.
// One per process; used by the rendering tests, showcap and the benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Initialises GLUT (once per process; needs an X display), creates a hidden window in the show's
// display mode, binds a framebuffer object of width x height (RGBA8 colour, 24-bit depth) for
// drawing and reading, runs initDrawing (textures from dataFolder(), ./iroiro/ unless set) and
// reshapeWindow(width, height). On failure returns false with a one-line reason and leaves
// nothing open.
bool openOffscreen(int width, int height, std::string& reason);

// The picture's shape in the framebuffer, as the show's --aspect: stretch unless set. Set before
// openOffscreen; each frame then clears what lies outside the box to black (blackenBars).
struct PictureAspect;
void setOffscreenAspect(const PictureAspect& aspect);

// Draws the show's frame at `showTimeMs` (drawFrameAt, then the swap the show makes after every
// frame), without the show clock. GL state carries over from the frame drawn before, as in the
// show. Returns false, drawing nothing, when not open or when `showTimeMs` is
// at or past the end of the show (where the show ends the process).
bool renderOffscreenFrame(std::uint32_t showTimeMs);

// The framebuffer's pixels after glFinish: width * height * 3 bytes, red, green, blue, rows
// packed without padding and ordered bottom-up as GL gives them (the first row is the picture's
// bottom row). `rgb` is resized; its storage is reused from call to call.
void readOffscreenPixels(std::vector<std::uint8_t>& rgb);

// Deletes the framebuffer, the quadric and the window. Safe when closed.
void closeOffscreen();
