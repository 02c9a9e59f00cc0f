// The show's one-time set-up, once its window exists and before GLUT's main loop.
#pragma once

// initDrawing, the run rebuilt when the show starts part-way through, then the soundtrack is
// opened and started.
void initGraphics();
