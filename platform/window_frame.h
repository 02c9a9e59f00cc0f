// Where a window goes on the screen: the part of the screen a window is placed in, and what the
// window system's frame adds around a window's inside.
#pragma once

struct ScreenArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Pixels the frame (borders, title bar) adds on each side of the inside GLUT sizes.
struct FrameExtents {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Windows: the primary monitor's work area (without the taskbar), where a new window opens. X11:
// the whole screen, as GLUT reports it. Needs GLUT initialised.
ScreenArea placementArea();

// Windows: the frame of a GLUT window (an overlapped window). X11: none known; the window
// manager, when there is one, places its frame around the window itself.
FrameExtents windowFrame();
