// Encoding a picture as the uncompressed 24-bit BMP that the show's loader reads.
#pragma once

#include "data/pictures.h"

#include <cstdint>
#include <vector>

// The bytes of a 24-bit BMP: "BM", a 54-byte header, pixel data at offset 54, rows bottom-up in
// blue-green-red order. The width must be a multiple of 4 so that rows need no padding, since
// the loader reads rows back to back.
std::vector<std::uint8_t> encodeBmp(const Picture& picture);
