// The GLU calls the show makes, on the GL compatibility layer: the perspective, viewing and 2D
// projections, and the quadric sphere with its normals and texture coordinates.
#include <GL/glu.h>

#include <cmath>
#include <new>

struct GLUquadric {
    GLenum normals = GLU_SMOOTH;
    bool texture = false;
    GLenum orientation = GLU_OUTSIDE;
};

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double f = 1.0 / std::tan(fovy * M_PI / 360.0);
    const double depth = zNear - zFar;
    const GLdouble m[16] = {f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, (zFar + zNear) / depth, -1,
                            0, 0, 2 * zFar * zNear / depth, 0};
    glMultMatrixd(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    auto normalise = [](double v[3]) {
        const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (l != 0.0)
            for (int i = 0; i < 3; ++i)
                v[i] /= l;
    };
    auto cross = [](const double a[3], const double b[3], double out[3]) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    double f[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    double up[3] = {upX, upY, upZ};
    normalise(f);
    normalise(up);
    double s[3], u[3];
    cross(f, up, s);
    normalise(s);
    cross(s, f, u);
    const GLdouble m[16] = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0, 0, 0, 0, 1};
    glMultMatrixd(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top)
{
    glOrtho(left, right, bottom, top, -1.0, 1.0);
}

GLUquadric* gluNewQuadric()
{
    return new (std::nothrow) GLUquadric;
}

void gluDeleteQuadric(GLUquadric* quadric)
{
    delete quadric;
}

void gluQuadricNormals(GLUquadric* quadric, GLenum normals)
{
    quadric->normals = normals;
}

void gluQuadricTexture(GLUquadric* quadric, GLboolean textureCoords)
{
    quadric->texture = textureCoords != GL_FALSE;
}

void gluQuadricOrientation(GLUquadric* quadric, GLenum orientation)
{
    quadric->orientation = orientation;
}

// The sphere about the z axis: `slices` around it, `stacks` from z = -radius to z = radius. The
// texture's t runs from 0 at z = -radius to 1 at z = radius, its s from 0 at the +y axis through
// 0.25 at +x, 0.5 at -y and 0.75 at -x back to 1 at +y. Drawn as one quad strip per stack, from
// the top down, each turning so that its faces point away from the centre (towards it for
// GLU_INSIDE).
void gluSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks)
{
    if (slices < 2 || stacks < 1 || radius < 0.0)
        return;
    const bool inside = quadric->orientation == GLU_INSIDE;
    const double sign = inside ? -1.0 : 1.0;
    auto point = [&](int stack, int slice) {
        // stack 0 is the top (t = 1), stack `stacks` the bottom (t = 0)
        const double t = 1.0 - double(stack) / stacks;
        const double s = double(slice) / slices;
        const double rho = M_PI * (1.0 - t);            // angle from +z
        const double theta = 2.0 * M_PI * (slice == slices ? 0.0 : s);
        const double x = std::sin(theta) * std::sin(rho);
        const double y = std::cos(theta) * std::sin(rho);
        const double z = std::cos(rho);
        if (quadric->normals != GLU_NONE)
            glNormal3d(x * sign, y * sign, z * sign);
        if (quadric->texture)
            glTexCoord2d(s, t);
        glVertex3d(x * radius, y * radius, z * radius);
    };
    for (int stack = 0; stack < stacks; ++stack) {
        glBegin(GL_QUAD_STRIP);
        for (int slice = 0; slice <= slices; ++slice) {
            // Outward faces: going round +z from +y towards +x is clockwise seen from outside, so
            // the lower vertex leads.
            if (!inside) {
                point(stack + 1, slice);
                point(stack, slice);
            } else {
                point(stack, slice);
                point(stack + 1, slice);
            }
        }
        glEnd();
    }
}
