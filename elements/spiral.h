// The spiral: a line rising along +z while it winds counter-clockwise about its axis.
#pragma once

#include <array>

inline constexpr int spiralVertexCount = 200;

struct SpiralVertex {
    float x, y, z;
};

// The spiral's vertices relative to its start: vertex i at angle i * 3.1415 / 18 rad on a circle
// of `radius`, at height 5 i.
std::array<SpiralVertex, spiralVertexCount> spiralVertices(float radius);

// Draws one spiral as a line strip whose axis starts at (x, y, z) and runs along +z, with the
// caller's colour, line width and lighting. Leaves the matrix stack as it found it.
void drawSpiral(float radius, float x, float y, float z);
