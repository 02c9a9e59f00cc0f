// The moons of scenes 3 and 4, drawn as GLUT's solid spheres under the current material.
#include "scenes/moons.h"

#include "app/show_state.h"

#include "elements/solids.h"

#include <GL/gl.h>

void drawMoons(double swingX, double swingZ, ShowMs showTimeMs)
{
    // Both rotation rates are single-precision products: 20 and 10 degrees a second.
    const float t = float(showTimeMs);
    glPushMatrix();
        glTranslated(swingX, 0.0, swingZ);
        drawSolidSphere(30.0, 50, 50);
        glPushMatrix();
            glRotated(t * 0.02f, 0.0, 1.0, 0.0);
            glTranslated(showState.circleX, showState.circleY, 0.0);
            drawSolidSphere(15.0, 50, 50);
        glPopMatrix();
    glPopMatrix();
    glPushMatrix();
        glRotated(t * 0.01f, 0.0, 1.0, 0.0);
        glTranslated(showState.circleX, showState.circleY, 0.0);
        drawSolidSphere(30.0, 50, 50);
    glPopMatrix();
}
