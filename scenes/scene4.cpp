// Scene 4 (67-92 s): the camera sinks along -z beside a sphere and its light ring, past 48 fixed
// sparkles, a turning dashed path and seven spirals; scene 3's moons fall behind and vanish.
#include "scenes/scenes.h"

#include "app/show_state.h"
#include "elements/light_ring.h"
#include "elements/sparkle.h"
#include "elements/spiral.h"
#include "elements/stippled_path.h"
#include "scenes/cameras.h"
#include "scenes/glow_pass.h"
#include "scenes/moons.h"
#include "scenes/scene_parts.h"

#include <GL/gl.h>

namespace {

constexpr double moonsGoneAtTravel = 3000.0; // the moons vanish for good 12 s into the scene

struct FieldSparkle {
    int size, x, y;
    int firstZ, secondZ; // the row is drawn twice, at each depth
    GLfloat colour[4];
};

constexpr FieldSparkle fieldSparkles[] = {
    {150, -500, 350, -1300, -4910, {1, 1, 0, 1}},
    {100, 400, 200, -1600, -4690, {1, 0, 1, 0.7f}},
    {200, 250, -400, -2000, -4520, {1, 0, 0, 1}},
    {300, -250, -300, -2500, -4380, {0, 1, 1, 0.5f}},
    {200, 320, 300, -2700, -4160, {0, 1, 1, 0.5f}},
    {50, 250, -50, -3000, -3950, {0, 1, 1, 0.5f}},
    {100, -310, 30, -3200, -3720, {0, 1, 1, 0.5f}},
    {200, 390, -280, -3500, -3590, {0, 1, 1, 0.5f}},
    {150, -310, 200, -3800, -3420, {0, 1, 1, 0.5f}},
    {200, -220, -180, -3800, -3260, {0, 1, 1, 0.6f}},
    {260, 120, -100, -4000, -3120, {0, 1, 1, 0.7f}},
    {180, -50, 300, -4200, -2970, {0, 1, 1, 0.8f}},
    {300, 240, -90, -4500, -2720, {0, 1, 1, 0.9f}},
    {230, -250, 160, -4700, -2600, {0, 1, 1, 1}},
    {40, 250, -300, -4900, -2450, {1, 0, 0, 0}},
    {80, -340, 200, -2600, -2300, {1, 0.5f, 0, 0}},
    {300, -250, -200, -3600, -2400, {0, 0.8f, 1, 1}},
    {120, -100, -150, -4100, -2150, {0, 1, 0, 1}},
    {100, -290, -300, -4400, -1800, {0, 0, 1, 1}},
    {150, -400, 320, -5300, -2000, {0, 0.3f, 1, 1}},
    {50, 250, -50, -4800, -1700, {0, 1, 1, 0.5f}},
    {100, -310, 30, -5250, -1550, {0, 1, 1, 0.5f}},
    {200, 390, -280, -5400, -1200, {0, 1, 1, 0.5f}},
    {150, -310, 200, -5000, -1000, {0, 1, 1, 0.5f}},
};

struct SpiralPlace {
    float radius, x, y, z;
};

constexpr SpiralPlace spirals[] = {
    {200, 0, 0, -2500},    {100, 210, 200, -3000}, {50, -123, 320, -3200},  {160, 300, -200, -3500},
    {220, -300, -180, -3500}, {20, -300, 400, -3700}, {120, 90, 50, -3900},
};

} // namespace

// The field's sparkles glow in their own colours: unlit, so the colour tints the glow picture.
// Lighting goes back on for the lines drawn after them.
void drawSparkleField()
{
    glDisable(GL_LIGHTING);
    for (bool secondPass : {false, true}) {
        for (const FieldSparkle& s : fieldSparkles) {
            glColor4fv(s.colour);
            drawSparkle(s.size, s.x, s.y, secondPass ? s.secondZ : s.firstZ);
        }
    }
    glEnable(GL_LIGHTING);
}

void drawScene4(unsigned showTimeMs, double sceneTime)
{
    lookThrough(placeScene4Camera(sceneTime));
    const double travel = showState.cameraTravel;

    glDisable(GL_CULL_FACE);
    // The sky cube stays centred on the origin: the camera leaves it through its open floor.
    glPushMatrix();
        drawTexturedSkyCube(showState.skyTextureB, 4000.0f);
    glPopMatrix();

    // The sphere sinks with the camera and stays at its look-at point. Scene 3's material.
    drawSphereAtDepth(-travel);

    if (travel < moonsGoneAtTravel)
        drawMoons(showState.swingX * 0.2f, showState.swingZ * 0.2f - sceneTime * (1.0 / 6.0), ShowMs(showTimeMs));
    glEnable(GL_CULL_FACE);

    const int sceneTimeMs = int(sceneTime);
    beginGlowPass();
    drawLightRing(sceneTimeMs, 0, 0, int(-travel), 0);
    drawSparkleField();
    endGlowPass();

    glPushMatrix();
        glTranslatef(0.0f, 0.0f, -2000.0f);
        drawStippledPath(sceneTime);
    glPopMatrix();
    // The spirals inherit the path's line width of 10.
    for (const SpiralPlace& s : spirals)
        drawSpiral(s.radius, s.x, s.y, s.z);
}
