// Scene 2 (25-42 s): inside a sky box, a grey sphere, a cone looping around it, the light ring
// and the cube waves, while the camera glides in along x.
#include "scenes/scenes.h"

#include "app/show_state.h"
#include "elements/cube_waves.h"
#include "elements/orbiting_cone.h"
#include "elements/sky_cube.h"
#include "scenes/cameras.h"
#include "scenes/glow_pass.h"
#include "scenes/materials.h"
#include "textures/texture_state.h"

#include <GL/freeglut.h>

void drawScene2(unsigned showTimeMs, double sceneTime)
{
    lookThrough(placeScene2Camera(sceneTime));

    // The sky box's faces face outward; seen from inside they are back faces.
    glDisable(GL_CULL_FACE);
    useTexture(GLuint(showState.skyTextureA));
    drawSkyCube(2000.0f, false);
    useTexture(0);

    applyMaterial(greySphereMaterial);
    glPushMatrix();
        glutSolidSphere(80.0, 80, 80);
    glPopMatrix();
    glEnable(GL_CULL_FACE);

    // White light 0 for the cone only: the ring sets light 0 again below.
    applyLight0Colours(coneLight);
    drawOrbitingCone(double(showTimeMs) * 0.001);

    const int sceneTimeMs = int(sceneTime);
    drawLightRingTail(sceneTimeMs, 0, 0);
    drawCubeWaves(sceneTimeMs);
}
