// Process set-up and the window's callbacks: the one-time GL, quadric, texture and soundtrack
// set-up, the reshape, idle and keyboard handlers.
#pragma once

#include "app/show_state.h"

#include <cstdint>

// The fixed GL state, the quadric and the four textures. Returns false (having loaded nothing)
// when the quadric cannot be created. Shared by the show and the offscreen renderer.
bool initDrawing();

// initDrawing, then the soundtrack is opened and started; called once before the main loop.
void initGraphics();

// Puts every piece of GL state the scenes change back to what initDrawing leaves in a fresh
// context (GL's own initial values, and initDrawing's settings), so that a run rebuilt in a
// context that has drawn other moments starts from the state a fresh run starts from.
void resetDrawingState();

void openMusic();
void playMusic();

// The soundtrack from `showTimeMs` on ("Play" from its start at 0), and held and played on.
void playMusicFrom(std::uint32_t showTimeMs);
void pauseMusic();
void resumeMusic();

void reshapeWindow(int width, int height);
void requestRedisplay();
void keyPressed(unsigned char key, int x, int y);
