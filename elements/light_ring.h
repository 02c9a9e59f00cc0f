// The ring of seven glowing sparkles on spherical orbits around a common centre: the coloured
// light ring, whose sparkles are also the scene's point lights, and the uncoloured glow ring.
#pragma once

#include "app/timeline.h"

#include <array>
#include <cstdint>

// One sparkle of a ring, filled afresh at every call.
struct OrbitItem {
    std::int32_t size; // sparkle size handed to drawSparkle
    double radius;     // orbit radius, world units
    double azimuth;    // angle in the x-y plane, radians
    double polar;      // angle from the +z axis, radians
    double x, y, z;    // centre, world units
};

inline constexpr int orbitItemCount = 7;
using OrbitItems = std::array<OrbitItem, orbitItemCount>;

// Both rings start at this radius; from the "ring closing" moment on the timeline they shrink
// steadily, to nothing at the "ring closed" moment (one unit per 16 ms).
inline constexpr double fullRingRadius = 250.0;

// The shrink rule: the radius a ring has after a call at `showTimeMs`, given the radius before
// it. A radius already 0 or below (or NaN) is spent and comes back unchanged.
double shrinkRingRadius(double radius, ShowMs showTimeMs);

// The seven items at whole-millisecond scene time `sceneTimeMs`, around the given centre.
OrbitItems orbitItems(int sceneTimeMs, int centreX, int centreY, int centreZ, double radius);

// Both draw the seven sparkles at their orbit positions (inside the glow pass) and end by
// switching lighting and lights 0 to 7 on. The light ring also colours each sparkle and places
// lights 0 to 6 at the sparkles in their colours; the glow ring takes the caller's colour and
// sets no light parameter. `showTimeMs` only drives the shrink rule: 0 keeps a ring full.
void drawLightRing(int sceneTimeMs, int centreX, int centreY, int centreZ, ShowMs showTimeMs);
void drawGlowRing(int sceneTimeMs, int centreX, int centreY, int centreZ, ShowMs showTimeMs);

// Which ring: each has its own radius, changed only by that ring's own shrink rule.
enum class Ring { light, glow };
inline constexpr int ringCount = 2;

// A ring's radius now. advanceRingRadius applies the ring's shrink rule for a show time without
// drawing, so that a capture can start mid-show with the radius an uninterrupted run would have;
// resetRingRadii puts every ring back to full.
double ringRadius(Ring ring);
void advanceRingRadius(Ring ring, ShowMs showTimeMs);
void resetRingRadii();
