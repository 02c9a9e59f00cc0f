// Scene 3: not drawn yet; the frame stays cleared to black.
#include "scenes/scenes.h"

void drawScene3(unsigned, double) {}
