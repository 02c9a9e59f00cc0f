// The orbiting cone: a solid cone wandering on a looping rosette around the origin.
#pragma once

struct ConePosition {
    double x, y, z;
};

// The centre of the cone's base for an angle source (scene 2 passes the show time in seconds):
// angle = source * 0.2 rad, a = 1 + 5 cos(angle / 2), at (100 a cos(angle) + 1, 50 a sin(angle),
// 150 sin(angle / 2)). The track repeats every 20 pi of angle source.
ConePosition orbitingConePosition(double angleSource);

// Draws the cone (base radius 100, height 80, apex along +z) with its base centred at
// orbitingConePosition(angleSource). Leaves the matrix stack as it found it.
void drawOrbitingCone(double angleSource);
