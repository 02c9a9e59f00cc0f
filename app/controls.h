// The viewer's controls beside Escape: pause, the jumps through the show, full screen and looping,
// and when the status line shows. With no key pressed none of them draws or changes anything, so
// the show stays the one it always was.
//
// They sit between the window and the run: they move the run (its clock, the rebuilt run, the
// soundtrack) and hand the window what it has to do (WindowChanges); they call nothing of the
// window's.
#pragma once

#include "app/aspect.h"
#include "platform/window_frame.h"

#include <cstdint>
#include <string>

enum class Control {
    none,
    quit,             // q: ends the show with status 0, as Escape does
    togglePause,      // Space
    forward,          // Right: 10 s ahead, through skipForward
    back,             // Left: 10 s back, through skipBack
    previousScene,    // Page Up: the previous scene's start
    nextScene,        // Page Down: the next scene's start (past the last: the end)
    restart,          // Home: 0 s
    toggleFullScreen, // f, F11
    toggleLoop,       // l
    stepForward,      // . while paused: one 60 fps frame on
    stepBack,         // , while paused: one 60 fps frame back
    toggleMute,       // m
    volumeDown,       // 9 or -: 10 % quieter
    volumeUp,         // 0 or +: 10 % louder
    screenshot,       // s: the next frame, without the status line, into a PNG
    cycleAspect,      // a: stretch -> square -> stretch (any other aspect -> stretch)
};

// What a key does. Characters come from GLUT's keyboard callback (letters in either case; Escape
// is that callback's own), special keys from the special-key callback.
Control controlForKey(unsigned char key);
Control controlForSpecialKey(int key);

// Where previousScene, nextScene and restart go from the show time `showTimeMs`: the start of
// the scene before the current one (0 from scene 1), of the one after it (the show's end from
// the last), or 0. A show time below 0 counts as scene 1.
std::int32_t sceneJumpTarget(Control control, std::int32_t showTimeMs);

// Where stepForward and stepBack go from the paused show time `showTimeMs`: the next or previous
// frame time of a run at the replay's rate (showReplayFramesPerSecond), the frames a jump and
// showcap draw. Never before 0 nor onto the show's end: from the last frame forward, and from 0
// back, it stays where it is.
std::int32_t frameStepTarget(Control control, std::int32_t showTimeMs);

// Where a window whose inside is width x height goes: centred in `area` with its frame, each
// side shrunk when the framed window would not fit. x, y is the framed window's top-left corner
// (what GLUT positions), width x height the inside (what GLUT sizes).
struct WindowPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
WindowPlacement centredWindow(const ScreenArea& area, const FrameExtents& frame, int width, int height);

// What the window is to do after a control or a frame hook: the window carries it out. The idle
// callback it sets from showPaused() (and its own visibility), after every control.
struct WindowChanges {
    enum class Screen { unchanged, enterFullScreen, leaveFullScreen };
    bool quit = false;      // end the show with status 0
    bool redisplay = false; // draw a frame: while paused none comes by itself
    Screen screen = Screen::unchanged;
    bool reshape = false;   // the picture's aspect changed: reshape for pictureAspect() at the window's size
    bool place = false;     // move and size the window to `placement`
    WindowPlacement placement;
};

// How the show was started: full screen or in a window of the given size (the size a toggle out
// of full screen goes to), whether it starts again at the end, and the soundtrack's volume in %.
void initControls(bool fullScreen, int windowWidth, int windowHeight, bool loop, int volumePercent = 100);

// The folder screenshots go into ("" for the working folder: --shots DIR names another).
void setScreenshotFolder(const std::string& folder);

// The picture's aspect: --aspect's at the start (stretch unless given), then as a cycles it.
void setPictureAspect(const PictureAspect& aspect);
const PictureAspect& pictureAspect();
// What a cycles to from `aspect`: square from stretch, stretch from any other.
PictureAspect nextAspect(const PictureAspect& aspect);

// The volume a step leaves: 10 % down or up from `percent`, within 0 to 100.
int steppedVolume(Control control, int percent);

// Carries out a key's control (the run moves at once or at the next frame) and says what the
// window is to do.
WindowChanges applyControl(Control control);

// Sets the request that a jump key stands for, to be carried out at the next step of the show
// clock: skipForward or skipBack for the 10 s jumps (the show clock moves startTime for them), a
// target for the scene jumps, Home and the frame steps. Every press of Right or Left counts: presses that come
// before the clock has taken the flag each add 10 s when the jump is carried out. Other controls
// are not jumps and are ignored here.
void requestJump(Control control);

// The show time a requested jump lands on, once the clock step that carries it out has been
// taken (`frameShowTimeMs` is that step's show time): for the 10 s jumps, where the moved start
// time puts the clock now, plus 10 s for each press beyond the one the flag stood for. False when no jump was requested or its frame is still to come; the request
// is taken either way.
bool takeJumpTarget(std::int32_t frameShowTimeMs, std::int32_t& targetMs);

// The window's reshape callback tells of every new size: after a toggle out of full screen,
// once the window GLUT restores has arrived, the next frame places the window of the --window
// size centred on the screen (afterFrame). Not now: GLUT may reshape while it is still leaving
// full screen, and a move asked for then takes the window back to full screen.
WindowChanges windowResized();

// Frame hooks, called by the show's display callback; each does nothing unless a key asked for
// something.
// loopAtEnd: at the end of the show with looping on, starts the run again from 0 s and returns
// true; false (and nothing done) otherwise.
bool loopAtEnd();
// While paused: rebuilds the run at the held moment before the frame is drawn, so that every
// redraw (the window uncovered, a key) is the same picture, the run's frame at that moment. False
// (and nothing done) when not paused, when the run was just rebuilt there, or while a jump waits.
bool holdPausedMoment(std::uint32_t frameShowTimeMs);
// After the frame is drawn and before the status line: when s asked for it, writes the frame (the
// window's width x height) as a screenshot and has the status line name the file, or say why it
// could not be written (on standard error too). The show goes on either way.
void takeScreenshotIfAsked(std::uint32_t frameShowTimeMs, int width, int height);
// Draws the status line over the finished frame while paused or shortly after a key.
void drawStatusLineIfShown(std::uint32_t frameShowTimeMs);
// After the frame's swap: the window's placement after a toggle out of full screen, a requested
// jump carried out, and the soundtrack started once a clock sent back before 0 catches up.
WindowChanges afterFrame(std::uint32_t frameShowTimeMs);
// After any step of the show clock (a frame's, or the hidden window's timer, where no frame is
// drawn): a requested jump carried out, picture and sound together, and the soundtrack started
// once a clock sent back before 0 catches up. `showTimeMs` is the time that step read.
WindowChanges afterClockStep(std::uint32_t showTimeMs);

bool showPaused();
