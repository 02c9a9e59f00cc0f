// GLUT as the show uses it in the browser: the same as GL/freeglut.h.
#pragma once

#include <GL/freeglut.h>
