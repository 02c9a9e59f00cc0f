// Scene 1 (0 to 25 s): seven white sparkles circling the origin over black, seen from a fixed
// point, fading to black from 20 s on.
#include "scenes/scenes.h"

#include "elements/light_ring.h"
#include "scenes/glow_pass.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

constexpr double fadeStartMs = scene1FadeStartMs();
constexpr double fadePerMs = scene1FadePerMs();
static_assert(withinScene(fadeToBlackMs, 1), "scene 1 fades to black within its own span");

// A black quad over the whole view, `opacity` opaque. It lies 1000 units in front of its own
// camera and reaches 1000 units out on every side, past the ~577 the 60-degree view shows there.
void drawFade(float opacity)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, -1000.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glPushMatrix();
        glDisable(GL_LIGHTING);
        glDepthMask(GL_FALSE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        // Tracking is on when the colour is set, so the fade colour also becomes the front and
        // back ambient and diffuse material, and stays so until a later scene sets its own.
        glEnable(GL_COLOR_MATERIAL);
        // The quad winds counter-clockwise seen from +z: a back face from this camera.
        glDisable(GL_CULL_FACE);
        glBegin(GL_POLYGON);
            glColor4f(0.0f, 0.0f, 0.0f, opacity);
            glVertex2f(-1000.0f, -1000.0f);
            glVertex2f(1000.0f, -1000.0f);
            glVertex2f(1000.0f, 1000.0f);
            glVertex2f(-1000.0f, 1000.0f);
        glEnd();
        glEnable(GL_CULL_FACE);
        glDisable(GL_COLOR_MATERIAL);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
        glEnable(GL_LIGHTING);
    glPopMatrix();
}

} // namespace

void drawScene1(unsigned showTimeMs, double sceneTime)
{
    gluLookAt(1000.0, 0.0, 500.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);

    beginGlowPass();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawGlowRing(int(sceneTime), 0, 0, 0, ShowMs(showTimeMs));
    endGlowPass();

    // The state scene 2 inherits when no fade follows; nothing is drawn under it here.
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);

    if (sceneTime < fadeStartMs)
        return;
    drawFade(float((sceneTime - fadeStartMs) * fadePerMs));
}
