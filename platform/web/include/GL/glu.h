// The GLU calls the show makes, in the browser: the projection and viewing helpers and the
// quadric sphere, drawn through the GL compatibility layer.
#pragma once

#include <GL/gl.h>

#define GLU_SMOOTH 100000
#define GLU_FLAT 100001
#define GLU_NONE 100002
#define GLU_OUTSIDE 100020
#define GLU_INSIDE 100021

struct GLUquadric;
typedef GLUquadric GLUquadricObj;

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ);
void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
GLUquadric* gluNewQuadric();
void gluDeleteQuadric(GLUquadric* quadric);
void gluQuadricNormals(GLUquadric* quadric, GLenum normals);
void gluQuadricTexture(GLUquadric* quadric, GLboolean textureCoords);
void gluQuadricOrientation(GLUquadric* quadric, GLenum orientation);
void gluSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks);
