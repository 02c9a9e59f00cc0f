// The four pictures makedata writes, read back through the show's own bitmap decoder: their
// format and size, and the trait each needs for the way the show draws it.
#include "app/data_files.h"
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

constexpr PictureFile glowFile = {glowPictureFile, 128, 128};
constexpr PictureFile skyBFile = {skyPictureBFile, 1024, 1024};
constexpr PictureFile skyAFile = {skyPictureAFile, 1024, 1024};
constexpr PictureFile waveFile = {wavePictureFile, 512, 512};
constexpr PictureFile pictureFiles[] = {glowFile, skyBFile, skyAFile, waveFile};
constexpr PictureFile skyFiles[] = {skyAFile, skyBFile};

std::vector<std::uint8_t> readPictureBytes(const PictureFile& file)
{
    std::ifstream in(dataFilePath(file.name), std::ios::binary);
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
    for (const PictureFile& file : pictureFiles) {
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

// The mean luminance of row y (or column y, when `columns` is set) across the whole picture.
double lineMean(const DecodedBitmap& p, int y, bool columns)
{
    double sum = 0.0;
    for (int i = 0; i < p.width; ++i) {
        sum += luminance(columns ? p.texel(y, i) : p.texel(i, y));
    }
    return sum / p.width;
}

TEST(DataPictures, GlowPicturePeaksBelowHalfWithANeutralPointedCoreAndIsDarkInItsOuterRings)
{
    const DecodedBitmap glow = loadPicture(glowFile);
    ASSERT_EQ(glow.width, glowFile.width);

    // Light in the texture's two outermost rings of texels would outline the crossed squares the
    // sparkle is drawn on: every channel there stays at 2 or below.
    int litOuterRings = 0;
    int brightest = 0;
    for (int y = 0; y < glow.height; ++y) {
        for (int x = 0; x < glow.width; ++x) {
            const std::uint32_t texel = glow.texel(x, y);
            const int level = std::max({channel(texel, 16), channel(texel, 8), channel(texel, 0)});
            brightest = std::max(brightest, level);
            const int fromEdge = std::min({x, y, glow.width - 1 - x, glow.height - 1 - y});
            if (fromEdge < 2 && level > 2) {
                ++litOuterRings;
            }
        }
    }
    EXPECT_EQ(litOuterRings, 0) << "texels above 2 in the two outermost rings";
    // The glow pass screens each of a sparkle's overlapping squares over the last: a peak near
    // white clips their sum to a flat disc, a faint one leaves the sparkles dim.
    EXPECT_GE(brightest, 100);
    EXPECT_LE(brightest, 135) << "a peak near white burns out where squares overlap";

    const int c = glow.width / 2;
    const std::uint32_t centre = glow.texel(c, c);
    const int channels[3] = {channel(centre, 16), channel(centre, 8), channel(centre, 0)};
    EXPECT_GE(*std::min_element(channels, channels + 3), brightest - 6) << "the peak is at the centre";
    EXPECT_LE(*std::max_element(channels, channels + 3) - *std::min_element(channels, channels + 3), 6)
        << "the show tints the sparkle, so its core must be neutral";
    // A point of light has a gradient all the way in: three texels out it is clearly darker
    // than at the centre, where a plateau would leave it as bright.
    EXPECT_LE(luminance(glow.texel(c + 3, c)), luminance(centre) - 12.0) << "a flat plateau at the core";
}

TEST(DataPictures, GlowPictureFallsOffSmoothlyFromCentreToBlackWithNoBrightRowOrColumn)
{
    const DecodedBitmap glow = loadPicture(glowFile);
    ASSERT_EQ(glow.width, glowFile.width);
    constexpr int rings = 20; // 0.05 half-widths each, out to 1
    std::vector<double> sum(rings, 0.0);
    std::vector<int> count(rings, 0);
    for (int y = 0; y < glow.height; ++y) {
        for (int x = 0; x < glow.width; ++x) {
            const int ring = static_cast<int>(radius(glow, x, y) / 0.05);
            if (ring < rings) {
                sum[ring] += luminance(glow.texel(x, y));
                ++count[ring];
            }
        }
    }
    for (int ring = 1; ring < rings; ++ring) {
        SCOPED_TRACE("ring " + std::to_string(ring));
        const double inner = sum[ring - 1] / count[ring - 1];
        const double outer = sum[ring] / count[ring];
        EXPECT_LE(outer, inner + 0.5) << "no bright ring outside the core";
        EXPECT_LE(inner - outer, 45.0) << "no hard edge";
    }
    EXPECT_LT(sum[rings - 1] / count[rings - 1], 1.0) << "fades to black at the edge";

    // A square seen edge-on shows one row (or column) of the sparkle as a line: no row or column
    // near the centre may stand out from the ones two texels either side of it.
    for (const bool columns : {false, true}) {
        for (int y = glow.width / 2 - 8; y <= glow.width / 2 + 8; ++y) {
            const double neighbours = 0.5 * (lineMean(glow, y - 2, columns) + lineMean(glow, y + 2, columns));
            EXPECT_LE(lineMean(glow, y, columns), 1.08 * neighbours + 0.2)
                << (columns ? "column " : "row ") << y << " is a bright line through the sparkle";
        }
    }
}

// The part of the wave map the ripple surface reflects in scene 5: sphere mapping turns the flat
// and gently sloped surface's normals, seen from scene 5's camera, into the lower middle of the
// disc (columns 128-384, rows 320-512 of 512, row 0 at the top), most of all its bottom centre.
struct Region {
    int left, top, right, bottom;
};
constexpr Region reflectedRegion = {128, 320, 384, 512};

TEST(DataPictures, WaveMapIsBrightWhereTheRippleSurfaceReflectsAndCarriesItsRimOutsideTheDisc)
{
    const DecodedBitmap wave = loadPicture(waveFile);
    ASSERT_EQ(wave.width, waveFile.width);
    const double pixel = 2.0 / wave.width; // one pixel in half-widths
    // Steep ripples reflect the disc's very edge, where filtering blends in the texels outside
    // it: each of those must carry the colour of the rim on its own radius (the texel 1.5 texels
    // inside the edge along the line to the centre), or the crests show dotted dark lines.
    const double half = wave.width / 2.0;
    double outsideDifference = 0.0;
    int outsideCount = 0;
    int worstOutside = 0;
    double reflectedSum = 0.0;
    int reflectedCount = 0;
    int darkReflected = 0;
    for (int y = 0; y < wave.height; ++y) {
        for (int x = 0; x < wave.width; ++x) {
            const double r = radius(wave, x, y);
            const std::uint32_t texel = wave.texel(x, y);
            if (r > 1.0 + pixel) {
                const double toCentre = (half - 1.5) / (r * half);
                const int rx = static_cast<int>(half + (x + 0.5 - half) * toCentre);
                const int ry = static_cast<int>(half + (y + 0.5 - half) * toCentre);
                const std::uint32_t rim = wave.texel(rx, ry);
                for (const int shift : {16, 8, 0}) {
                    const int d = std::abs(channel(texel, shift) - channel(rim, shift));
                    outsideDifference += d;
                    worstOutside = std::max(worstOutside, d);
                }
                outsideCount += 3;
            } else if (r < 0.97 && x >= reflectedRegion.left && x < reflectedRegion.right
                       && y >= reflectedRegion.top && y < reflectedRegion.bottom) {
                const double l = luminance(texel);
                reflectedSum += l;
                ++reflectedCount;
                darkReflected += l < 90.0;
            }
        }
    }
    ASSERT_GT(outsideCount, 0);
    EXPECT_LE(outsideDifference / outsideCount, 2.0) << "mean difference from the rim's colour, levels";
    EXPECT_LE(worstOutside, 12) << "largest difference from the rim's colour, levels";
    ASSERT_GT(reflectedCount, 0);
    // Scene 5's finale is the surface alone: what it reflects is what the picture shows.
    EXPECT_GT(reflectedSum / reflectedCount, 150.0) << "a dark band where the surface reflects darkens the finale";
    EXPECT_LT(darkReflected, reflectedCount / 50) << "dark patches in the reflected region";
}

TEST(DataPictures, WaveMapHasNoFeatureSmallerThanAFewTexels)
{
    // The surface magnifies the map many times: a point sun or a thin line shows as a blocky
    // rectangle or a dotted line. Inside the disc every texel stays close to the mean of the
    // 7 x 7 texels around it, as in a picture of broad shapes.
    const DecodedBitmap wave = loadPicture(waveFile);
    ASSERT_EQ(wave.width, waveFile.width);
    double worst = 0.0;
    int worstX = 0;
    int worstY = 0;
    for (int y = 3; y < wave.height - 3; ++y) {
        for (int x = 3; x < wave.width - 3; ++x) {
            if (radius(wave, x, y) > 0.95) {
                continue;
            }
            double sum = 0.0;
            for (int dy = -3; dy <= 3; ++dy) {
                for (int dx = -3; dx <= 3; ++dx) {
                    sum += luminance(wave.texel(x + dx, y + dy));
                }
            }
            const double difference = std::fabs(luminance(wave.texel(x, y)) - sum / 49.0);
            if (difference > worst) {
                worst = difference;
                worstX = x;
                worstY = y;
            }
        }
    }
    EXPECT_LT(worst, 6.0) << "a small feature at column " << worstX << ", row " << worstY;
}

// Rows from the top down to the start of the bottom fade.
constexpr double skyFadeFraction = 0.12;

TEST(DataPictures, SkiesUseTheFullRangeAndAreBrightestAtTheFaceCentreTheCameraSees)
{
    for (const PictureFile& file : skyFiles) {
        SCOPED_TRACE(file.name);
        const DecodedBitmap sky = loadPicture(file);
        ASSERT_EQ(sky.width, file.width);
        const int fadeStart = static_cast<int>(sky.height * (1.0 - skyFadeFraction));
        std::vector<double> levels;
        double centreSum = 0.0;
        int centreCount = 0;
        double borderSum = 0.0;
        int borderCount = 0;
        int blown = 0;
        for (int y = 0; y < fadeStart; ++y) {
            for (int x = 0; x < sky.width; ++x) {
                const std::uint32_t texel = sky.texel(x, y);
                const double l = luminance(texel);
                levels.push_back(l);
                blown += std::max({channel(texel, 16), channel(texel, 8), channel(texel, 0)}) >= 250;
                const double dx = std::fabs(x + 0.5 - sky.width / 2.0) / sky.width;
                const double dy = std::fabs(y + 0.5 - sky.height / 2.0) / sky.height;
                if (dx < 1.0 / 6 && dy < 1.0 / 6) {
                    centreSum += l;
                    ++centreCount;
                } else if (dx > 0.4 || dy > 0.4) {
                    borderSum += l;
                    ++borderCount;
                }
            }
        }
        std::sort(levels.begin(), levels.end());
        const double pixels = static_cast<double>(levels.size());
        double sum = 0.0;
        for (double l : levels) {
            sum += l;
        }
        const double mean = sum / pixels;
        // The sky is modulated by coloured lights at about half strength: a dark or narrow
        // picture comes out dim and flat on screen.
        EXPECT_GT(mean, 90.0);
        EXPECT_LT(mean, 200.0);
        EXPECT_LT(levels[levels.size() / 100], 40.0) << "the darkest percent is not dark: a narrow range";
        EXPECT_GT(levels[levels.size() * 99 / 100], 200.0) << "the brightest percent is not bright: a narrow range";
        EXPECT_LT(blown / pixels, 0.005) << "blown patches flatten under the lights";
        EXPECT_GT(centreSum / centreCount, 1.2 * borderSum / borderCount)
            << "the cameras see the face's centre: that is where the picture's light belongs";
    }
}

TEST(DataPictures, SkiesFadeSoftlyToBlackAlongTheirBottomRows)
{
    // Scene 4 sees the faces' bottom edge against black below its horizon: a lit last row is a
    // hard horizon line, a sudden fade a visible band.
    for (const PictureFile& file : skyFiles) {
        SCOPED_TRACE(file.name);
        const DecodedBitmap sky = loadPicture(file);
        ASSERT_EQ(sky.width, file.width);
        EXPECT_LT(lineMean(sky, sky.height - 1, false), 3.0) << "the last row is black";
        const int fadeRows = static_cast<int>(sky.height * skyFadeFraction);
        EXPECT_GT(lineMean(sky, sky.height - 1 - fadeRows, false), 40.0) << "lit above the fade";
        for (int y = sky.height - fadeRows; y < sky.height; ++y) {
            EXPECT_LE(std::fabs(lineMean(sky, y, false) - lineMean(sky, y - 1, false)), 3.0)
                << "a step in the fade at row " << y;
        }
    }
}

// Mean luminance step between column a and column b.
double meanColumnStep(const DecodedBitmap& p, int a, int b)
{
    double sum = 0.0;
    for (int i = 0; i < p.height; ++i) {
        sum += std::fabs(luminance(p.texel(a, i)) - luminance(p.texel(b, i)));
    }
    return sum / p.height;
}

TEST(DataPictures, SkiesTileWithoutASeamFromLeftToRight)
{
    // The box's side faces meet edge to edge; top and bottom are never seen together.
    for (const PictureFile& file : skyFiles) {
        SCOPED_TRACE(file.name);
        const DecodedBitmap sky = loadPicture(file);
        ASSERT_EQ(sky.width, file.width);
        const int size = sky.width;
        double interior = 0.0;
        for (int i = 1; i < size; i += size / 16) {
            interior += meanColumnStep(sky, i - 1, i) / 16.0;
        }
        // Across the wrap, and on either side of it, the picture should change no more than
        // between neighbours inside it: a seam shows as a jump or as a line along the edge.
        for (const int from : {size - 2, size - 1, 0}) {
            EXPECT_LE(meanColumnStep(sky, from, (from + 1) % size), 2.0 * interior + 1.0) << "step from " << from;
        }
    }
}

TEST(DataPictures, SkiesMatchAcrossTheWrapInRowsAndColumns)
{
    // The sky textures repeat: filtering blends the last row into the first (scene 4's horizon)
    // and the last column into the first. The texels that meet there differ by at most 3 levels
    // of luminance on average, or a line shows.
    for (const PictureFile& file : skyFiles) {
        SCOPED_TRACE(file.name);
        const DecodedBitmap sky = loadPicture(file);
        ASSERT_EQ(sky.width, file.width);
        const int last = sky.width - 1;
        double rows = 0.0;
        for (int x = 0; x < sky.width; ++x) {
            rows += std::fabs(luminance(sky.texel(x, 0)) - luminance(sky.texel(x, last))) / sky.width;
        }
        EXPECT_LE(rows, 3.0) << "first and last rows";
        EXPECT_LE(meanColumnStep(sky, last, 0), 3.0) << "first and last columns";
    }
}

} // namespace
