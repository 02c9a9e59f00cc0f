// The cube waves: a field of small solid cubes bobbing on two travelling sine waves, each wave
// drawn twice, once turned a quarter turn about the x axis.
#pragma once

#include "elements/view_volume.h"

#include <array>

inline constexpr int cubeWaveColumns = 41; // c = 0, 50, ..., 2000
inline constexpr int cubeWaveRows = 7;     // r = 0, 30, ..., 180
inline constexpr int cubeWavePointCount = cubeWaveColumns * cubeWaveRows;

// One wave point: where the cubes of both waves stand at one column and row.
struct CubeWavePoint {
    double x;  // c - 1099
    double z;  // 2r - 180
    double y1; // wave 1: 50 sin(A - c - r) + 250
    double y2; // wave 2: 100 sin(B - c - r) - 250
};

// The 287 wave points for a scene time in whole milliseconds, column by column, rows within.
std::array<CubeWavePoint, cubeWavePointCount> cubeWavePoints(int sceneTimeMs);

// Draws the field: for every point, the cube pair of wave 1, then that of wave 2; 1148 cubes.
// `view` is the volume the current matrices show (world space): on the recorded solid path a cube
// whose bounding sphere lies wholly outside it is not sent at all, matrix calls included.
// Sets no colour, material, texture or enable state; leaves the matrix stack as it found it.
void drawCubeWaves(int sceneTimeMs, const ViewVolume& view);

// Draws one cube (edge 25, turned 45 degrees about its z axis) centred at (x, y, z), and its twin
// placed by the same steps after a quarter turn about x, which puts it at (x, -z, y); each
// skipped as drawCubeWaves says.
void drawCubePair(double x, double y, double z, const ViewVolume& view);

// The radius the cull test gives a cube: half its diagonal, and a unit more for GL's own
// single-precision transforms, which place a vertex within thousandths of a unit of where
// double precision does.
double cubeCullRadius();
