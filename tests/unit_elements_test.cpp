// The numbers behind the scene elements: ripple heights and normals, cube-wave points, spiral
// vertices, the path's turn and the cone's track, checked without a display.
#include "elements/cube_waves.h"
#include "elements/orbiting_cone.h"
#include "elements/ripple_surface.h"
#include "elements/spiral.h"
#include "elements/stippled_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr double pi = 3.141592653589793;

// The height formula written out as the show states it, independent of the code under test.
double literalRippleHeight(double gridX, double gridY, double centreX, double centreY, double z,
                           double sceneTime)
{
    const double d = std::sqrt((gridX - centreX) * (gridX - centreX) + (gridY - centreY) * (gridY - centreY));
    return std::sin((d * 0.001 * 5 + sceneTime * 10) * 6.283) * 25 + z;
}

int gridIndex(double coordinate) { return int(coordinate - rippleGridFirst) / rippleGridStep; }

class RippleSurface : public ::testing::Test {
protected:
    std::unique_ptr<RippleGrid> grid = std::make_unique<RippleGrid>();
    std::unique_ptr<RippleFrame> frame = std::make_unique<RippleFrame>();

    const RippleFrame& frameFor(double centreX, double centreY, double z, double sceneTime)
    {
        computeRippleGrid(centreX, centreY, *grid);
        computeRippleFrame(*grid, z, sceneTime, *frame);
        return *frame;
    }
};

TEST_F(RippleSurface, HeightsMatchAtTheCentreAQuarterWaveOutAndAtTheCrest)
{
    struct Case {
        const char* what;
        double centreX, centreY, gridX, gridY, expected;
    };
    // (0, 2) to (48, 16) is exactly 50 units: no two grid points are 50 apart.
    const Case cases[] = {
        {"distance 0", 0, 0, 0, 0, 0.0},
        {"distance 0, centre off the origin", 100, -60, 100, -60, 0.0},
        {"distance 4", 0, 0, 4, 0, 3.133238916097524},
        {"distance 50, a crest", 0, 2, 48, 16, 24.99999997317285},
    };
    for (const Case& c : cases) {
        const RippleFrame& f = frameFor(c.centreX, c.centreY, 0, 0);
        EXPECT_NEAR(f.heights[gridIndex(c.gridY)][gridIndex(c.gridX)], c.expected, 1e-12) << c.what;
    }
}

TEST_F(RippleSurface, HeightsMatchTheFormulaFromFirstToLastVertex)
{
    struct Case {
        double centreX, centreY, z, sceneTime;
    };
    // At time 0 a folded constant (d * 0.005 for d * 0.001 * 5) changes a quarter of the surface;
    // the last scene-5 millisecond puts the phase term past 1.4e6 rad.
    const Case cases[] = {{0, 0, 0, 0}, {0, 0, -7179.75, 22799}, {13.5, -250.25, 40, 9001}};
    for (const Case& c : cases) {
        const RippleFrame& f = frameFor(c.centreX, c.centreY, c.z, c.sceneTime);
        int mismatches = 0;
        for (int row = 0; row < rippleGridSize; ++row)
            for (int column = 0; column < rippleGridSize; ++column)
                mismatches += f.heights[row][column] != literalRippleHeight(rippleCoordinate(column), rippleCoordinate(row),
                                                                            c.centreX, c.centreY, c.z, c.sceneTime);
        EXPECT_EQ(mismatches, 0) << "centre " << c.centreX << ", " << c.centreY << " at " << c.sceneTime;
    }
    // The first vertex of a frame is (-480, -480), the last (476, 476).
    EXPECT_EQ(rippleCoordinate(0), -480.0);
    EXPECT_EQ(rippleCoordinate(rippleGridSize - 1), 476.0);
}

TEST_F(RippleSurface, NormalsAreUnitVectorsTowardsPlusZ)
{
    for (double sceneTime : {0.0, 1234.0, 22799.0}) {
        const RippleFrame& f = frameFor(0, 0, -7179.75, sceneTime);
        for (int strip = 0; strip < rippleStripCount; ++strip)
            for (int pair = 0; pair < rippleGridSize; ++pair) {
                const double* n = f.normals[strip][pair];
                ASSERT_GT(n[2], 0.0) << "strip " << strip << " pair " << pair;
                ASSERT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0, 1e-12);
            }
    }
}

TEST_F(RippleSurface, NormalsFollowTheSlopeToTheNextColumnAndRow)
{
    // Strip 10, pair 20 from its neighbours; the last pair of the strip from the point at
    // X = 480, which lies off the surface and must come from the formula.
    const double z = 5, sceneTime = 777;
    const RippleFrame& f = frameFor(30, -40, z, sceneTime);
    const int strip = 10;
    const double y = rippleCoordinate(strip);
    for (int pair : {20, rippleGridSize - 1}) {
        const double x = rippleCoordinate(pair);
        const double here = literalRippleHeight(x, y, 30, -40, z, sceneTime);
        const double dx = literalRippleHeight(x + 4, y, 30, -40, z, sceneTime) - here;
        const double dy = literalRippleHeight(x, y + 4, 30, -40, z, sceneTime) - here;
        const double length = std::sqrt(16 * dx * dx + 16 * dy * dy + 256);
        const double* n = f.normals[strip][pair];
        EXPECT_NEAR(n[0], -4 * dx / length, 1e-12) << "pair " << pair;
        EXPECT_NEAR(n[1], -4 * dy / length, 1e-12) << "pair " << pair;
        EXPECT_NEAR(n[2], 16 / length, 1e-12) << "pair " << pair;
    }
}

