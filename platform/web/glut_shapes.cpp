// GLUT's solids and bitmap text as the show uses them, on the GL compatibility layer. The
// solids are centred on the origin with the z axis as their axis: the sphere cut into `slices`
// around z and `stacks` along it, the cone's base on z = 0 and its apex at z = height, the cube
// with edges of `size` along the axes; every face turns outwards and carries its normals, and no
// texture coordinates are sent.
#include <GL/freeglut.h>

#include "platform/web/bitmap_font.h"
#include "platform/web/gl_compat.h"

#include <cmath>

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks)
{
    if (slices < 2 || stacks < 1)
        return;
    auto point = [&](int stack, int slice) {
        const double rho = M_PI * double(stack) / stacks; // from +z
        const double theta = 2.0 * M_PI * double(slice % slices) / slices;
        const double x = std::cos(theta) * std::sin(rho);
        const double y = std::sin(theta) * std::sin(rho);
        const double z = std::cos(rho);
        glNormal3d(x, y, z);
        glVertex3d(x * radius, y * radius, z * radius);
    };
    // One quad strip per stack from the top down; going round +z counter-clockwise with the upper
    // vertex first turns each face outwards.
    for (int stack = 0; stack < stacks; ++stack) {
        glBegin(GL_QUAD_STRIP);
        for (int slice = 0; slice <= slices; ++slice) {
            point(stack, slice);
            point(stack + 1, slice);
        }
        glEnd();
    }
}

void glutSolidCone(GLdouble base, GLdouble height, GLint slices, GLint stacks)
{
    if (slices < 2 || stacks < 1)
        return;
    // The side's normal leans up by the slope: (h cos, h sin, r) made unit.
    const double slant = std::sqrt(height * height + base * base);
    const double nAcross = slant > 0.0 ? height / slant : 0.0;
    const double nUp = slant > 0.0 ? base / slant : 1.0;
    auto angle = [&](int slice) { return 2.0 * M_PI * double(slice % slices) / slices; };

    // The base, facing -z: round it clockwise as seen from +z.
    glBegin(GL_POLYGON);
    glNormal3d(0.0, 0.0, -1.0);
    for (int slice = slices; slice > 0; --slice)
        glVertex3d(std::cos(angle(slice)) * base, std::sin(angle(slice)) * base, 0.0);
    glEnd();

    // The side, from the base up, one quad strip per stack.
    for (int stack = 0; stack < stacks; ++stack) {
        const double z0 = height * stack / stacks, z1 = height * (stack + 1) / stacks;
        const double r0 = base * (1.0 - double(stack) / stacks), r1 = base * (1.0 - double(stack + 1) / stacks);
        glBegin(GL_QUAD_STRIP);
        for (int slice = 0; slice <= slices; ++slice) {
            const double c = std::cos(angle(slice)), s = std::sin(angle(slice));
            glNormal3d(c * nAcross, s * nAcross, nUp);
            glVertex3d(c * r1, s * r1, z1);
            glVertex3d(c * r0, s * r0, z0);
        }
        glEnd();
    }
}

void glutSolidCube(GLdouble size)
{
    const double h = size / 2.0;
    // Each face: its normal and its corners counter-clockwise as seen from outside. The +z face
    // comes last: its normal is the current one the cube leaves, which lights what is drawn next
    // without normals of its own (the sky cube).
    static const int faces[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, -1}, {0, 0, 1}};
    glBegin(GL_QUADS);
    for (const auto& n : faces) {
        // Two axes across the face, u x v = n.
        int u[3], v[3];
        if (n[0] != 0) {
            u[0] = 0, u[1] = n[0], u[2] = 0;
            v[0] = 0, v[1] = 0, v[2] = 1;
        } else if (n[1] != 0) {
            u[0] = 0, u[1] = 0, u[2] = n[1];
            v[0] = 1, v[1] = 0, v[2] = 0;
        } else {
            u[0] = n[2], u[1] = 0, u[2] = 0;
            v[0] = 0, v[1] = 1, v[2] = 0;
        }
        glNormal3d(n[0], n[1], n[2]);
        const int corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners)
            glVertex3d(h * (n[0] + c[0] * u[0] + c[1] * v[0]), h * (n[1] + c[0] * u[1] + c[1] * v[1]),
                       h * (n[2] + c[0] * u[2] + c[1] * v[2]));
    }
    glEnd();
}

int glutBitmapLength(void*, const unsigned char* text)
{
    int width = 0;
    for (; text && *text; ++text)
        width += bitmapFontAdvance;
    return width;
}

void glutBitmapCharacter(void*, int character)
{
    double window[2];
    float color[4];
    if (!compatRasterPosition(window, color))
        return;
    drawBitmapGlyph(character, window[0], window[1], color);
    compatMoveRaster(bitmapFontAdvance);
}

void glutBitmapString(void* font, const unsigned char* text)
{
    for (; text && *text; ++text)
        glutBitmapCharacter(font, *text);
}
