// The cube waves: the 287 wave points of a scene time and the 1148 GLUT cubes drawn on them.
#include "elements/cube_waves.h"

#include "elements/solids.h"

#include <GL/gl.h>
#include <cmath>

namespace {

constexpr int columnSpacing = 50;
constexpr int rowSpacing = 30;
constexpr double cubeEdge = 25.0;
constexpr double cullMargin = 1.0;

// 3.1415 / 1750 and 3.1415 / 1500: the waves repeat about every 3.5 s and 3.0 s.
constexpr double wave1Rate = 0.0017951428571428573;
constexpr double wave2Rate = 0.0020943333333333335;

} // namespace

std::array<CubeWavePoint, cubeWavePointCount> cubeWavePoints(int sceneTimeMs)
{
    const double t = double(sceneTimeMs);
    const double a = wave1Rate * t;
    const double b = t * wave2Rate;
    std::array<CubeWavePoint, cubeWavePointCount> points{};
    int index = 0;
    for (int column = 0; column < cubeWaveColumns; ++column) {
        const double c = double(column * columnSpacing);
        for (int row = 0; row < cubeWaveRows; ++row) {
            // The column and row counters go into the sines as radians, unscaled: neighbouring
            // points are far out of step, which is the look of the field.
            const double r = double(row * rowSpacing);
            points[index++] = {c - 1099, 2 * r - 180, std::sin((a - c) - r) * 50 + 250,
                               std::sin((b - c) - r) * 100 - 250};
        }
    }
    return points;
}

void drawCubeWaves(int sceneTimeMs, const ViewVolume& view)
{
    for (const CubeWavePoint& point : cubeWavePoints(sceneTimeMs)) {
        drawCubePair(point.x, point.y1, point.z, view);
        drawCubePair(point.x, point.y2, point.z, view);
    }
}

double cubeCullRadius()
{
    return cubeEdge * std::sqrt(3.0) * 0.5 + cullMargin;
}

void drawCubePair(double x, double y, double z, const ViewVolume& view)
{
    // The literal path sends every cube, so that the skipping can be held to it and measured.
    const bool cull = solidPath() == SolidPath::recorded;
    const double radius = cubeCullRadius();
    if (!cull || !sphereOutside(view, x, y, z, radius)) {
        glPushMatrix();
            glTranslated(x, y, z);
            glRotated(45, 0, 0, 1);
            drawSolidCube(cubeEdge);
        glPopMatrix();
    }
    // The quarter turn comes first, so it turns the cube's placement as well as the cube.
    if (!cull || !sphereOutside(view, x, -z, y, radius)) {
        glPushMatrix();
            glRotated(90, 1, 0, 0);
            glTranslated(x, y, z);
            glRotated(45, 0, 0, 1);
            drawSolidCube(cubeEdge);
        glPopMatrix();
    }
}
