// The orbiting cone: its position on the rosette track and the GLUT solid cone drawn there.
#include "elements/orbiting_cone.h"

#include "elements/solids.h"

#include <GL/gl.h>
#include <cmath>

namespace {

constexpr double angleFactor = 0.2;
constexpr double baseRadius = 100.0;
constexpr double height = 80.0;
constexpr int slices = 50;
constexpr int stacks = 50;

} // namespace

ConePosition orbitingConePosition(double angleSource)
{
    const double angle = angleSource * angleFactor;
    const double half = angle * 0.5;
    // The scale changes sign twice per 4 pi of angle, which folds the track into loops.
    const double scale = std::cos(half) * 10 * 0.5 + 1;
    return {std::cos(angle) * 100 * scale + 1, std::sin(angle) * 50 * scale, std::sin(half) * 30 * 5};
}

void drawOrbitingCone(double angleSource)
{
    const ConePosition position = orbitingConePosition(angleSource);
    glPushMatrix();
        glTranslated(position.x, position.y, position.z);
        drawSolidCone(baseRadius, height, slices, stacks);
    glPopMatrix();
}
