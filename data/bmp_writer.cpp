// Encoding a picture as the uncompressed 24-bit BMP that the show's loader reads.
#include "data/bmp_writer.h"

#include <stdexcept>

namespace {

void putLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

} // namespace

std::vector<std::uint8_t> encodeBmp(const Picture& picture)
{
    const int w = picture.width;
    const int h = picture.height;
    if (w <= 0 || h <= 0 || w % 4 != 0 || picture.rgb.size() != std::size_t(w) * h * 3)
        throw std::invalid_argument("picture size not encodable as an unpadded 24-bit bitmap");
    constexpr std::uint32_t headerBytes = 54;
    const std::uint32_t pixelBytes = std::uint32_t(w) * h * 3;

    std::vector<std::uint8_t> out;
    out.reserve(headerBytes + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    putLittleEndian(out, headerBytes + pixelBytes, 4); // file size
    putLittleEndian(out, 0, 4);                         // two reserved fields
    putLittleEndian(out, headerBytes, 4);              // pixel data offset
    putLittleEndian(out, 40, 4);                        // info header size
    putLittleEndian(out, std::uint32_t(w), 4);
    putLittleEndian(out, std::uint32_t(h), 4); // positive: rows stored bottom-up
    putLittleEndian(out, 1, 2);                             // planes
    putLittleEndian(out, 24, 2);                            // bits per pixel
    putLittleEndian(out, 0, 4);                             // no compression
    putLittleEndian(out, pixelBytes, 4);
    putLittleEndian(out, 2835, 4); // 72 dots per inch, both ways
    putLittleEndian(out, 2835, 4);
    putLittleEndian(out, 0, 4); // no palette
    putLittleEndian(out, 0, 4);

    for (int y = h - 1; y >= 0; --y) {
        const std::uint8_t* row = &picture.rgb[std::size_t(y) * w * 3];
        for (int x = 0; x < w; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3 + 0]);
        }
    }
    return out;
}
