// The bitmap decoder, the picture-file reader and the loader's failure paths, on small files
// built in the tests.
#include "support/bmp_fixture.h"
#include "support/temp_folder.h"
#include "textures/bitmap.h"
#include "textures/picture_file.h"

#include "support/command.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

DecodedBitmap decode(const BmpFixture& fixture)
{
    const std::vector<std::uint8_t> bytes = fixture.bytes();
    DecodedBitmap picture;
    EXPECT_TRUE(decodeBitmap(bytes.data(), bytes.size(), picture));
    return picture;
}

// Stored rows of a 24-bit picture: pixel (x, r) of stored row r is blue x*10+r, green 100+x,
// red 200+r, so every texel tells where it came from.
std::vector<std::uint8_t> numberedRows24(int width, int rows)
{
    std::vector<std::uint8_t> out(std::size_t(width) * rows * 3);
    std::uint8_t* p = out.data();
    for (int r = 0; r < rows; ++r) {
        for (int x = 0; x < width; ++x) {
            *p++ = std::uint8_t(x * 10 + r);
            *p++ = std::uint8_t(100 + x);
            *p++ = std::uint8_t(200 + r);
        }
    }
    return out;
}

std::uint32_t numberedTexel(int x, int storedRow)
{
    return (std::uint32_t(200 + storedRow) << 16) | (std::uint32_t(100 + x) << 8) | std::uint32_t(x * 10 + storedRow);
}

TEST(BitmapDecoder, FirstStoredBluePixelLandsInTheLastRowAsRgb)
{
    BmpFixture f;
    f.rows = std::vector<std::uint8_t>(4 * 2 * 3, 0);
    f.rows[0] = 255; // blue, green, red of the first stored pixel
    const DecodedBitmap picture = decode(f);
    EXPECT_EQ(picture.width, 4);
    EXPECT_EQ(picture.height, 2);
    EXPECT_EQ(picture.unpackAlignment, 1);
    EXPECT_EQ(picture.texel(0, 1), 0x0000FFu);
    EXPECT_EQ(picture.texel(0, 0), 0u);
}

TEST(BitmapDecoder, RowZeroIsThePictureTopInEitherStoredOrder)
{
    for (bool topDown : {false, true}) {
        BmpFixture f;
        f.width = 4;
        f.height = topDown ? -3 : 3;
        f.rows = numberedRows24(4, 3);
        const DecodedBitmap picture = decode(f);
        ASSERT_EQ(picture.height, 3);
        for (int stored = 0; stored < 3; ++stored) {
            const int row = topDown ? stored : 2 - stored;
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(picture.texel(x, row), numberedTexel(x, stored))
                    << (topDown ? "top-down rows must not be reversed" : "bottom-up rows must be reversed");
        }
    }
}

TEST(BitmapDecoder, PaddedRowsOfOddWidthsAreSkipped)
{
    // A 2 x 2 picture stores 6 bytes of pixels and 2 of padding per row.
    BmpFixture f;
    f.width = 2;
    f.height = 2;
    f.rows = numberedRows24(2, 2);
    const DecodedBitmap picture = decode(f);
    EXPECT_EQ(picture.rowStride, 6u);
    EXPECT_EQ(picture.texel(0, 0), numberedTexel(0, 1));
    EXPECT_EQ(picture.texel(1, 0), numberedTexel(1, 1));
    EXPECT_EQ(picture.texel(1, 1), numberedTexel(1, 0));
}

TEST(BitmapDecoder, PixelOffsetBeyondTheHeaderIsHonoured)
{
    for (int bits : {24, 8}) {
        BmpFixture f;
        f.bits = bits;
        f.gapBeforePixels = 36;
        f.palette = {1, 2, 3, 0};
        f.rows = bits == 24 ? numberedRows24(4, 2) : std::vector<std::uint8_t>(8, 0);
        const DecodedBitmap picture = decode(f);
        EXPECT_EQ(picture.texel(0, 1), bits == 24 ? numberedTexel(0, 0) : 0x030201u) << bits;
    }
}

