// Scene 2: not drawn yet; the frame stays cleared to black.
#include "scenes/scenes.h"

void drawScene2(unsigned, double) {}
