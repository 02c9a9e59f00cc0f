// The state blocks around glowing sparkles, shared by every scene: the glow pass, its restore, and
// the light-ring tail built from them.
#pragma once

#include "app/timeline.h"

// Lighting off, brightening blend, no depth writes, no culling, the glow texture bound.
void beginGlowPass();

// Untextured again (texture name 0, 2D texturing still on), culling and depth writes back on,
// blending off. Lighting and the blend function are left as they are.
void endGlowPass();

// The glow pass, the coloured light ring about (0, 0, centreZ), and the restore.
void drawLightRingTail(int sceneTimeMs, int centreZ, ShowMs showTimeMs);
