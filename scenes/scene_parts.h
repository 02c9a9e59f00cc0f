// The parts that several scenes (and the benchmarks) draw alike, each in the one call order every
// user of it has: the textured sky cube, the sphere at a depth, and scene 5's ripple surface.
#pragma once

#include <cstdint>

// The sky cube of edge `size` under the given texture (a name as the loader returned it),
// untextured again afterwards. Seen from inside, its faces are back faces: callers switch
// culling off first.
void drawTexturedSkyCube(std::int32_t texture, float size);

// The 80-unit quadric sphere moved `depth` along z (as a float), under showState.sphereTexture,
// which is never loaded, so it draws untextured; nothing when there is no quadric. Leaves the
// matrix stack as it found it.
void drawSphereAtDepth(double depth);

// Scene 5's rest height of the ripple surface: 930 units below where the scene began.
double rippleSurfaceDepth();

// The ripple surface at scene time `sceneTime` (ms) about the origin at rippleSurfaceDepth(),
// purely additive and sphere-mapped under the wave picture, with culling off while it draws;
// then blending off, culling on and untextured again.
void drawFinaleRippleSurface(double sceneTime);
