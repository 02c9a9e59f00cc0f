// The sparkle: twelve textured squares crossing at one centre, so that the glow picture shows
// from every direction without being turned towards the camera.
#pragma once

#include <array>

struct SparkleVertex {
    float s, t;    // texture coordinate
    float x, y, z; // position, world units
};

inline constexpr int sparkleVertexCount = 48; // four angles, three squares each, four corners
using SparkleVertices = std::array<SparkleVertex, sparkleVertexCount>;

// The 48 corners in the order they are drawn: for each angle, the squares turning about z, x
// and y. Squares have edge 2 * (size / 2) (integer half, truncated towards zero).
SparkleVertices sparkleVertices(int size, int x, int y, int z);

// Issues the sparkle as one quad batch. Geometry only: colour, texture, blending and matrices
// are the caller's.
void drawSparkle(int size, int x, int y, int z);
