// Scene 2 (25-42 s): inside a sky cube, a grey sphere, a cone looping around it, the light ring
// and the cube waves, while the camera glides in along x.
#include "scenes/scenes.h"

#include "app/show_state.h"
#include "elements/cube_waves.h"
#include "elements/orbiting_cone.h"
#include "elements/solids.h"
#include "scenes/cameras.h"
#include "scenes/glow_pass.h"
#include "scenes/materials.h"
#include "scenes/scene_parts.h"

#include <GL/gl.h>

void drawScene2(unsigned showTimeMs, double sceneTime)
{
    const CameraPose pose = placeScene2Camera(sceneTime);
    lookThrough(pose);

    // The sky cube's faces face outward; seen from inside they are back faces.
    glDisable(GL_CULL_FACE);
    drawTexturedSkyCube(showState.skyTextureA, 2000.0f);

    applyMaterial(greySphereMaterial);
    glPushMatrix();
        drawSolidSphere(80.0, 80, 80);
    glPopMatrix();
    glEnable(GL_CULL_FACE);

    // White light 0 for the cone only: the ring sets light 0 again below.
    applyLight0Colours(coneLight);
    drawOrbitingCone(double(showTimeMs) * 0.001);

    const int sceneTimeMs = int(sceneTime);
    drawLightRingTail(sceneTimeMs, 0, 0);
    // The modelview matrix is the camera's alone again here.
    drawCubeWaves(sceneTimeMs, viewVolumeFrom(pose));
}
