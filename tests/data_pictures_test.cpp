// The four pictures makedata writes, read back through the show's own bitmap decoder: their
// format and size, and the trait each needs for the way the show draws it.
#include "textures/bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct PictureFile {
    const char* name;
    int width;
    int height;
};

constexpr PictureFile kGlow = {"syfyd.bmp", 512, 512};
constexpr PictureFile kSkyB = {"muryw.bmp", 1024, 1024};
constexpr PictureFile kSkyA = {"velvetend_loop02a(0).bmp", 1024, 1024};
constexpr PictureFile kWave = {"wave1.bmp", 512, 512};
constexpr PictureFile kPictureFiles[] = {kGlow, kSkyB, kSkyA, kWave};
constexpr PictureFile kSkies[] = {kSkyA, kSkyB};

std::vector<std::uint8_t> readPictureBytes(const PictureFile& file)
{
    std::ifstream in(std::string("./iroiro/") + file.name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DecodedBitmap loadPicture(const PictureFile& file)
{
    const std::vector<std::uint8_t> bytes = readPictureBytes(file);
    DecodedBitmap picture;
    EXPECT_TRUE(decodeBitmap(bytes.data(), bytes.size(), picture)) << file.name;
    return picture;
}

std::uint32_t littleEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[offset + i];
    }
    return value;
}

int channel(std::uint32_t texel, int shift) { return static_cast<int>((texel >> shift) & 0xFF); }

double luminance(std::uint32_t texel)
{
    return 0.2126 * channel(texel, 16) + 0.7152 * channel(texel, 8) + 0.0722 * channel(texel, 0);
}

// Distance of a pixel's centre from the picture's centre, in half-widths.
double radius(const DecodedBitmap& p, int x, int y)
{
    const double half = p.width / 2.0;
    return std::hypot(x + 0.5 - half, y + 0.5 - half) / half;
}

TEST(DataPictures, EachIsAnUnpadded24BitBitmapOfItsSizeThatTheShowDecodes)
{
    for (const PictureFile& file : kPictureFiles) {
        SCOPED_TRACE(file.name);
        const std::vector<std::uint8_t> bytes = readPictureBytes(file);
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        // The show's loader ignores the offset and info size fields and reads the pixels right
        // after a 54-byte header, rows back to back: anything else would be read skewed.
        EXPECT_EQ(littleEndian(bytes, 10, 4), 54u);
        EXPECT_EQ(littleEndian(bytes, 14, 4), 40u);
        EXPECT_EQ(littleEndian(bytes, 18, 4), static_cast<std::uint32_t>(file.width));
        EXPECT_EQ(littleEndian(bytes, 22, 4), static_cast<std::uint32_t>(file.height)) << "positive: bottom-up rows";
        EXPECT_EQ(littleEndian(bytes, 28, 2), 24u);
        EXPECT_EQ(littleEndian(bytes, 30, 4), 0u) << "uncompressed";
        EXPECT_EQ(file.width % 4, 0) << "rows must need no padding";
        EXPECT_EQ(bytes.size(), 54u + static_cast<std::size_t>(file.width) * file.height * 3);

        const DecodedBitmap picture = loadPicture(file);
        EXPECT_EQ(picture.width, file.width);
        EXPECT_EQ(picture.height, file.height);
    }
}

TEST(DataPictures, GlowSpriteHasABrightNeutralCoreAndIsExactlyBlackBeyondItsCircle)
{
    const DecodedBitmap glow = loadPicture(kGlow);
    ASSERT_EQ(glow.width, kGlow.width);

    // Any light near the edge would outline the crossed squares the sprite is drawn on.
    int litBeyondCircle = 0;
    for (int y = 0; y < glow.height; ++y) {
        for (int x = 0; x < glow.width; ++x) {
            if (radius(glow, x, y) >= 0.9 && glow.texel(x, y) != 0) {
                ++litBeyondCircle;
            }
        }
    }
    EXPECT_EQ(litBeyondCircle, 0);

    const std::uint32_t centre = glow.texel(glow.width / 2, glow.height / 2);
    const int channels[3] = {channel(centre, 16), channel(centre, 8), channel(centre, 0)};
    EXPECT_GE(*std::min_element(channels, channels + 3), 235);
    EXPECT_LE(*std::max_element(channels, channels + 3) - *std::min_element(channels, channels + 3), 12)
        << "the show tints the sprite, so its core must be white";
}

TEST(DataPictures, GlowSpriteFallsOffSmoothlyFromCentreToBlack)
{
    const DecodedBitmap glow = loadPicture(kGlow);
    ASSERT_EQ(glow.width, kGlow.width);
    constexpr int kRings = 18; // 0.05 half-widths each, out to 0.9
    std::vector<double> sum(kRings, 0.0);
    std::vector<int> count(kRings, 0);
    for (int y = 0; y < glow.height; ++y) {
        for (int x = 0; x < glow.width; ++x) {
            const int ring = static_cast<int>(radius(glow, x, y) / 0.05);
            if (ring < kRings) {
                sum[ring] += luminance(glow.texel(x, y));
                ++count[ring];
            }
        }
    }
    for (int ring = 1; ring < kRings; ++ring) {
        SCOPED_TRACE("ring " + std::to_string(ring));
        const double inner = sum[ring - 1] / count[ring - 1];
        const double outer = sum[ring] / count[ring];
        EXPECT_LE(outer, inner + 0.5) << "no bright ring outside the core";
        EXPECT_LE(inner - outer, 90.0) << "no hard edge";
    }
    EXPECT_LT(sum[kRings - 1] / count[kRings - 1], 1.0) << "fades to black before the black border";
}

