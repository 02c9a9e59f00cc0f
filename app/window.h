// The show's window: GLUT's callbacks (the frame, idle, the window's visibility and size, the
// keys) and the process's own ends. The top of the show: it reads the viewer's controls and the
// run below it, and nothing below calls up into it.
#pragma once

// Where the full-screen show's window is made before it goes full screen, and its size then.
inline constexpr int fullScreenStartX = 100;
inline constexpr int fullScreenStartY = 100;
inline constexpr int fullScreenStartWidth = 1000;
inline constexpr int fullScreenStartHeight = 800;

// Registers the callbacks for the current window: display displayFrame, keyboard keyPressed,
// reshape windowReshaped, idle requestRedisplay, then the window status and the special keys.
void registerWindowCallbacks();

// GLUT display callback: the show clock read (advanceShowClock), the frame at that show time
// (drawFrameAt), the swap; the viewer's controls loop at the end, hold a paused moment, draw the
// status line and carry out a jump when a key asked for them.
void displayFrame();

// GLUT idle callback while frames are to come: posts a redisplay.
void requestRedisplay();

// GLUT reshape callback: the viewport and projection (reshapeWindow), then the controls are told.
void windowReshaped(int width, int height);

// GLUT keyboard callback: Escape ends the show with status 0 at once (the process ends, the sound
// with it); other keys go to the controls.
void keyPressed(unsigned char key, int x, int y);
// GLUT special-key callback: the arrows, Page Up and Down, Home and F11 for the controls.
void specialKeyPressed(int key, int x, int y);

// GLUT window-status callback. While the window is unmapped or fully covered GLUT draws nothing,
// so the idle callback is taken away and a timer keeps the show clock and the schedule going and
// ends the show at its end; once the window shows again the idle callback comes back as before.
void windowStatusChanged(int state);
