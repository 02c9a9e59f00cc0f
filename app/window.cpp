// The show's window: its GLUT callbacks, the one place that sets the idle callback, and the
// hidden window's timer.
#include "app/window.h"

#include "app/controls.h"
#include "app/drawing_state.h"
#include "app/frame.h"
#include "app/run.h"
#include "app/show_state.h"
#include "app/timeline.h"
#include "platform/process_end.h"
#include "platform/allocator.h"

#include <GL/freeglut.h>
#include <cstdint>
#include <cstdlib>

namespace {

// How often the clock is looked at while hidden; the last wait is cut to end the show on time.
constexpr std::int32_t hiddenTickMs = 100;

// A window this large (8192 x 4096 pixels and up) has drawing buffers of hundreds of megabytes;
// freed, the allocator's tuning keeps them. Left for a window a quarter of its size or less, the
// freed memory goes back to the system once the smaller window's frames have replaced them.
constexpr long long largeWindowPixels = 8192LL * 4096;
long long largestPixels = 0; // the largest window since the memory was last released
int framesUntilRelease = 0;  // frames still to come before the release; 0: none pending

bool hidden = false;
int windowWidth = 0; // the window's inside, as the last reshape gave it
int windowHeight = 0;
// Counts the times the window went out of sight: a timer set during an earlier time out of sight
// finds the count moved on and stops, so at most one chain of timers runs.
int hiddenSpell = 0;

// Frames back to back while the show plays in sight; none by themselves while it is paused or
// hidden (GLUT then waits for events and draws only when the window needs it).
void keepFramesComing()
{
    glutIdleFunc(showPaused() || hidden ? nullptr : requestRedisplay);
}

void carryOut(const WindowChanges& changes)
{
    if (changes.quit)
        endProcessNow(0); // the viewer asked for the end
    switch (changes.screen) {
    case WindowChanges::Screen::unchanged: break;
    case WindowChanges::Screen::enterFullScreen:
        glutFullScreen();
        glutSetCursor(GLUT_CURSOR_NONE);
        break;
    case WindowChanges::Screen::leaveFullScreen:
        glutLeaveFullScreen();
        glutSetCursor(GLUT_CURSOR_INHERIT);
        break;
    }
    if (changes.reshape) {
        reshapeForAspect(pictureAspect(), windowWidth, windowHeight);
        glutPostRedisplay();
    }
    if (changes.place) {
        glutPositionWindow(changes.placement.x, changes.placement.y);
        glutReshapeWindow(changes.placement.width, changes.placement.height);
    }
    if (changes.redisplay)
        glutPostRedisplay();
}

void hiddenTick(int spell);

void controlChosen(Control control)
{
    const WindowChanges changes = applyControl(control);
    keepFramesComing(); // a pause or a resume
    carryOut(changes);
    // Out of sight no frame comes to carry a jump out: the timer's next step does, at once, so
    // picture and sound move as they would in sight. A new chain; the running one stops.
    if (hidden && control != Control::none)
        glutTimerFunc(0, hiddenTick, ++hiddenSpell);
}

void hiddenTick(int spell)
{
    if (!hidden || spell != hiddenSpell)
        return;
    // The same clock step and schedule the frames use, so the show ends where a frame would end
    // it, and a key's jump is carried out as after a frame: the clock and the sound together.
    const std::uint32_t stepTimeMs = advanceShowClock();
    if (showState.scene == endScene && !loopAtEnd())
        std::exit(0);
    carryOut(afterClockStep(stepTimeMs));
    const std::int32_t showTimeMs = std::int32_t(clockReadingMs() - showState.startTime);
    std::int32_t wait = showEndMs - showTimeMs;
    if (wait > hiddenTickMs || wait < 1)
        wait = hiddenTickMs; // below 1: a jump back past the start, while the clock is negative
    glutTimerFunc(unsigned(wait), hiddenTick, spell);
}

} // namespace

void registerWindowCallbacks()
{
    glutDisplayFunc(displayFrame);
    glutKeyboardFunc(keyPressed);
    glutReshapeFunc(windowReshaped);
    keepFramesComing();
    glutWindowStatusFunc(windowStatusChanged);
    glutSpecialFunc(specialKeyPressed);
}

void displayFrame()
{
    std::uint32_t showTimeMs = advanceShowClock();
    // The viewer's controls add to the frame only when a key asked for something.
    if (showState.scene == endScene && loopAtEnd())
        showTimeMs = advanceShowClock();
    else
        holdPausedMoment(showTimeMs);
    drawFrameAt(showTimeMs); // at the show's end (no loop) the process ends here, nothing swapped
    blackenBars(pictureAspect(), windowWidth, windowHeight);
    takeScreenshotIfAsked(showTimeMs, windowWidth, windowHeight);
    // The line at the window's corner, beside a boxed picture too.
    viewWholeWindow(pictureAspect(), windowWidth, windowHeight);
    drawStatusLineIfShown(showTimeMs);
    viewPictureBox(pictureAspect(), windowWidth, windowHeight);
    glutSwapBuffers();
    // The renderer replaces the large buffers at the first frames of the new size.
    if (framesUntilRelease > 0 && --framesUntilRelease == 0)
        releaseFreedMemory();
    carryOut(afterFrame(showTimeMs));
}

void requestRedisplay()
{
    glutPostRedisplay();
}

void windowReshaped(int width, int height)
{
    reshapeForAspect(pictureAspect(), width, height);
    windowWidth = width;
    windowHeight = height;
    const long long pixels = (long long)width * height;
    if (pixels > largestPixels) {
        largestPixels = pixels;
    } else if (largestPixels >= largeWindowPixels && pixels * 4 <= largestPixels) {
        largestPixels = pixels;
        framesUntilRelease = 2;
    }
    carryOut(windowResized());
}

void keyPressed(unsigned char key, int, int)
{
    if (key == 27)
        endProcessNow(0); // the viewer asked for the end
    controlChosen(controlForKey(key));
}

void specialKeyPressed(int key, int, int)
{
    controlChosen(controlForSpecialKey(key));
}

void windowStatusChanged(int state)
{
    const bool outOfSight = state == GLUT_HIDDEN || state == GLUT_FULLY_COVERED;
    if (outOfSight == hidden)
        return;
    hidden = outOfSight;
    keepFramesComing();
    if (hidden)
        glutTimerFunc(0, hiddenTick, ++hiddenSpell);
}
