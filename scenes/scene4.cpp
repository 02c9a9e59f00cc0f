// Scene 4: not drawn yet; the frame stays cleared to black.
#include "scenes/scenes.h"

void drawScene4(unsigned, double) {}
