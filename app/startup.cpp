// One-time set-up of the drawing state and the soundtrack, and the window's reshape, idle and
// keyboard callbacks.
#include "app/startup.h"

#include "app/data_files.h"
#include "app/platform/multimedia.h"
#include "app/show_state.h"
#include "textures/bitmap.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>

namespace {

void sendSoundtrackCommand(const char* verb)
{
    char command[64];
    std::snprintf(command, sizeof command, "%s %s", verb, dataFilePath(soundtrackFile).c_str());
    sendMultimediaCommand(command);
}

} // namespace

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

    // A failed load is reported by the loader and leaves its failure value; the rest go on.
    for (const ShowPicture& picture : showPictures)
        showState.*picture.texture = loadBitmapTexture(dataFilePath(picture.file).c_str());
    return true;
}

void initGraphics()
{
    if (!initDrawing())
        return;
    openMusic();
    playMusic();
}

void openMusic()
{
    sendSoundtrackCommand("Open");
}

void playMusic()
{
    sendSoundtrackCommand("Play");
}

void reshapeWindow(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Aspect 1.0 whatever the window's shape: the picture stretches to fill the window.
    gluPerspective(60.0, 1.0, 1.0, 6000.0);
    glMatrixMode(GL_MODELVIEW);
}

void requestRedisplay()
{
    glutPostRedisplay();
}

void keyPressed(unsigned char key, int, int)
{
    if (key == 27)
        std::exit(0);
}
