// The three moons of scenes 3 and 4: a swinging moon with a small moon circling it, and a moon
// circling the current origin.
#pragma once

#include "app/timeline.h"

// The swinging moon stands at (swingX, 0, swingZ); showTimeMs turns the two circling moons' frames.
void drawMoons(double swingX, double swingZ, ShowMs showTimeMs);
