// What the frame-grabbing preloads share: the frame in the back buffer written to a file.
#pragma once

// Reads the back buffer's pixels (the viewport) and writes "WIDTH HEIGHT\n" then the RGB rows,
// bottom row first, to `path`, through `path`.partial renamed into place, so that whoever waits
// for the file reads it whole.
void writeBackBuffer(const char* path);
