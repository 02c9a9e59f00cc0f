// The stippled path: a thick dashed seven-point polyline that turns slowly about its y axis.
#pragma once

// The path's turn about +y, in degrees, at a scene time in milliseconds: 0.02 degrees per ms,
// a full turn every 18 s.
double stippledPathAngle(double sceneTime);

// Draws the path about the current origin, turned for scene time `sceneTime` (ms). Leaves the
// line width at 10 (nothing else in the show sets it, so every later line is as wide) and line
// stipple off; leaves the matrix stack as it found it.
void drawStippledPath(double sceneTime);