TEST_F(RippleSurface, SharedHeightsEqualTheStripByStripFormBitForBit)
{
    struct Case {
        double centreX, centreY, z, sceneTime;
    };
    const Case cases[] = {
        {0, 0, -7179.75, 0}, {0, 0, -7179.75, 22799}, {-0.5, 333.25, 12, 4567}, {476, -480, 0, 18600},
    };
    auto plain = std::make_unique<RippleFrame>();
    for (const Case& c : cases) {
        computeRippleFrameByStrips(c.centreX, c.centreY, c.z, c.sceneTime, *plain);
        const RippleFrame& fast = frameFor(c.centreX, c.centreY, c.z, c.sceneTime);
        EXPECT_EQ(std::memcmp(fast.heights, plain->heights, sizeof fast.heights), 0)
            << "centre " << c.centreX << ", " << c.centreY << " at " << c.sceneTime;
        EXPECT_EQ(std::memcmp(fast.normals, plain->normals, sizeof fast.normals), 0)
            << "centre " << c.centreX << ", " << c.centreY << " at " << c.sceneTime;
    }
}

TEST(CubeWaves, PointsStandOnTheGridColumnByColumn)
{
    const auto points = cubeWavePoints(0);
    for (int i = 0; i < cubeWavePointCount; ++i) {
        EXPECT_EQ(points[i].x, -1099 + 50 * (i / cubeWaveRows)) << i;
        EXPECT_EQ(points[i].z, -180 + 60 * (i % cubeWaveRows)) << i;
    }
    EXPECT_EQ(points.back().x, 901);
    EXPECT_EQ(points.back().z, 180);
}

TEST(CubeWaves, WaveHeightsMatchTheFormulaAtTimes0And1000)
{
    struct Case {
        int sceneTimeMs, index;
        double y1, y2;
    };
    // Index 8 is column c = 50, row r = 30.
    const Case cases[] = {
        {0, 0, 250, -250},
        {1000, 0, 298.7469846082927, -163.3943713337774},
        {1000, 8, 233.56346826398544, -309.24927258505653},
    };
    for (const Case& c : cases) {
        const CubeWavePoint p = cubeWavePoints(c.sceneTimeMs)[c.index];
        EXPECT_NEAR(p.y1, c.y1, 1e-9) << c.sceneTimeMs << " #" << c.index;
        EXPECT_NEAR(p.y2, c.y2, 1e-9) << c.sceneTimeMs << " #" << c.index;
    }
}

TEST(CubeWaves, WavesStayInTheirBands)
{
    for (int t = 0; t <= 17000; t += 97)
        for (const CubeWavePoint& p : cubeWavePoints(t)) {
            ASSERT_GE(p.y1, 200) << t;
            ASSERT_LE(p.y1, 300) << t;
            ASSERT_GE(p.y2, -350) << t;
            ASSERT_LE(p.y2, -150) << t;
        }
}

TEST(Spiral, FirstAndLastVerticesLieOnTheTurns)
{
    struct Case {
        float radius;
        float lastX, lastY;
    };
    // The last vertex lies at 199 * 3.1415 / 18 = 34.7310277... rad, not on a whole turn.
    const Case cases[] = {
        {100, float(100 * -0.9849851105560813), float(100 * -0.1726393118117202)},
        {0, 0, 0},
    };
    for (const Case& c : cases) {
        const auto vertices = spiralVertices(c.radius);
        EXPECT_EQ(vertices.front().x, c.radius);
        EXPECT_EQ(vertices.front().y, 0.0f);
        EXPECT_EQ(vertices.front().z, 0.0f);
        EXPECT_FLOAT_EQ(vertices.back().x, c.lastX) << c.radius;
        EXPECT_FLOAT_EQ(vertices.back().y, c.lastY) << c.radius;
        EXPECT_EQ(vertices.back().z, 995.0f);
    }
}

TEST(StippledPath, TurnsPoint02DegreesPerMillisecond)
{
    EXPECT_EQ(stippledPathAngle(0), 0.0);
    EXPECT_EQ(stippledPathAngle(4500), 90.0);
    EXPECT_NEAR(stippledPathAngle(18000), 360.0, 1e-9);
}

TEST(OrbitingCone, BaseCentreFollowsTheRosette)
{
    const ConePosition start = orbitingConePosition(0);
    EXPECT_EQ(start.x, 601.0);
    EXPECT_EQ(start.y, 0.0);
    EXPECT_EQ(start.z, 0.0);

    // Angle 2 pi: the scale is -4 and the cone is across the origin at its far end.
    const ConePosition far = orbitingConePosition(10 * pi);
    EXPECT_NEAR(far.x, -399, 1e-9);
    EXPECT_NEAR(far.y, 0, 1e-9);
    EXPECT_NEAR(far.z, 0, 1e-9);

    for (double source : {1.0, 7.5, 33.0}) {
        const ConePosition ahead = orbitingConePosition(source);
        const ConePosition back = orbitingConePosition(-source);
        EXPECT_NEAR(back.x, ahead.x, 1e-9) << "a negative source runs the track backwards";
        EXPECT_NEAR(back.y, -ahead.y, 1e-9);
        EXPECT_NEAR(back.z, -ahead.z, 1e-9);
        const ConePosition next = orbitingConePosition(source + 20 * pi);
        EXPECT_NEAR(next.x, ahead.x, 1e-9) << "the track repeats every 20 pi";
        EXPECT_NEAR(next.y, ahead.y, 1e-9);
        EXPECT_NEAR(next.z, ahead.z, 1e-9);
    }
}

} // namespace
