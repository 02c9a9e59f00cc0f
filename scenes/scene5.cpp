// Scene 5: not drawn yet; the frame stays cleared to black.
#include "scenes/scenes.h"

void drawScene5(unsigned, double) {}
