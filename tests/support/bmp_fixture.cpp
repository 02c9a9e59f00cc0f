// In-memory BMP files for the loader's tests.
#include "support/bmp_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

std::vector<std::uint8_t> BmpFixture::bytes() const
{
    const int storedPalette = bits == 8 ? paletteEntries : 0;
    const std::uint32_t pixelOffset =
        54 + std::uint32_t(masks.size()) * 4 + std::uint32_t(storedPalette) * 4 + gapBeforePixels;
    std::vector<std::uint8_t> out;
    out.push_back(std::uint8_t(signature[0]));
    out.push_back(std::uint8_t(signature[1]));
    put32(out, 0); // file size: not read
    put32(out, 0);
    put32(out, pixelOffset);
    put32(out, 40);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height));
    put16(out, 1);
    put16(out, std::uint32_t(bits));
    put32(out, compression);
    for (int i = 0; i < 3; ++i) // image size, resolution: not read
        put32(out, 0);
    put32(out, coloursUsed);
    put32(out, 0);
    for (std::uint32_t mask : masks)
        put32(out, mask);
    for (int i = 0; i < storedPalette * 4; ++i)
        out.push_back(std::size_t(i) < palette.size() ? palette[i] : 0);
    out.insert(out.end(), gapBeforePixels, 0xEE);

    // Widened before negating: the most negative height has no positive int counterpart.
    const std::int64_t rowCount = height < 0 ? -std::int64_t(height) : height;
    const std::size_t rowSize = rows.size() / std::size_t(rowCount > 0 ? rowCount : 1);
    for (std::int64_t r = 0; r < rowCount && rowSize > 0; ++r) {
        out.insert(out.end(), rows.begin() + r * rowSize, rows.begin() + (r + 1) * rowSize);
        if (padRows)
            out.insert(out.end(), (4 - rowSize % 4) % 4, 0xAA);
    }
    return out;
}

std::string writeTempFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string path = std::string(tmp ? tmp : "/tmp") + "/show-test-" + std::to_string(getpid()) + "-" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        if (!bytes.empty()) // an empty vector's data() may be null, which fwrite must not get
            std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}
