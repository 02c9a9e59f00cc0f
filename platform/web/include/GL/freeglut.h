// The GLUT calls the show's shared code makes, in the browser: the solids and the bitmap text
// (platform/web/glut_shapes.cpp). The window, its callbacks and the main loop are the page's own
// (platform/web/web_main.cpp).
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#define GLUT_BITMAP_9_BY_15 (reinterpret_cast<void*>(2))

// The special keys' numbers, as the keys reach the show's controls.
#define GLUT_KEY_F11 11
#define GLUT_KEY_LEFT 100
#define GLUT_KEY_UP 101
#define GLUT_KEY_RIGHT 102
#define GLUT_KEY_DOWN 103
#define GLUT_KEY_PAGE_UP 104
#define GLUT_KEY_PAGE_DOWN 105
#define GLUT_KEY_HOME 106
#define GLUT_KEY_END 107

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks);
void glutSolidCube(GLdouble size);
void glutSolidCone(GLdouble base, GLdouble height, GLint slices, GLint stacks);
int glutBitmapLength(void* font, const unsigned char* text);
void glutBitmapString(void* font, const unsigned char* text);
void glutBitmapCharacter(void* font, int character);
