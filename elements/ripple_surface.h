// The ripple surface: a 240 x 240 grid surface whose height rises and falls in concentric sine
// ripples, the pure computation of a frame's heights and normals, and its immediate-mode emitter.
#pragma once

#include <cstdint>

// Grid layout: columns X and rows Y both run -480, -476, ..., 476.
inline constexpr int rippleGridSize = 240;   // vertices per row and per column
inline constexpr int rippleGridStep = 4;     // world units between neighbouring vertices
inline constexpr int rippleGridFirst = -480; // first X and first Y
inline constexpr int rippleStripCount = rippleGridSize - 1;

// Every point whose height the surface needs: the drawn grid and the extra column X = 480 (rows
// -480 to 472 only), which is not drawn: the last pair of every strip takes its normal towards
// it, as every other pair does towards the next column.
inline constexpr int rippleEdgePoint = rippleGridSize * rippleGridSize; // first X = 480 point
inline constexpr int ripplePointCount = rippleEdgePoint + rippleStripCount;

// What stays fixed while the ripple centre stays put: each point's distance d from the centre,
// scaled to wavelengths as d * 0.001 * 5 in that order. A point's height depends on nothing else
// of the point, so points at the same distance (a centred grid holds only 5251 different ones)
// share one height: each different distance is kept once, and every point refers to its own.
struct RippleGrid {
    double centreX;
    double centreY;
    int distanceCount;                            // different distances, the first entries below
    double wavelengths[ripplePointCount];         // per different distance
    std::uint16_t distanceOf[ripplePointCount];   // per point (row * 240 + column, then the
                                                  // X = 480 rows): its entry in `wavelengths`
};
static_assert(ripplePointCount <= 65536, "every distance entry must fit distanceOf");

// One frame of the surface. heights[row][column] is the height at X = -480 + 4 * column,
// Y = -480 + 4 * row. normals[strip][pair] is the unit normal shared by the two vertices of that
// pair: the one on row `strip` and the one on the row after it.
struct RippleFrame {
    double heights[rippleGridSize][rippleGridSize];
    double normals[rippleStripCount][rippleGridSize][3];
    double distanceHeights[ripplePointCount]; // working storage: the height of each distance
};

// Grid coordinate (X or Y) of a column or row index.
constexpr double rippleCoordinate(int index) { return double(rippleGridFirst + rippleGridStep * index); }

// The height formula, in its exact order of operations: distance d from (centreX, centreY),
// d * 0.001 * 5, plus phase (= sceneTime * 10), times 6.283, sine, times 25, plus z.
double rippleHeight(double gridX, double gridY, double centreX, double centreY, double z, double phase);

// Fills `grid` for ripples spreading from (centreX, centreY).
void computeRippleGrid(double centreX, double centreY, RippleGrid& grid);

// Computes a frame's heights (once per different distance) and normals from a precomputed grid.
// Every value equals, bit for bit, that of computeRippleFrameByStrips with the grid's centre.
void computeRippleFrame(const RippleGrid& grid, double z, double sceneTime, RippleFrame& frame);

// The same frame computed strip by strip straight from the height formula, every interior row's
// heights twice: the plain form that the fast one must match.
void computeRippleFrameByStrips(double centreX, double centreY, double z, double sceneTime,
                                RippleFrame& frame);

// How drawRippleSurface computes the surface and hands it to GL. All three give the same picture:
// the numbers are the same to the bit, and the arrays hold exactly the floats that GL makes of the
// immediate-mode doubles. The literal form stays selectable so that rendering tests can hold
// whole frames of the others to it, and benchmarks can set them side by side.
enum class RipplePath {
    arrays,    // heights once per distance, client vertex arrays of floats: what the show runs
    immediate, // heights once per distance, glNormal3d and two glVertex3d per pair
    literal,   // strip by strip from the formula, glNormal3d and two glVertex3d per pair
};
void setRipplePath(RipplePath path);

// Draws the surface at scene time `sceneTime` (ms) as 239 quad strips, with ripples spreading
// from (x, y) about the rest height z. Leaves the current normal at that of the
// last pair; issues no matrix, colour, texture or enable calls (the arrays path switches the
// vertex and normal arrays on for its draws and off again).
void drawRippleSurface(double sceneTime, double x, double y, double z);
