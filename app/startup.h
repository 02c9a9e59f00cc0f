// Process set-up and the window's callbacks: the one-time GL, quadric, texture and soundtrack
// set-up, the reshape, idle and keyboard handlers.
#pragma once

#include "app/show_state.h"


// The fixed GL state, the quadric and the four textures. Returns false (having loaded nothing)
// when the quadric cannot be created. Shared by the show and the offscreen renderer.
bool initDrawing();

// initDrawing, then the soundtrack is opened and started; called once before the main loop.
void initGraphics();

void openMusic();
void playMusic();

void reshapeWindow(int width, int height);
void requestRedisplay();
void keyPressed(unsigned char key, int x, int y);
