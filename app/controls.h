// The viewer's controls beside Escape: pause, the jumps through the show, full screen and looping,
// and when the status line shows. With no key pressed none of them draws or changes anything, so
// the show stays the one it always was.
#pragma once

#include "platform/window_frame.h"

#include <cstdint>

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
};

// What a key does. Characters come from GLUT's keyboard callback (letters in either case; Escape
// is that callback's own), special keys from the special-key callback.
Control controlForKey(unsigned char key);
Control controlForSpecialKey(int key);

// Where previousScene, nextScene and restart go from the show time `showTimeMs`: the start of
// the scene before the current one (0 from scene 1), of the one after it (the show's end from
// the last), or 0. A show time below 0 counts as scene 1.
std::int32_t sceneJumpTarget(Control control, std::int32_t showTimeMs);

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

// How the show was started: full screen or in a window of the given size (the size a toggle out
// of full screen goes to), and whether it starts again at the end.
void initControls(bool fullScreen, int windowWidth, int windowHeight, bool loop);

// Sets the request that a jump key stands for, to be carried out at the next frame: skipForward
// or skipBack for the 10 s jumps (displayFrame moves startTime for them), a target for the scene
// jumps and Home. Other controls are not jumps and are ignored here.
void requestJump(Control control);

// The show time a requested jump lands on, once the frame that carries it out has been drawn
// (`frameShowTimeMs` is that frame's show time): for the 10 s jumps, where the moved start time
// puts the clock now. False when no jump was requested or its frame is still to come; the request
// is taken either way.
bool takeJumpTarget(std::int32_t frameShowTimeMs, std::int32_t& targetMs);

// GLUT's keyboard callback hands every key but Escape here; the special-key callback.
void controlKeyPressed(unsigned char key);
void specialKeyPressed(int key, int x, int y);

// Called by the reshape callback with the window's new size: after a toggle out of full screen,
// once the window GLUT restores has arrived, the next frame places the window of the --window
// size centred on the screen (afterFrame). Not from this callback: GLUT may call it while it is
// still leaving full screen, and a move asked for then takes the window back to full screen.
void windowReshaped(int width, int height);

// Frame hooks, called by the frame path; each does nothing unless a key asked for something.
// loopAtEnd: at the end of the show with looping on, starts the run again from 0 s and returns
// true; false (and nothing done) otherwise.
bool loopAtEnd();
// While paused: rebuilds the run at the held moment before the frame is drawn, so that every
// redraw (the window uncovered, a key) is the same picture, the run's frame at that moment. False
// (and nothing done) when not paused, when the run was just rebuilt there, or while a jump waits.
bool holdPausedMoment(std::uint32_t frameShowTimeMs);
// Draws the status line over the finished frame while paused or shortly after a key.
void drawStatusLineIfShown(std::uint32_t frameShowTimeMs);
// After the frame's swap: places the window after a toggle out of full screen, carries out a
// requested jump, and starts the soundtrack once a clock
// sent back before 0 catches up.
void afterFrame(std::uint32_t frameShowTimeMs);

bool showPaused();