TEST(BitmapDecoder, PaletteEntryGivesRgbAndIgnoresReservedByte)
{
    BmpFixture f;
    f.bits = 8;
    f.palette.assign(8 * 4, 0);
    f.palette[28] = 10; // entry 7: blue, green, red, reserved
    f.palette[29] = 20;
    f.palette[30] = 30;
    f.palette[31] = 99;
    f.rows.assign(8, 7);
    const DecodedBitmap picture = decode(f);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(picture.texel(x, y), 0x1E140Au);
}

TEST(BitmapDecoder, ShortPaletteOfColoursUsedIsNotTakenFromThePixels)
{
    BmpFixture f;
    f.bits = 8;
    f.coloursUsed = 16;
    f.paletteEntries = 16;
    f.palette.assign(16 * 4, 0);
    f.palette[15 * 4 + 2] = 77; // entry 15 is red 77
    f.rows = {15, 0, 15, 0, 0, 15, 0, 15};
    const DecodedBitmap picture = decode(f);
    EXPECT_EQ(picture.texel(0, 1), 0x4D0000u);
    EXPECT_EQ(picture.texel(1, 1), 0u);
    EXPECT_EQ(picture.texel(1, 0), 0x4D0000u);
}

TEST(BitmapDecoder, IndexBeyondAShortPaletteIsBlack)
{
    BmpFixture f;
    f.bits = 8;
    f.coloursUsed = 2;
    f.paletteEntries = 2;
    f.palette = {9, 9, 9, 0, 9, 9, 9, 0};
    f.rows.assign(8, 200);
    EXPECT_EQ(decode(f).texel(0, 0), 0u);
}

TEST(BitmapDecoder, ThirtyTwoBitPixelsDropTheFourthByteInAlignedRows)
{
    for (std::vector<std::uint32_t> masks : {std::vector<std::uint32_t>{}, {0x00FF0000u, 0x0000FF00u, 0x000000FFu}}) {
        BmpFixture f;
        f.bits = 32;
        f.width = 3; // 9 bytes of RGB a row, uploaded with 4-byte alignment
        f.height = 2;
        f.masks = masks;
        f.compression = masks.empty() ? 0 : 3;
        for (int r = 0; r < 2; ++r)
            for (int x = 0; x < 3; ++x)
                f.rows.insert(f.rows.end(), {std::uint8_t(x), std::uint8_t(10 + r), std::uint8_t(20 + x), 0xFF});
        const DecodedBitmap picture = decode(f);
        EXPECT_EQ(picture.unpackAlignment, 4);
        EXPECT_EQ(picture.rowStride, 12u);
        EXPECT_EQ(picture.pixels.size(), 24u);
        EXPECT_EQ(picture.texel(2, 1), (22u << 16) | (10u << 8) | 2u);
        EXPECT_EQ(picture.texel(0, 0), (20u << 16) | (11u << 8) | 0u);
    }
}

struct RejectCase {
    const char* why;
    void (*spoil)(BmpFixture&);
    std::size_t cut; // bytes removed from the end
};

const RejectCase rejectCases[] = {
    {"no BM signature", [](BmpFixture& f) { f.signature = "XY"; }, 0},
    {"4-bit", [](BmpFixture& f) { f.bits = 4; }, 0},
    {"16-bit", [](BmpFixture& f) { f.bits = 16; }, 0},
    {"1-bit", [](BmpFixture& f) { f.bits = 1; }, 0},
    {"run-length compressed", [](BmpFixture& f) { f.compression = 1; }, 0},
    {"bit fields on 24-bit", [](BmpFixture& f) { f.compression = 3; f.masks = {0xFF0000, 0xFF00, 0xFF}; }, 0},
    {"non-standard masks", [](BmpFixture& f) { f.bits = 32; f.compression = 3; f.masks = {0xFF, 0xFF00, 0xFF0000}; f.rows.resize(32); }, 0},
    {"width 0", [](BmpFixture& f) { f.width = 0; }, 0},
    {"negative width", [](BmpFixture& f) { f.width = -4; }, 0},
    {"height 0", [](BmpFixture& f) { f.height = 0; }, 0},
    {"width over the bound", [](BmpFixture& f) { f.width = 16385; }, 0},
    {"height over the bound", [](BmpFixture& f) { f.height = 16385; }, 0},
    {"most negative height", [](BmpFixture& f) { f.height = int(0x80000000u); }, 0},
    {"more than 256 colours", [](BmpFixture& f) { f.bits = 8; f.coloursUsed = 257; f.rows.resize(8); }, 0},
    {"pixels short by one byte", [](BmpFixture&) {}, 1},
    {"truncated palette", [](BmpFixture& f) { f.bits = 8; f.rows.clear(); }, 1},
    {"truncated info header", [](BmpFixture& f) { f.rows.clear(); }, 1},
};

