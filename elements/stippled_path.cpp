// The stippled path: its fixed points, its turn with the scene time and its dashed line strip.
#include "elements/stippled_path.h"

#include <GL/gl.h>

namespace {

constexpr float pathPoints[][3] = {
    {200, 200, 150},   {500, 0, -150},    {350, 140, -365}, {-150, -500, 400},
    {0, -200, 150},    {400, -450, -280}, {200, 200, 0},
};

constexpr float lineWidth = 10.0f;
constexpr GLint stippleFactor = 4;
constexpr GLushort stipplePattern = 0xF0F0;

} // namespace

double stippledPathAngle(double sceneTime)
{
    return sceneTime * 0.02;
}

void drawStippledPath(double sceneTime)
{
    glPushMatrix();
        glRotated(stippledPathAngle(sceneTime), 0, 1, 0);
        glEnable(GL_LINE_STIPPLE);
        glLineWidth(lineWidth);
        glLineStipple(stippleFactor, stipplePattern);
        // An open strip: the last point is not joined back to the first.
        glBegin(GL_LINE_STRIP);
            for (const auto& point : pathPoints)
                glVertex3f(point[0], point[1], point[2]);
        glEnd();
        glDisable(GL_LINE_STIPPLE);
    glPopMatrix();
}
