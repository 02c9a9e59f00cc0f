// The fixed solids the scenes draw (GLUT's cube, spheres and cone, the GLU quadric sphere): each
// recorded once per GL context as a display list of the very calls the library makes, and
// replayed where a scene draws it, instead of the library recomputing and resending its vertices.
#pragma once

#include <GL/glu.h>

// How the solids reach GL. Both give the same picture: a list holds exactly the vertices, normals
// and texture coordinates the library sends, and replaying it leaves the same current values. The
// literal path stays selectable so that rendering tests can hold the recorded one to it, and
// benchmarks can set them side by side.
enum class SolidPath {
    recorded, // display lists, and cubes wholly outside the view skipped: what the show runs
    literal,  // the library's calls every time, every cube sent
};
void setSolidPath(SolidPath path);
SolidPath solidPath();

// Records every solid of the table below in the current GL context; the quadric sphere with
// showState.quadric as it is set now (smooth normals, texture coordinates), and not at all when
// there is none. Call once per context after the quadric exists: lists belong to the context
// they were made in. Until it has run, and for any size not in the table, the draw calls below
// make the library's call.
void prepareSolids();

// Each draws what the library call of the same name and arguments draws, at the current matrix.
void drawSolidCube(double size);
void drawSolidSphere(double radius, int slices, int stacks);
void drawSolidCone(double baseRadius, double height, int slices, int stacks);
void drawQuadricSphere(GLUquadric* quadric, double radius, int slices, int stacks);

// What the recorded list `list` holds, e.g. "glutSolidCube(25)"; null for any other name. For
// tests that read traced calls.
const char* recordedSolidName(GLuint list);