TEST(BitmapDecoder, RejectsFilesOutsideTheSubset)
{
    for (const RejectCase& c : rejectCases) {
        BmpFixture f;
        f.rows = numberedRows24(4, 2);
        c.spoil(f);
        std::vector<std::uint8_t> bytes = f.bytes();
        bytes.resize(bytes.size() - c.cut);
        DecodedBitmap picture;
        EXPECT_FALSE(decodeBitmap(bytes.data(), bytes.size(), picture)) << c.why;
        EXPECT_TRUE(picture.pixels.empty()) << c.why;
    }
}

TEST(BitmapDecoder, PixelOffsetInsideTheHeadersIsRejected)
{
    BmpFixture f;
    f.rows = numberedRows24(4, 2);
    std::vector<std::uint8_t> bytes = f.bytes();
    bytes[10] = 50; // pixel data "before" the end of the info header
    DecodedBitmap picture;
    EXPECT_FALSE(decodeBitmap(bytes.data(), bytes.size(), picture));
}

// The header reading on its own: where each kind of file keeps its palette and pixels.
TEST(BitmapLayout, PaletteAndPixelsAreFoundWhereEachKindOfFileKeepsThem)
{
    struct Case {
        const char* what;
        BmpFixture file;
        BitmapLayout expected;
    };
    auto make = [](auto change) {
        BmpFixture f;
        f.rows = numberedRows24(4, 2);
        change(f);
        return f;
    };
    const Case cases[] = {
        {"24-bit, rows padded from 6 to 8 bytes", make([](BmpFixture& f) { f.width = 2; f.rows.resize(12); }),
         {2, 2, false, 24, 0, 0, 54, 8}},
        {"8-bit with 16 colours used: a short palette", make([](BmpFixture& f) {
             f.bits = 8; f.coloursUsed = 16; f.paletteEntries = 16; f.rows.assign(8, 1); }),
         {4, 2, false, 8, 54, 16, 54 + 64, 4}},
        {"8-bit with a gap after the full palette", make([](BmpFixture& f) {
             f.bits = 8; f.gapBeforePixels = 12; f.rows.assign(8, 1); }),
         {4, 2, false, 8, 54, 256, 54 + 1024 + 12, 4}},
        {"32-bit with bit-field masks after the info header", make([](BmpFixture& f) {
             f.bits = 32; f.compression = 3; f.masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu}; f.rows.resize(32); }),
         {4, 2, false, 32, 0, 0, 54 + 12, 16}},
        {"top-down: the height kept positive", make([](BmpFixture& f) { f.height = -2; }),
         {4, 2, true, 24, 0, 0, 54, 12}},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> bytes = c.file.bytes();
        BitmapLayout layout;
        ASSERT_TRUE(readBitmapLayout(bytes.data(), bytes.size(), layout)) << c.what;
        EXPECT_EQ(layout.width, c.expected.width) << c.what;
        EXPECT_EQ(layout.height, c.expected.height) << c.what;
        EXPECT_EQ(layout.topDown, c.expected.topDown) << c.what;
        EXPECT_EQ(layout.bitsPerPixel, c.expected.bitsPerPixel) << c.what;
        EXPECT_EQ(layout.paletteOffset, c.expected.paletteOffset) << c.what;
        EXPECT_EQ(layout.paletteEntries, c.expected.paletteEntries) << c.what;
        EXPECT_EQ(layout.pixelOffset, c.expected.pixelOffset) << c.what;
        EXPECT_EQ(layout.fileStride, c.expected.fileStride) << c.what;
    }
}

// The one reading the loader and showcap share: regular files and links to them are read,
// anything else is refused before a byte is read, and nothing larger than a picture can be.
class PictureFileReading : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder.empty()); }

    TempFolder scratch;
    const std::string folder = scratch.path();
};

