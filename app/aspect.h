// The picture's shape in the window: stretched to fill it (the show's own look), or in the largest
// centred box of a chosen shape with black bars beside it.
#pragma once

#include <string>

struct PictureAspect {
    enum class Kind { stretch, square, ratio };
    Kind kind = Kind::stretch;
    int width = 1; // the box's shape for `ratio`, width:height
    int height = 1;
};

// "stretch", "square" or "W:H" (each a count from 1 to 10000). False for anything else.
bool parseAspect(const std::string& text, PictureAspect& aspect);

// "stretch", "square" or "16:9": what the status line and the help say.
std::string aspectName(const PictureAspect& aspect);

// Where the picture goes in a window of width x height: the whole window for stretch, else the
// largest centred box of the aspect's shape (at least 1 x 1).
struct PictureBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
PictureBox pictureBox(const PictureAspect& aspect, int width, int height);
