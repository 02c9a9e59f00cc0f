// The one later constant the show uses beside GL 1.x: switching rasterising off while a replay
// rebuilds state (WebGL 2 has it).
#pragma once

#include <GL/gl.h>

#define GL_RASTERIZER_DISCARD 0x8C89
