// Window placement on X11: the screen as GLUT reports it, no frame.
#include "platform/window_frame.h"

#include <GL/freeglut.h>

ScreenArea placementArea()
{
    ScreenArea area;
    area.width = glutGet(GLUT_SCREEN_WIDTH);
    area.height = glutGet(GLUT_SCREEN_HEIGHT);
    return area;
}

FrameExtents windowFrame()
{
    return {};
}
