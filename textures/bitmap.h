// Bitmap textures: the loader that turns a BMP file into a GL texture name. The decoding itself
// is in bitmap_decode.h, the file reading in picture_file.h.
#pragma once

#include "textures/bitmap_decode.h"

// Loads the BMP at `path` into a new texture with linear filtering and repeat wrap, and returns
// its name. On failure shows the notice "Load Bitmap failed : <path>" and returns -1 when the file
// cannot be opened, 0 when it is not a bitmap the show reads (readPictureFile). Needs a current
// GL context.
int loadBitmapTexture(const char* path);
