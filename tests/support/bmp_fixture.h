// Builds small BMP files in memory for the loader's tests: any depth, orientation, palette size,
// pixel offset and header field, so each case can show one fault.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BmpFixture {
    int width = 4;
    int height = 2;         // negative: stored top-down
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;   // written to the header
    int paletteEntries = 256;        // entries actually stored (8-bit)
    std::uint32_t gapBeforePixels = 0; // extra bytes between the headers and the pixels
    bool padRows = true;             // pad each stored row to 4 bytes, as BMP writers do
    const char* signature = "BM";
    std::vector<std::uint32_t> masks; // written after the info header when not empty
    std::vector<std::uint8_t> palette; // 4 bytes an entry; zero-filled if short
    std::vector<std::uint8_t> rows;    // the stored pixel bytes of each row, unpadded, back to back

    std::vector<std::uint8_t> bytes() const;
};

// Writes `bytes` to a fresh file under the test's temporary folder and returns its path.
std::string writeTempFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
