// Writes the bitmap fuzzer's seed corpus into a folder: one small file for each kind of bitmap
// the decoder accepts, so that fuzzing starts from every branch instead of rediscovering them.
// Usage: bitmap_fuzz_seeds <folder>
#include "support/bmp_fixture.h"

#include <cstdio>
#include <string>

namespace {

struct Seed {
    const char* name;
    void (*shape)(BmpFixture&);
};

// Pixel bytes for every stored row: rows x width pixels of `bytesPerPixel` bytes, all distinct.
std::vector<std::uint8_t> countingRows(const BmpFixture& f, int bytesPerPixel)
{
    const int rows = f.height < 0 ? -f.height : f.height;
    std::vector<std::uint8_t> out(std::size_t(rows) * std::size_t(f.width) * std::size_t(bytesPerPixel));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = std::uint8_t(i * 7 + 1);
    return out;
}

constexpr Seed seeds[] = {
    {"24bit-aligned.bmp", [](BmpFixture& f) { f.rows = countingRows(f, 3); }},
    {"24bit-padded.bmp", [](BmpFixture& f) { f.width = 3; f.height = 3; f.rows = countingRows(f, 3); }},
    {"24bit-top-down.bmp", [](BmpFixture& f) { f.height = -3; f.rows = countingRows(f, 3); }},
    {"24bit-gap-before-pixels.bmp", [](BmpFixture& f) { f.gapBeforePixels = 20; f.rows = countingRows(f, 3); }},
    {"8bit-full-palette.bmp", [](BmpFixture& f) {
         f.bits = 8;
         f.palette.resize(256 * 4);
         for (std::size_t i = 0; i < f.palette.size(); ++i)
             f.palette[i] = std::uint8_t(i);
         f.rows = countingRows(f, 1);
     }},
    {"8bit-short-palette.bmp", [](BmpFixture& f) {
         f.bits = 8;
         f.width = 5;
         f.coloursUsed = 16;
         f.paletteEntries = 16;
         f.palette.assign(16 * 4, 0x80);
         f.rows = countingRows(f, 1);
     }},
    {"32bit.bmp", [](BmpFixture& f) { f.bits = 32; f.width = 3; f.rows = countingRows(f, 4); }},
    {"32bit-bit-fields.bmp", [](BmpFixture& f) {
         f.bits = 32;
         f.compression = 3;
         f.masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
         f.rows = countingRows(f, 4);
     }},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (const Seed& seed : seeds) {
        BmpFixture fixture;
        seed.shape(fixture);
        const std::vector<std::uint8_t> bytes = fixture.bytes();
        const std::string path = std::string(argv[1]) + "/" + seed.name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (!file || std::fclose(file) != 0 || !written) {
            std::fprintf(stderr, "bitmap_fuzz_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
