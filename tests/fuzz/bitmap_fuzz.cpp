// libFuzzer target for the bitmap decoder: any bytes must either be rejected, leaving the result
// empty, or give a picture whose layout agrees with what the upload will read and whose corner
// texels are the file's own pixels, read at its pixel offset, padding and orientation.
#include "textures/bitmap_decode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Keeps the texel reads from being optimised away.
volatile std::uint32_t texelSink;

std::uint32_t u16At(const std::uint8_t* p) { return p[0] | (std::uint32_t(p[1]) << 8); }
std::uint32_t u32At(const std::uint8_t* p) { return u16At(p) | (u16At(p + 2) << 16); }

// The upload reads rowStride * height bytes as rows of width * 3 at the given alignment, so a
// picture that disagrees would make GL read past the buffer.
bool layoutHolds(const DecodedBitmap& picture)
{
    if (picture.width <= 0 || picture.height <= 0)
        return false;
    if (picture.unpackAlignment != 1 && picture.unpackAlignment != 4)
        return false;
    const std::size_t align = std::size_t(picture.unpackAlignment);
    const std::size_t rowBytes = std::size_t(picture.width) * 3;
    return picture.rowStride == (rowBytes + align - 1) / align * align &&
           picture.pixels.size() == picture.rowStride * std::size_t(picture.height);
}

// The colour the BMP format gives pixel x of stored row r, read straight from the file: pixel
// data at bfOffBits, stored rows padded to 4 bytes, blue-green-red order, and for 8-bit files
// the palette after the info header with biClrUsed entries (256 when 0; black beyond them).
std::uint32_t storedColour(const std::uint8_t* bytes, int x, int r)
{
    const std::uint32_t bits = u16At(bytes + 28);
    const std::size_t bytesPerPixel = bits / 8;
    const std::size_t stride = (std::size_t(u32At(bytes + 18)) * bytesPerPixel + 3) / 4 * 4;
    const std::uint8_t* pixel = bytes + u32At(bytes + 10) + std::size_t(r) * stride + std::size_t(x) * bytesPerPixel;
    if (bits != 8)
        return (std::uint32_t(pixel[2]) << 16) | (std::uint32_t(pixel[1]) << 8) | pixel[0];
    const std::uint32_t used = u32At(bytes + 46);
    if (*pixel >= (used == 0 ? 256 : used))
        return 0;
    const std::uint8_t* entry = bytes + 14 + u32At(bytes + 14) + std::size_t(*pixel) * 4;
    return (std::uint32_t(entry[2]) << 16) | (std::uint32_t(entry[1]) << 8) | entry[0];
}

// The first and the last stored pixel land where the file's orientation puts them: bottom-up
// files (positive height) store the picture's bottom row first, top-down files its top row.
bool cornersHold(const std::uint8_t* bytes, const DecodedBitmap& picture)
{
    const bool topDown = std::int32_t(u32At(bytes + 22)) < 0;
    const int last = picture.height - 1;
    const int right = picture.width - 1;
    return picture.texel(0, topDown ? 0 : last) == storedColour(bytes, 0, 0) &&
           picture.texel(right, topDown ? last : 0) == storedColour(bytes, right, last);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    DecodedBitmap picture;
    if (!decodeBitmap(bytes, size, picture)) {
        if (!picture.pixels.empty() || picture.width != 0 || picture.height != 0)
            std::abort(); // a rejection must leave nothing behind for the caller to upload
        return 0;
    }
    if (!layoutHolds(picture) || !cornersHold(bytes, picture))
        std::abort();
    // Every texel is read, as the upload will.
    std::uint32_t mix = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            mix ^= picture.texel(x, y);
    texelSink = mix;
    return 0;
}