TEST(DataPictures, WaveMapIsALitDiscWithABrightBandAndHighlightsOnBlack)
{
    const DecodedBitmap wave = loadPicture(kWave);
    ASSERT_EQ(wave.width, kWave.width);
    const double pixel = 2.0 / wave.width; // one pixel in half-widths
    int litOutside = 0;
    int insideDisc = 0;
    int nearBlackInside = 0;
    int highlights = 0;
    double insideSum = 0.0;
    double brightestRow = 0.0;
    for (int y = 0; y < wave.height; ++y) {
        double rowSum = 0.0;
        int rowCount = 0;
        for (int x = 0; x < wave.width; ++x) {
            const double r = radius(wave, x, y);
            const std::uint32_t texel = wave.texel(x, y);
            if (r > 1.0 + pixel) {
                litOutside += texel != 0;
            } else if (r < 0.95) {
                const double l = luminance(texel);
                ++insideDisc;
                insideSum += l;
                nearBlackInside += l < 8.0;
                highlights += l >= 250.0;
                rowSum += l;
                ++rowCount;
            }
        }
        if (rowCount > wave.width / 4) {
            brightestRow = std::max(brightestRow, rowSum / rowCount);
        }
    }
    EXPECT_EQ(litOutside, 0) << "sphere mapping never reaches outside the disc, and black adds nothing";
    const double mean = insideSum / insideDisc;
    EXPECT_GT(mean, 40.0);
    EXPECT_LT(nearBlackInside, insideDisc / 100);
    EXPECT_GT(brightestRow, 1.5 * mean) << "a bright horizon band";
    EXPECT_GT(highlights, 20);
}

TEST(DataPictures, SkiesAreMidBrightWithSoftStructureAndNoCrushedOrBlownPatches)
{
    for (const PictureFile& file : kSkies) {
        SCOPED_TRACE(file.name);
        const DecodedBitmap sky = loadPicture(file);
        ASSERT_EQ(sky.width, file.width);
        const double pixels = static_cast<double>(sky.width) * sky.height;
        double sum = 0.0;
        double sumSquares = 0.0;
        int crushed = 0;
        int blown = 0;
        for (int y = 0; y < sky.height; ++y) {
            for (int x = 0; x < sky.width; ++x) {
                const std::uint32_t texel = sky.texel(x, y);
                const double l = luminance(texel);
                sum += l;
                sumSquares += l * l;
                crushed += l < 16.0;
                blown += std::max({channel(texel, 16), channel(texel, 8), channel(texel, 0)}) >= 250;
            }
        }
        const double mean = sum / pixels;
        const double spread = std::sqrt(sumSquares / pixels - mean * mean);
        // The sky is modulated by coloured lights: a dark picture would vanish, a bright one flatten.
        EXPECT_GT(mean, 80.0);
        EXPECT_LT(mean, 175.0);
        EXPECT_GT(spread, 8.0) << "structure, not a flat colour";
        EXPECT_LT(crushed / pixels, 0.005);
        EXPECT_LT(blown / pixels, 0.005);
    }
}

// Mean luminance step between column a and column b (or rows, when `rows` is set).
double meanStep(const DecodedBitmap& p, int a, int b, bool rows)
{
    const int length = rows ? p.width : p.height;
    double sum = 0.0;
    for (int i = 0; i < length; ++i) {
        const std::uint32_t ta = rows ? p.texel(i, a) : p.texel(a, i);
        const std::uint32_t tb = rows ? p.texel(i, b) : p.texel(b, i);
        sum += std::fabs(luminance(ta) - luminance(tb));
    }
    return sum / length;
}

TEST(DataPictures, SkiesTileWithoutASeamAtTheBoxEdges)
{
    for (const PictureFile& file : kSkies) {
        const DecodedBitmap sky = loadPicture(file);
        ASSERT_EQ(sky.width, file.width);
        for (const bool rows : {false, true}) {
            SCOPED_TRACE(std::string(file.name) + (rows ? ": top to bottom" : ": left to right"));
            const int size = rows ? sky.height : sky.width;
            double interior = 0.0;
            for (int i = 1; i < size; i += size / 16) {
                interior += meanStep(sky, i - 1, i, rows) / 16.0;
            }
            // Across the wrap, and on either side of it, the picture should change no more than
            // between neighbours inside it: a seam shows as a jump or as a line along the edge.
            for (const int from : {size - 2, size - 1, 0}) {
                EXPECT_LE(meanStep(sky, from, (from + 1) % size, rows), 2.0 * interior + 1.0) << "step from " << from;
            }
        }
    }
}

} // namespace
