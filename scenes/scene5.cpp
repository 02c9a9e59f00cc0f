// Scene 5 (92-114.8 s): the sphere sinks towards and through a glowing, sphere-mapped ripple
// surface; the light ring goes with it and closes in from 105 s; light 0 turns white from 112 s.
#include "scenes/scenes.h"

#include "app/show_state.h"
#include "elements/ripple_surface.h"
#include "elements/sky_cube.h"
#include "scenes/cameras.h"
#include "scenes/glow_pass.h"
#include "scenes/materials.h"
#include "textures/texture_state.h"

#include <GL/glu.h>

namespace {
constexpr unsigned whiteLightFromMs = 112000; // light 0 turns white after this show time
constexpr double rippleDepthBelowStart = 930.0;
}

void drawScene5(unsigned showTimeMs, double sceneTime)
{
    lookThrough(placeScene5Camera(sceneTime));
    const double sphereDepth = scene5SphereDepth();

    glDisable(GL_CULL_FACE);
    useTexture(GLuint(showState.skyTextureA));
    drawSkyCube(2000.0f, false);
    useTexture(0);

    applyMaterial(greySphereMaterial);
    glPushMatrix();
        glTranslatef(0.0f, 0.0f, float(sphereDepth));
        useTexture(GLuint(showState.sphereTexture));
        if (showState.quadric)
            gluSphere(showState.quadric, 80.0, 50, 50);
        useTexture(0);
    glPopMatrix();
    glEnable(GL_CULL_FACE);

    // Reaches only the ripple surface: the ring below sets light 0 again.
    if (showTimeMs > whiteLightFromMs)
        applyLight0Colours(finaleLight);

    // Purely additive and sphere-mapped: the normals make the ripples shine.
    useTexture(GLuint(showState.waveTexture));
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    enableSphereMap(true);
    drawRippleSurface(0.0, 0.0, double(showState.tunnelDepth) - rippleDepthBelowStart);
    enableSphereMap(false);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    useTexture(0);

    // The real show time lets the ring close in from 105 s.
    drawLightRingTail(int(sceneTime), int(sphereDepth), int(showTimeMs));
}
