// The drawing state's set-up, its reset and the projection, next to the fields they fill.
#include "app/drawing_state.h"

#include "app/aspect.h"
#include "app/data_files.h"
#include "app/show_state.h"
#include "elements/solids.h"
#include "scenes/cameras.h"
#include "textures/bitmap.h"

#include <GL/glu.h>

bool initDrawing()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    // Blending stays off; every later use of it sets its own function first.
    glBlendFunc(GL_SRC_ALPHA, GL_DST_COLOR);

    showState.quadric = gluNewQuadric();
    if (!showState.quadric)
        return false;
    gluQuadricNormals(showState.quadric, GLU_SMOOTH);
    gluQuadricTexture(showState.quadric, GL_TRUE);
    // The fixed solids recorded once, in this context and with the quadric as just set.
    prepareSolids();

    // A failed load is reported by the loader and leaves its failure value; the rest go on.
    for (const ShowPicture& picture : showPictures)
        showState.*picture.texture = loadBitmapTexture(dataFilePath(picture.file).c_str());
    return true;
}

void resetDrawingState()
{
    // Switched on and off by the scenes; initDrawing's own five stay on.
    for (GLenum cap : {GL_BLEND, GL_COLOR_MATERIAL, GL_LINE_STIPPLE, GL_TEXTURE_2D, GL_TEXTURE_GEN_S,
                       GL_TEXTURE_GEN_T})
        glDisable(cap);
    for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE})
        glEnable(cap);
    glBlendFunc(GL_SRC_ALPHA, GL_DST_COLOR);
    glDepthMask(GL_TRUE);
    glLineWidth(1.0f);
    glLineStipple(1, 0xFFFF);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);

    // GL's initial lights: light 0 white, the others dark, all directional down -z. Positions are
    // taken through the modelview matrix, which every frame loads afresh anyway.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat dark[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat towardsViewer[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    for (int i = 0; i < 8; ++i) {
        const GLenum light = GLenum(GL_LIGHT0 + i);
        glLightfv(light, GL_AMBIENT, dark);
        glLightfv(light, GL_DIFFUSE, i == 0 ? white : dark);
        glLightfv(light, GL_SPECULAR, i == 0 ? white : dark);
        glLightfv(light, GL_POSITION, towardsViewer);
        if (i > 0)
            glDisable(light);
    }

    // GL's initial material, and the current colour, normal and texture coordinates.
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, dark);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, dark);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glTexCoord4f(0.0f, 0.0f, 0.0f, 1.0f);
}

void reshapeForAspect(const PictureAspect& aspect, int width, int height)
{
    reshapeWindow(width, height);
    viewPictureBox(aspect, width, height);
}

void viewWholeWindow(const PictureAspect& aspect, int width, int height)
{
    if (aspect.kind != PictureAspect::Kind::stretch)
        glViewport(0, 0, width, height);
}

void viewPictureBox(const PictureAspect& aspect, int width, int height)
{
    if (aspect.kind == PictureAspect::Kind::stretch)
        return;
    const PictureBox box = pictureBox(aspect, width, height);
    glViewport(box.x, box.y, box.width, box.height);
}

void blackenBars(const PictureAspect& aspect, int width, int height)
{
    if (aspect.kind == PictureAspect::Kind::stretch)
        return;
    const PictureBox box = pictureBox(aspect, width, height);
    const PictureBox bars[] = {
        {0, 0, box.x, height},                                              // left
        {box.x + box.width, 0, width - box.x - box.width, height},          // right
        {0, 0, width, box.y},                                               // bottom
        {0, box.y + box.height, width, height - box.y - box.height},        // top
    };
    glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    for (const PictureBox& bar : bars) {
        if (bar.width <= 0 || bar.height <= 0)
            continue;
        glScissor(bar.x, bar.y, bar.width, bar.height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glPopAttrib();
}

void reshapeWindow(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Aspect 1.0 whatever the window's shape: the picture stretches to fill the window.
    gluPerspective(showLens.fovyDegrees, showLens.aspect, showLens.nearDistance, showLens.farDistance);
    glMatrixMode(GL_MODELVIEW);
}
