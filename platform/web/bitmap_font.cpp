// The status line's glyphs. The font's images are not in the page yet: the glyphs take their
// place and advance, and draw nothing.
#include "platform/web/bitmap_font.h"

void drawBitmapGlyph(int, double, double, const float[4]) {}
