// Decoding an uncompressed BMP from bytes, with no GL and no files: the header reading that
// checks a file and finds its pixels, apart from the conversion of its rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The largest side read, and enough file bytes for the largest picture with its headers.
constexpr int maxBitmapSide = 16384;
constexpr std::size_t maxBitmapFileBytes = std::size_t(maxBitmapSide) * maxBitmapSide * 4 + 4096;

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

// Where a checked file keeps its pixels and how they are stored. Every offset and size in it
// lies inside the file it was read from.
struct BitmapLayout {
    int width = 0;
    int height = 0;       // always positive; `topDown` keeps the stored sign
    bool topDown = false; // rows stored top row first (a negative stored height)
    int bitsPerPixel = 0; // 8, 24 or 32
    std::size_t paletteOffset = 0;  // 8-bit files: the first palette entry
    std::size_t paletteEntries = 0; // 8-bit files: 1 to 256 entries of 4 bytes
    std::size_t pixelOffset = 0;    // the first stored row
    std::size_t fileStride = 0;     // bytes from one stored row to the next (padded to 4)
};

// Reads and checks the headers of a BMP file. Returns false for anything outside the subset the
// show reads: no "BM" signature, a bit count other than 8, 24 or 32, compressed data (32-bit
// files may carry the standard bit-field masks), sizes of zero, below zero or over
// maxBitmapSide, or a file too short for its header, palette or pixels.
bool readBitmapLayout(const std::uint8_t* bytes, std::size_t size, BitmapLayout& layout);

// readBitmapLayout, then the rows converted to top-first RGB. Returns false, leaving `out` empty,
// when the headers are refused or the pixels cannot be allocated.
bool decodeBitmap(const std::uint8_t* bytes, std::size_t size, DecodedBitmap& out);
