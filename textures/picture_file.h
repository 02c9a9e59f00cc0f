// Reading a picture file into a decoded bitmap, with no GL: the one check the loader and showcap
// both make, so that a picture showcap accepts is one the loader accepts.
#pragma once

#include "textures/bitmap_decode.h"

enum class PictureRead {
    ok,
    cannotOpen, // missing or not permitted
    notABitmap, // a folder, FIFO or device, too large, unreadable, or bytes the decoder refuses
};

// Reads the file at `path` (a regular file, or a link to one; never opened if it is anything
// else, never read past the largest picture's size) and decodes it into `picture`. Anything but
// ok leaves `picture` empty.
PictureRead readPictureFile(const char* path, DecodedBitmap& picture);
