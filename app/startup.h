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

void openMusic();
void playMusic();

void reshapeWindow(int width, int height);
void requestRedisplay();
void keyPressed(unsigned char key, int x, int y);

// The soundtrack and the pictures, relative to the working directory.
inline constexpr const char* soundtrackPath = "./iroiro/k13.mp3";

// Each picture and the texture name it fills, in the order they are loaded.
struct ShowPicture {
    const char* path;
    std::int32_t ShowState::*texture;
};
inline constexpr ShowPicture showPictures[] = {
    {"./iroiro/syfyd.bmp", &ShowState::glowTexture},
    {"./iroiro/muryw.bmp", &ShowState::skyTextureB},
    {"./iroiro/velvetend_loop02a(0).bmp", &ShowState::skyTextureA},
    {"./iroiro/wave1.bmp", &ShowState::waveTexture},
};
