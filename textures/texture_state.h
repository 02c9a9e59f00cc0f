// The two texture-state operations every scene draws through.
#pragma once

#include <GL/gl.h>

// Binds `name` (0 draws untextured) with linear filtering and keeps 2D texturing on.
void useTexture(GLuint name);

// Switches sphere-map texture-coordinate generation for s and t on or off.
void enableSphereMap(bool on);
