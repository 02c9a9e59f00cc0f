// One-time set-up of the drawing state and the soundtrack, and the window's reshape, idle and
// keyboard callbacks.
#include "app/startup.h"

#include "app/data_files.h"
#include "app/platform/multimedia.h"
#include "app/replay.h"
#include "app/run.h"
#include "app/show_state.h"
#include "elements/solids.h"
#include "scenes/cameras.h"
#include "textures/bitmap.h"

#include <GL/freeglut.h>
#include <GL/glext.h> // GL_RASTERIZER_DISCARD, where gl.h stops at OpenGL 1.1
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The run whose carried state a show started part-way through begins from.
constexpr int startFramesPerSecond = 60;

// Sends "<verb> <soundtrack path><suffix>".
void sendSoundtrackCommand(const char* verb, const char* suffix = "")
{
    const std::string path = dataFilePath(soundtrackFile);
    char command[64];
    const int length = std::snprintf(command, sizeof command, "%s %s%s", verb, path.c_str(), suffix);
    if (length >= 0 && std::size_t(length) < sizeof command) {
        sendMultimediaCommand(command);
        return;
    }
    // A data folder named on the command line can make the command longer than the buffer: it
    // is sent whole rather than cut short into the path of some other file.
    sendMultimediaCommand((std::string(verb) + " " + path + suffix).c_str());
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
    // The fixed solids recorded once, in this context and with the quadric as just set.
    prepareSolids();

    // A failed load is reported by the loader and leaves its failure value; the rest go on.
    for (const ShowPicture& picture : showPictures)
        showState.*picture.texture = loadBitmapTexture(dataFilePath(picture.file).c_str());
    return true;
}

void initGraphics()
{
    if (!initDrawing())
        return;
    // Starting part-way: the GL state and the values a 60 fps run carries into that moment, from
    // the frames that hand them on. Only their state is wanted, so nothing is rasterised (where
    // the GL has no such switch the frames fill the back buffer, which the first frame clears).
    if (firstFrameTime() > 0) {
        glEnable(GL_RASTERIZER_DISCARD);
        replayRunUntil(firstFrameTime(), startFramesPerSecond);
        glDisable(GL_RASTERIZER_DISCARD);
    }
    openMusic();
    playMusic();
}

void openMusic()
{
    sendSoundtrackCommand("Open");
}

void playMusic()
{
    if (firstFrameTime() == 0) {
        sendSoundtrackCommand("Play");
        return;
    }
    // The soundtrack from the moment the first frame shows, so that picture and sound stay
    // together.
    char from[32];
    std::snprintf(from, sizeof from, " from %u", unsigned(firstFrameTime()));
    sendSoundtrackCommand("Play", from);
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

void requestRedisplay()
{
    glutPostRedisplay();
}

void keyPressed(unsigned char key, int, int)
{
    if (key == 27)
        std::exit(0);
}
