// What the browser program asks of the GL compatibility layer beyond GL's own calls: setting it
// up in the current WebGL 2 context, its counts of work sent to WebGL, and the raster position
// the bitmap text is drawn at.
#pragma once

#include <cstdint>
#include <vector>

// Builds the layer's shaders in the current context and puts GL 1.x's initial state in place
// for a drawing surface of width x height. False when WebGL 2 refuses the shaders.
bool initCompatLayer(int width, int height);

struct CompatCounts {
    std::uint64_t drawCalls = 0;
    std::uint64_t stateUploads = 0;  // the shaders' uniform values sent (only those that changed)
    std::uint64_t bufferUploads = 0; // vertex data and texture images sent
    std::uint64_t stateChanges = 0;  // enables, lights and materials changed
};
CompatCounts compatCounts();
void resetCompatCounts();

// The current raster position in window coordinates and its colour; false when it lies behind
// the eye (nothing is drawn there). compatMoveRaster moves it along x, as a bitmap does.
bool compatRasterPosition(double window[2], float color[4]);
void compatMoveRaster(double dx);

// Fills rectangles given in window coordinates (x0, y0, x1, y1 each) in `color`, as a bitmap's
// fragments are: without lighting, texturing or the matrices.
void compatDrawWindowRects(const std::vector<float>& rects, const float color[4]);
