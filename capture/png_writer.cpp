// PNG encoding: signature, IHDR, one IDAT holding the zlib stream of filtered rows, IEND.
#include "capture/png_writer.h"

#include <zlib.h>

namespace {

constexpr std::uint8_t pngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t filterUp = 2;
// Frames are many and large: on 1920x1080 frames of the show, level 1 after the "up" filter takes
// about a third of the time of level 6 for files about a quarter larger.
constexpr int compressionLevel = 1;

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(std::uint8_t(value >> 24));
    out.push_back(std::uint8_t(value >> 16));
    out.push_back(std::uint8_t(value >> 8));
    out.push_back(std::uint8_t(value));
}

// Length, type, data, and the CRC of type and data.
void appendChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t size)
{
    appendBigEndian(out, std::uint32_t(size));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0)
        out.insert(out.end(), data, data + size);
    const uLong crc = crc32(0L, out.data() + typeAt, uInt(out.size() - typeAt));
    appendBigEndian(out, std::uint32_t(crc));
}

// Each row of the picture, top row first, preceded by its filter type. The "up" filter stores
// each byte's difference from the byte above, which turns the show's smooth gradients and
// large black areas into long runs that deflate well.
std::vector<std::uint8_t> filteredRows(int width, int height, const std::vector<std::uint8_t>& rgbBottomUp)
{
    const std::size_t rowBytes = std::size_t(width) * 3;
    std::vector<std::uint8_t> rows((rowBytes + 1) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = &rgbBottomUp[std::size_t(height - 1 - y) * rowBytes];
        const std::uint8_t* above = y > 0 ? row + rowBytes : nullptr; // the row above is next in memory
        std::uint8_t* out = &rows[std::size_t(y) * (rowBytes + 1)];
        *out++ = filterUp;
        for (std::size_t i = 0; i < rowBytes; ++i)
            out[i] = std::uint8_t(row[i] - (above ? above[i] : 0));
    }
    return rows;
}

} // namespace

bool encodePng(int width, int height, const std::vector<std::uint8_t>& rgbBottomUp, std::vector<std::uint8_t>& png)
{
    png.clear();
    if (width <= 0 || height <= 0 || rgbBottomUp.size() != std::size_t(width) * std::size_t(height) * 3)
        return false;

    const std::vector<std::uint8_t> rows = filteredRows(width, height, rgbBottomUp);
    std::vector<std::uint8_t> compressed(compressBound(uLong(rows.size())));
    uLongf compressedSize = uLongf(compressed.size());
    if (compress2(compressed.data(), &compressedSize, rows.data(), uLong(rows.size()), compressionLevel) != Z_OK)
        return false;

    std::vector<std::uint8_t> header;
    appendBigEndian(header, std::uint32_t(width));
    appendBigEndian(header, std::uint32_t(height));
    header.push_back(8); // bits per channel
    header.push_back(2); // colour type: RGB
    header.push_back(0); // deflate
    header.push_back(0); // adaptive filtering: a filter type at the start of each row
    header.push_back(0); // not interlaced

    png.assign(std::begin(pngSignature), std::end(pngSignature));
    appendChunk(png, "IHDR", header.data(), header.size());
    appendChunk(png, "IDAT", compressed.data(), compressedSize);
    appendChunk(png, "IEND", nullptr, 0);
    return true;
}
