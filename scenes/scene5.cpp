// Scene 5 (92 s to the end): the sphere sinks towards and through a glowing, sphere-mapped ripple
// surface; the light ring goes with it and closes in from 105 s; light 0 turns white from 112 s.
#include "scenes/scenes.h"

#include "app/show_state.h"
#include "scenes/cameras.h"
#include "scenes/glow_pass.h"
#include "scenes/materials.h"
#include "scenes/scene_parts.h"

#include <GL/gl.h>

namespace {
constexpr unsigned whiteLightFromMs = scene5WhiteLightAfterMs();
static_assert(withinScene(whiteLightMs, 5), "the light turns white within scene 5's span");
}

void drawScene5(unsigned showTimeMs, double sceneTime)
{
    lookThrough(placeScene5Camera(sceneTime));
    const double sphereDepth = scene5SphereDepth();

    glDisable(GL_CULL_FACE);
    drawTexturedSkyCube(showState.skyTextureA, 2000.0f);

    applyMaterial(greySphereMaterial);
    drawSphereAtDepth(sphereDepth);
    glEnable(GL_CULL_FACE);

    // Reaches only the ripple surface: the ring below sets light 0 again.
    if (showTimeMs > whiteLightFromMs)
        applyLight0Colours(finaleLight);

    drawFinaleRippleSurface(sceneTime);

    // The real show time lets the ring close in from 105 s.
    drawLightRingTail(int(sceneTime), int(sphereDepth), ShowMs(showTimeMs));
}
