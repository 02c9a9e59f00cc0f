// PNG encoding of captured frames: 8-bit RGB, written with zlib.
#pragma once

#include <cstdint>
#include <vector>

// Encodes a width x height picture given as RGB rows ordered bottom-up, as GL reads them back,
// into the bytes of a PNG file (which stores the top row first). Returns false, leaving `png`
// empty, when the sizes do not match the pixels or zlib fails.
bool encodePng(int width, int height, const std::vector<std::uint8_t>& rgbBottomUp, std::vector<std::uint8_t>& png);
