// Bitmap textures: decoding an uncompressed BMP from bytes, apart from the upload, and the loader
// that turns a file into a GL texture name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A decoded picture ready for glTexImage2D as GL_RGB / GL_UNSIGNED_BYTE: row 0 is the picture's
// top row, rows are `rowStride` bytes apart (width * 3 rounded up to `unpackAlignment`).
struct DecodedBitmap {
    int width = 0;
    int height = 0;
    int unpackAlignment = 1; // 1, or 4 for 32-bit files
    std::size_t rowStride = 0;
    std::vector<std::uint8_t> pixels; // red, green, blue per pixel

    // The texel at column x of row y (row 0 = top), as 0xRRGGBB.
    std::uint32_t texel(int x, int y) const;
};

// Decodes the bytes of a BMP file. Returns false, leaving `out` empty, for anything outside the
// subset the show reads: no "BM" signature, a bit count other than 8, 24 or 32, compressed data,
// sizes of zero, below zero or over 16384 a side, or a file too short for its header, palette or
// pixels.
bool decodeBitmap(const std::uint8_t* bytes, std::size_t size, DecodedBitmap& out);

// Loads the BMP at `path` into a new texture with linear filtering and repeat wrap, and returns
// its name. On failure shows the notice "Load Bitmap failed : <path>" and returns -1 when the file
// cannot be opened, 0 when it is not a bitmap the show reads. Needs a current GL context.
int loadBitmapTexture(const char* path);
