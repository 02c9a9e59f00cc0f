// Scene 1: not drawn yet; the frame stays cleared to black.
#include "scenes/scenes.h"

void drawScene1(unsigned, double) {}
