// Scene 3 (42-67 s): a larger sky cube, a sphere with three moons and the light ring; the camera
// backs away along x from where scene 2 left it.
#include "scenes/scenes.h"

#include "app/show_state.h"
#include "elements/solids.h"
#include "scenes/cameras.h"
#include "scenes/glow_pass.h"
#include "scenes/materials.h"
#include "scenes/moons.h"
#include "scenes/scene_parts.h"

#include <GL/gl.h>

void drawScene3(unsigned showTimeMs, double sceneTime)
{
    lookThrough(placeScene3Camera(sceneTime));

    glDisable(GL_CULL_FACE);
    drawTexturedSkyCube(showState.skyTextureB, 4000.0f);

    applyMaterial(moonMaterial);
    glPushMatrix();
        if (showState.quadric)
            drawQuadricSphere(showState.quadric, 80.0, 50, 50);
        // The swinging moon's ellipse: x = 250 cos, z = 200 sin of show time in seconds.
        drawMoons(showState.swingX * 0.25f, showState.swingZ * 0.2f, ShowMs(showTimeMs));
    glPopMatrix();
    glEnable(GL_CULL_FACE);

    drawLightRingTail(int(sceneTime), 0, 0);
}
