// The status line's glyphs: GLUT's 9 x 15 font (X's fixed 9x15), its printable ASCII glyphs read
// from the system's font file when the page is built (platform/web/tools/bitmap_font.py), each
// set bit one window pixel, placed as glBitmap places it.
#include "platform/web/bitmap_font.h"

#include "platform/web/gl_compat.h"

#include <cmath>
#include <vector>

namespace {

struct Glyph {
    int code;
    int width, height;
    int xOrigin, yOrigin;
    int advance;
    unsigned rows[16]; // from the bottom; bit i is column i
};

const Glyph glyphs[] = {
#include "bitmap_font_9x15.inc"
};

} // namespace

void drawBitmapGlyph(int character, double x, double y, const float color[4])
{
    for (const Glyph& glyph : glyphs) {
        if (glyph.code != character)
            continue;
        // The bitmap's lower left corner sits at the raster position less the origin.
        const double left = std::floor(x - glyph.xOrigin), bottom = std::floor(y - glyph.yOrigin);
        std::vector<float> rects;
        for (int row = 0; row < glyph.height && row < 16; ++row)
            for (int column = 0; column < glyph.width; ++column)
                if (glyph.rows[row] >> column & 1u) {
                    rects.insert(rects.end(), {float(left + column), float(bottom + row), float(left + column + 1),
                                               float(bottom + row + 1)});
                }
        compatDrawWindowRects(rects, color);
        return;
    }
}
