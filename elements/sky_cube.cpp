// The sky cube: five textured faces of an axis-aligned box, its floor left open.
#include "elements/sky_cube.h"

#include <GL/gl.h>

namespace {

struct SkyFace {
    float red, green, blue;
    // Corner signs (x, y, z) in issue order; each sign picks h or -h.
    signed char corners[4][3];
};

// Every face winds counter-clockwise seen from outside, so from the camera inside the box all
// five are back faces: callers switch culling off. The missing sixth face (z = -h) is the open
// floor that scene 4's camera sinks through.
constexpr SkyFace skyFaces[] = {
    {1, 0, 0, {{+1, -1, +1}, {+1, +1, +1}, {-1, +1, +1}, {-1, -1, +1}}}, // z = +h, red
    {0, 0, 1, {{-1, -1, +1}, {-1, +1, +1}, {-1, +1, -1}, {-1, -1, -1}}}, // x = -h, blue
    {1, 1, 0, {{+1, -1, -1}, {+1, +1, -1}, {+1, +1, +1}, {+1, -1, +1}}}, // x = +h, yellow
    {1, 0, 1, {{+1, +1, -1}, {-1, +1, -1}, {-1, +1, +1}, {+1, +1, +1}}}, // y = +h, magenta
    {0, 1, 1, {{-1, -1, +1}, {-1, -1, -1}, {+1, -1, -1}, {+1, -1, +1}}}, // y = -h, cyan
};

// The whole picture on every face, (0, 0) at the first corner.
constexpr float cornerTexCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

} // namespace

void drawSkyCube(float size, bool coloured)
{
    const float half = size * 0.5f;
    const float minusHalf = size * -0.5f;
    glBegin(GL_QUADS);
        for (const SkyFace& face : skyFaces) {
            if (coloured)
                glColor3f(face.red, face.green, face.blue);
            for (int corner = 0; corner < 4; ++corner) {
                const signed char* sign = face.corners[corner];
                glTexCoord2f(cornerTexCoords[corner][0], cornerTexCoords[corner][1]);
                glVertex3f(sign[0] > 0 ? half : minusHalf, sign[1] > 0 ? half : minusHalf,
                           sign[2] > 0 ? half : minusHalf);
            }
        }
    glEnd();
}
