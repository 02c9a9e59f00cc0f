// The shared scene parts: sky cube, sphere at a depth, scene 5's ripple surface.
#include "scenes/scene_parts.h"

#include "app/show_state.h"
#include "elements/ripple_surface.h"
#include "elements/sky_cube.h"
#include "elements/solids.h"
#include "textures/texture_state.h"

#include <GL/gl.h>

namespace {
constexpr double rippleDepthBelowStart = 930.0;
}

void drawTexturedSkyCube(std::int32_t texture, float size)
{
    useTexture(GLuint(texture));
    drawSkyCube(size, false);
    useTexture(0);
}

void drawSphereAtDepth(double depth)
{
    glPushMatrix();
        glTranslatef(0.0f, 0.0f, float(depth));
        useTexture(GLuint(showState.sphereTexture));
        if (showState.quadric)
            drawQuadricSphere(showState.quadric, 80.0, 50, 50);
        useTexture(0);
    glPopMatrix();
}

double rippleSurfaceDepth()
{
    return double(showState.tunnelDepth) - rippleDepthBelowStart;
}

void drawFinaleRippleSurface(double sceneTime)
{
    // Purely additive and sphere-mapped: the normals make the ripples shine.
    useTexture(GLuint(showState.waveTexture));
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    enableSphereMap(true);
    drawRippleSurface(sceneTime, 0.0, 0.0, rippleSurfaceDepth());
    enableSphereMap(false);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    useTexture(0);
}
