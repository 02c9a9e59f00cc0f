// The spiral: its 200 vertices and the line strip through them.
#include "elements/spiral.h"

#include <GL/gl.h>
#include <cmath>

namespace {

// Ten degrees with pi taken as 3.1415 (3.1415 / 18), so the last vertex falls at 1990 degrees of
// that measure, not on a whole number of turns.
constexpr double angleStep = 0.17452777777777778;
constexpr int risePerVertex = 5;

struct Turn {
    double c, s;
};

// Cosine and sine of each vertex's angle: the same for every spiral and every frame, so they are
// computed once rather than 1400 times a frame of scene 4.
const std::array<Turn, spiralVertexCount>& vertexTurns()
{
    static const std::array<Turn, spiralVertexCount> table = [] {
        std::array<Turn, spiralVertexCount> t{};
        for (int i = 0; i < spiralVertexCount; ++i) {
            const double angle = i * angleStep;
            t[i] = {std::cos(angle), std::sin(angle)};
        }
        return t;
    }();
    return table;
}

} // namespace

std::array<SpiralVertex, spiralVertexCount> spiralVertices(float radius)
{
    const std::array<Turn, spiralVertexCount>& turns = vertexTurns();
    std::array<SpiralVertex, spiralVertexCount> vertices{};
    for (int i = 0; i < spiralVertexCount; ++i)
        vertices[i] = {float(radius * turns[i].c), float(radius * turns[i].s), float(i * risePerVertex)};
    return vertices;
}

void drawSpiral(float radius, float x, float y, float z)
{
    const std::array<SpiralVertex, spiralVertexCount> vertices = spiralVertices(radius);
    glPushMatrix();
        glTranslatef(x, y, z);
        glBegin(GL_LINE_STRIP);
            for (const SpiralVertex& vertex : vertices)
                glVertex3f(vertex.x, vertex.y, vertex.z);
        glEnd();
    glPopMatrix();
}
