// Stand-ins for every GL, GLU and GLUT call the show's frames make, linked into the trace tests
// ahead of the real libraries: each call is written down with its arguments instead of drawn.
// Per-vertex calls are not written down (the lists hold those), only counted out of the way.
#include "trace/gl_recorder.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

std::vector<std::string>& recordedCalls()
{
    static std::vector<std::string> calls;
    return calls;
}

namespace {

std::string number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

void record(const char* name, std::initializer_list<double> arguments = {})
{
    std::string call = std::string(name) + "(";
    bool first = true;
    for (double a : arguments) {
        call += (first ? "" : ", ") + number(a);
        first = false;
    }
    recordedCalls().push_back(call + ")");
}

void recordVector(const char* name, double a, double b, const GLfloat* v, int n)
{
    std::string call = std::string(name) + "(" + number(a) + ", " + number(b);
    for (int i = 0; i < n; ++i)
        call += ", " + number(v[i]);
    recordedCalls().push_back(call + ")");
}

GLuint nextList = firstRecordedListName;

} // namespace

void GLAPIENTRY glBegin(GLenum mode) { record("glBegin", {double(mode)}); }
void GLAPIENTRY glEnd() { record("glEnd"); }
void GLAPIENTRY glBindTexture(GLenum target, GLuint name) { record("glBindTexture", {double(target), double(name)}); }
void GLAPIENTRY glBlendFunc(GLenum s, GLenum d) { record("glBlendFunc", {double(s), double(d)}); }
void GLAPIENTRY glCallList(GLuint list) { record("glCallList", {double(list)}); }
void GLAPIENTRY glClear(GLbitfield mask) { record("glClear", {double(mask)}); }
void GLAPIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) { record("glColor3f", {r, g, b}); }
void GLAPIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { record("glColor4f", {r, g, b, a}); }
void GLAPIENTRY glColor4fv(const GLfloat* c) { record("glColor4f", {c[0], c[1], c[2], c[3]}); }
void GLAPIENTRY glDepthMask(GLboolean on) { record("glDepthMask", {double(on)}); }
void GLAPIENTRY glDisable(GLenum cap) { record("glDisable", {double(cap)}); }
void GLAPIENTRY glEnable(GLenum cap) { record("glEnable", {double(cap)}); }
void GLAPIENTRY glDisableClientState(GLenum array) { record("glDisableClientState", {double(array)}); }
void GLAPIENTRY glEnableClientState(GLenum array) { record("glEnableClientState", {double(array)}); }
void GLAPIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count) { record("glDrawArrays", {double(mode), double(first), double(count)}); }
void GLAPIENTRY glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid*) { record("glVertexPointer", {double(size), double(type), double(stride)}); }
void GLAPIENTRY glNormalPointer(GLenum type, GLsizei stride, const GLvoid*) { record("glNormalPointer", {double(type), double(stride)}); }
void GLAPIENTRY glEndList() { record("glEndList"); }
GLuint GLAPIENTRY glGenLists(GLsizei count)
{
    record("glGenLists", {double(count)});
    const GLuint first = nextList;
    nextList += GLuint(count);
    return first;
}
void GLAPIENTRY glNewList(GLuint list, GLenum mode) { record("glNewList", {double(list), double(mode)}); }
void GLAPIENTRY glLightfv(GLenum light, GLenum name, const GLfloat* v) { recordVector("glLightfv", light, name, v, 4); }
void GLAPIENTRY glLineStipple(GLint factor, GLushort pattern) { record("glLineStipple", {double(factor), double(pattern)}); }
void GLAPIENTRY glLineWidth(GLfloat width) { record("glLineWidth", {width}); }
void GLAPIENTRY glLoadIdentity() { record("glLoadIdentity"); }
void GLAPIENTRY glMaterialf(GLenum face, GLenum name, GLfloat v) { record("glMaterialf", {double(face), double(name), v}); }
void GLAPIENTRY glMaterialfv(GLenum face, GLenum name, const GLfloat* v) { recordVector("glMaterialfv", face, name, v, 4); }
void GLAPIENTRY glMatrixMode(GLenum mode) { record("glMatrixMode", {double(mode)}); }
void GLAPIENTRY glPopMatrix() { record("glPopMatrix"); }
void GLAPIENTRY glPushMatrix() { record("glPushMatrix"); }
void GLAPIENTRY glRotated(GLdouble a, GLdouble x, GLdouble y, GLdouble z) { record("glRotated", {a, x, y, z}); }
void GLAPIENTRY glTexGeni(GLenum coord, GLenum name, GLint v) { record("glTexGeni", {double(coord), double(name), double(v)}); }
void GLAPIENTRY glTexParameteri(GLenum target, GLenum name, GLint v) { record("glTexParameteri", {double(target), double(name), double(v)}); }
void GLAPIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z) { record("glTranslated", {x, y, z}); }
void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) { record("glTranslatef", {x, y, z}); }

// Per-vertex values: not written down.
void GLAPIENTRY glNormal3d(GLdouble, GLdouble, GLdouble) {}
void GLAPIENTRY glTexCoord2f(GLfloat, GLfloat) {}
void GLAPIENTRY glVertex2f(GLfloat, GLfloat) {}
void GLAPIENTRY glVertex3d(GLdouble, GLdouble, GLdouble) {}
void GLAPIENTRY glVertex3f(GLfloat, GLfloat, GLfloat) {}

void GLAPIENTRY gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,
                          GLdouble uy, GLdouble uz)
{
    record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
}
// The quadric is always the show's one; its address is left out so that traces compare.
void GLAPIENTRY gluSphere(GLUquadric*, GLdouble radius, GLint slices, GLint stacks)
{
    recordedCalls().push_back("gluSphere(quadric, " + number(radius) + ", " + number(slices) + ", " + number(stacks) + ")");
}

void FGAPIENTRY glutSolidCone(double base, double height, GLint slices, GLint stacks)
{
    record("glutSolidCone", {base, height, double(slices), double(stacks)});
}
void FGAPIENTRY glutSolidCube(double size) { record("glutSolidCube", {size}); }
void FGAPIENTRY glutSolidSphere(double radius, GLint slices, GLint stacks)
{
    record("glutSolidSphere", {radius, double(slices), double(stacks)});
}
void FGAPIENTRY glutSwapBuffers() { record("glutSwapBuffers"); }
