// The show's entry: a full-screen GLUT window, its callbacks, the one-time set-up, then GLUT's
// main loop for good.
#include "app/frame.h"
#include "app/platform/allocator.h"
#include "app/startup.h"

#include <GL/freeglut.h>

int main(int argc, char** argv)
{
    tuneAllocatorForDrawing();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(1000, 800);
    glutCreateWindow(argv[0]);
    glutFullScreen();

    glutDisplayFunc(displayFrame);
    glutKeyboardFunc(keyPressed);
    glutReshapeFunc(reshapeWindow);
    glutIdleFunc(requestRedisplay);

    initGraphics();
    glutMainLoop();
    return 0;
}
