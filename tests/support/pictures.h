// Pictures for the end-to-end tests: frames as the frame grabber writes them, as showcap draws
// them, as a window shows them, and how much two of them differ.
#pragma once

#include "support/x_session.h"

#include <string>

// An RGB picture, rows bottom-up as GL reads them.
struct Picture {
    int width = 0;
    int height = 0;
    std::string rgb;
};

// What the frame_grab preload wrote: "WIDTH HEIGHT\n" and the rows.
Picture readGrab(const std::string& path);

// A PNG through ImageMagick, flipped to GL's bottom-up rows.
Picture readPng(const PrivateXServer& x, const std::string& path, int width, int height);

// What `window` shows on the X server now, flipped to GL's bottom-up rows.
Picture windowPicture(const PrivateXServer& x, const std::string& window, int width, int height);

// showcap's frame of a 60 fps run at `at` seconds, from the data in `folder`/iroiro/, written
// into `folder` and drawn in the given X server.
Picture showcapFrame(const PrivateXServer& x, const std::string& folder, const std::string& at, int width, int height);

// Pixels whose channels differ by more than `tolerance` anywhere, as a fraction of the pixels
// compared: the rows from `firstRow` (counted from the bottom) up to the top.
double differingShare(const Picture& a, const Picture& b, int tolerance, int firstRow = 0);

// `library` ahead of whatever the test run itself preloads (the sanitizer run preloads Mesa's
// driver), as a value for LD_PRELOAD.
std::string preloadAhead(const std::string& library);
