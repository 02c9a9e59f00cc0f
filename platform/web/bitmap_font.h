// The status line's bitmap font in the page: a 9 x 15 cell, glyphs drawn at a window position.
#pragma once

inline constexpr int bitmapFontAdvance = 9;

// Draws the glyph of `character` with its origin (the baseline's left end) at window position
// x, y in `color`.
void drawBitmapGlyph(int character, double x, double y, const float color[4]);
