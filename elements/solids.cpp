// The fixed solids: the table of the library calls the scenes make, their display lists, and the
// choice between replaying a list and making the call.
#include "elements/solids.h"

#include "app/show_state.h"

#include <GL/freeglut.h>

namespace {

enum class SolidKind { cube, sphere, cone, quadricSphere };

struct SolidShape {
    SolidKind kind;
    double size;   // cube edge, sphere radius or cone base radius
    double height; // cone only
    int slices, stacks;
    const char* name;
};

// Every solid a scene draws, with its exact arguments: a list is only ever replayed for the very
// call it was recorded from.
constexpr SolidShape fixedSolids[] = {
    {SolidKind::cube, 25.0, 0.0, 0, 0, "glutSolidCube(25)"},                       // the cube waves
    {SolidKind::sphere, 80.0, 0.0, 80, 80, "glutSolidSphere(80, 80, 80)"},         // scene 2's sphere
    {SolidKind::sphere, 30.0, 0.0, 50, 50, "glutSolidSphere(30, 50, 50)"},         // the moons
    {SolidKind::sphere, 15.0, 0.0, 50, 50, "glutSolidSphere(15, 50, 50)"},         // the small moon
    {SolidKind::cone, 100.0, 80.0, 50, 50, "glutSolidCone(100, 80, 50, 50)"},      // the orbiting cone
    {SolidKind::quadricSphere, 80.0, 0.0, 50, 50, "gluSphere(quadric, 80, 50, 50)"}, // scenes 3 to 5
};
constexpr int fixedSolidCount = int(sizeof fixedSolids / sizeof fixedSolids[0]);

SolidPath currentPath = SolidPath::recorded;
GLuint firstList = 0;                // 0: nothing recorded in this context
bool recorded[fixedSolidCount] = {}; // per entry: its list holds the solid
GLUquadric* recordedQuadric = nullptr;

void callLibrary(const SolidShape& shape, GLUquadric* quadric)
{
    switch (shape.kind) {
    case SolidKind::cube: glutSolidCube(shape.size); break;
    case SolidKind::sphere: glutSolidSphere(shape.size, shape.slices, shape.stacks); break;
    case SolidKind::cone: glutSolidCone(shape.size, shape.height, shape.slices, shape.stacks); break;
    case SolidKind::quadricSphere: gluSphere(quadric, shape.size, shape.slices, shape.stacks); break;
    }
}

int entryOf(const SolidShape& shape)
{
    for (int i = 0; i < fixedSolidCount; ++i) {
        const SolidShape& s = fixedSolids[i];
        if (s.kind == shape.kind && s.size == shape.size && s.height == shape.height && s.slices == shape.slices &&
            s.stacks == shape.stacks)
            return i;
    }
    return -1;
}

// Replays the recorded list for this call, or makes the call.
void draw(const SolidShape& shape, GLUquadric* quadric)
{
    if (currentPath == SolidPath::recorded && firstList != 0) {
        const int entry = entryOf(shape);
        if (entry >= 0 && recorded[entry] && (shape.kind != SolidKind::quadricSphere || quadric == recordedQuadric)) {
            glCallList(firstList + GLuint(entry));
            return;
        }
    }
    callLibrary(shape, quadric);
}

} // namespace

void setSolidPath(SolidPath path)
{
    currentPath = path;
}

SolidPath solidPath()
{
    return currentPath;
}

void prepareSolids()
{
    // Names from an earlier context mean nothing in this one: start afresh.
    firstList = 0;
    for (bool& r : recorded)
        r = false;
    recordedQuadric = showState.quadric;
    firstList = glGenLists(fixedSolidCount);
    if (firstList == 0)
        return;
    for (int i = 0; i < fixedSolidCount; ++i) {
        const SolidShape& shape = fixedSolids[i];
        if (shape.kind == SolidKind::quadricSphere && !recordedQuadric)
            continue;
        // GL_COMPILE: recording draws nothing. Client arrays the library uses are read now, so
        // the list holds their values.
        glNewList(firstList + GLuint(i), GL_COMPILE);
        callLibrary(shape, recordedQuadric);
        glEndList();
        recorded[i] = true;
    }
}

void drawSolidCube(double size)
{
    draw({SolidKind::cube, size, 0.0, 0, 0, nullptr}, nullptr);
}

void drawSolidSphere(double radius, int slices, int stacks)
{
    draw({SolidKind::sphere, radius, 0.0, slices, stacks, nullptr}, nullptr);
}

void drawSolidCone(double baseRadius, double height, int slices, int stacks)
{
    draw({SolidKind::cone, baseRadius, height, slices, stacks, nullptr}, nullptr);
}

void drawQuadricSphere(GLUquadric* quadric, double radius, int slices, int stacks)
{
    draw({SolidKind::quadricSphere, radius, 0.0, slices, stacks, nullptr}, quadric);
}

const char* recordedSolidName(GLuint list)
{
    if (firstList == 0 || list < firstList || list >= firstList + GLuint(fixedSolidCount))
        return nullptr;
    return recorded[list - firstList] ? fixedSolids[list - firstList].name : nullptr;
}