TEST_F(PictureFileReading, OnlyRegularFilesOfAPictureSizeAreDecoded)
{
    BmpFixture f;
    f.rows = numberedRows24(4, 2);
    const std::vector<std::uint8_t> good = f.bytes();
    const std::string picture = folder + "/picture.bmp";
    std::FILE* out = std::fopen(picture.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(good.data(), 1, good.size(), out);
    std::fclose(out);

    const std::string fifo = folder + "/fifo.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink(picture.c_str(), (folder + "/linked.bmp").c_str()), 0);
    ASSERT_EQ(symlink(fifo.c_str(), (folder + "/linked-fifo.bmp").c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", (folder + "/linked-zero.bmp").c_str()), 0);
    // A sound picture with a tail beyond any picture's size: refused by its size, unread (the
    // file is sparse, so the test writes nothing of it).
    const std::string huge = folder + "/huge.bmp";
    ASSERT_EQ(runCommand("cp '" + picture + "' '" + huge + "'").status, 0);
    ASSERT_EQ(truncate(huge.c_str(), off_t(maxBitmapFileBytes) + 1), 0);

    struct Case {
        const char* why;
        std::string path;
        PictureRead expected;
    };
    const Case cases[] = {
        {"a regular file", picture, PictureRead::ok},
        {"a link to a regular file is a legitimate data file", folder + "/linked.bmp", PictureRead::ok},
        {"missing", folder + "/missing.bmp", PictureRead::cannotOpen},
        {"a FIFO without a writer would block the open", fifo, PictureRead::notABitmap},
        {"a link to a FIFO", folder + "/linked-fifo.bmp", PictureRead::notABitmap},
        {"a link to /dev/zero would be read without end", folder + "/linked-zero.bmp", PictureRead::notABitmap},
        {"a folder", folder, PictureRead::notABitmap},
        {"a valid picture with a tail past the bound", huge, PictureRead::notABitmap},
    };
    for (const Case& c : cases) {
        DecodedBitmap decoded;
        EXPECT_EQ(readPictureFile(c.path.c_str(), decoded), c.expected) << c.why;
        EXPECT_EQ(decoded.pixels.empty(), c.expected != PictureRead::ok) << c.why;
    }
}

// The loader's failure paths show the notice. With no display it goes to standard error, which
// the test reads back.
class BitmapLoaderFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* display = std::getenv("DISPLAY"))
            savedDisplay = display;
        unsetenv("DISPLAY");
    }
    void TearDown() override
    {
        if (!savedDisplay.empty())
            setenv("DISPLAY", savedDisplay.c_str(), 1);
    }
    std::string savedDisplay;
};

TEST_F(BitmapLoaderFailure, MissingFileShowsTheNoticeAndReturnsMinusOne)
{
    // Longer than the 42 characters a fixed 64-byte message could hold: shown whole.
    const std::string path = "./no-such-folder/a-picture-with-a-rather-long-name-indeed.bmp";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(loadBitmapTexture(path.c_str()), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Load Bitmap failed : " + path + "\n");
}

TEST_F(BitmapLoaderFailure, RejectedFileShowsTheNoticeAndReturnsZero)
{
    BmpFixture f;
    f.bits = 16;
    f.rows.assign(16, 0);
    const std::string path = writeTempFile("sixteen.bmp", f.bytes());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(loadBitmapTexture(path.c_str()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Load Bitmap failed : " + path + "\n");
    std::remove(path.c_str());
}

TEST_F(BitmapLoaderFailure, PipesAndDevicesAreRejectedWithoutBlockingOrReadingForever)
{
    const std::string fifo = writeTempFile("fifo.bmp", {});
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/tmp")}) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(loadBitmapTexture(path.c_str()), 0) << path;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Load Bitmap failed : " + path + "\n");
    }
    std::remove(fifo.c_str());
}

TEST_F(BitmapLoaderFailure, EmptyFileIsRejected)
{
    const std::string path = writeTempFile("empty.bmp", {});
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(loadBitmapTexture(path.c_str()), 0);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Load Bitmap failed : "), std::string::npos);
    std::remove(path.c_str());
}

} // namespace
