// Empty stand-ins for every GL, GLU and GLUT call the show's frames make, linked into
// frame_own_cpu ahead of the real libraries: what is left of a frame's time is the program's own
// work, with nothing handed to the driver.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

void GLAPIENTRY glBegin(GLenum) {}
void GLAPIENTRY glEnd() {}
void GLAPIENTRY glBindTexture(GLenum, GLuint) {}
void GLAPIENTRY glCallList(GLuint) {}
void GLAPIENTRY glEndList() {}
GLuint GLAPIENTRY glGenLists(GLsizei) { return 1; }
void GLAPIENTRY glNewList(GLuint, GLenum) {}
void GLAPIENTRY glBlendFunc(GLenum, GLenum) {}
void GLAPIENTRY glClear(GLbitfield) {}
void GLAPIENTRY glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void GLAPIENTRY glColor3f(GLfloat, GLfloat, GLfloat) {}
void GLAPIENTRY glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void GLAPIENTRY glColor4fv(const GLfloat*) {}
void GLAPIENTRY glDepthMask(GLboolean) {}
void GLAPIENTRY glDisable(GLenum) {}
void GLAPIENTRY glEnable(GLenum) {}
void GLAPIENTRY glDisableClientState(GLenum) {}
void GLAPIENTRY glEnableClientState(GLenum) {}
void GLAPIENTRY glDrawArrays(GLenum, GLint, GLsizei) {}
void GLAPIENTRY glVertexPointer(GLint, GLenum, GLsizei, const GLvoid*) {}
void GLAPIENTRY glNormalPointer(GLenum, GLsizei, const GLvoid*) {}
void GLAPIENTRY glLightfv(GLenum, GLenum, const GLfloat*) {}
void GLAPIENTRY glLineStipple(GLint, GLushort) {}
void GLAPIENTRY glLineWidth(GLfloat) {}
void GLAPIENTRY glLoadIdentity() {}
void GLAPIENTRY glMaterialf(GLenum, GLenum, GLfloat) {}
void GLAPIENTRY glMaterialfv(GLenum, GLenum, const GLfloat*) {}
void GLAPIENTRY glMatrixMode(GLenum) {}
void GLAPIENTRY glNormal3d(GLdouble, GLdouble, GLdouble) {}
void GLAPIENTRY glPopMatrix() {}
void GLAPIENTRY glPushMatrix() {}
void GLAPIENTRY glRotated(GLdouble, GLdouble, GLdouble, GLdouble) {}
void GLAPIENTRY glTexCoord2f(GLfloat, GLfloat) {}
void GLAPIENTRY glTexGeni(GLenum, GLenum, GLint) {}
void GLAPIENTRY glTexParameteri(GLenum, GLenum, GLint) {}
void GLAPIENTRY glTranslated(GLdouble, GLdouble, GLdouble) {}
void GLAPIENTRY glTranslatef(GLfloat, GLfloat, GLfloat) {}
void GLAPIENTRY glVertex2f(GLfloat, GLfloat) {}
void GLAPIENTRY glVertex3d(GLdouble, GLdouble, GLdouble) {}
void GLAPIENTRY glVertex3f(GLfloat, GLfloat, GLfloat) {}

void GLAPIENTRY gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
                          GLdouble)
{
}
void GLAPIENTRY gluSphere(GLUquadric*, GLdouble, GLint, GLint) {}

void FGAPIENTRY glutSolidCone(double, double, GLint, GLint) {}
void FGAPIENTRY glutSolidCube(double) {}
void FGAPIENTRY glutSolidSphere(double, GLint, GLint) {}
void FGAPIENTRY glutSwapBuffers() {}
