// The sparkle's corners: the integer half size, the four angles taken as radians, the three
// squares per angle with their texture coordinates, all checked without a display.
#include "elements/sparkle.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Corner {
    float x, y, z;
};

void expectCorner(const SparkleVertex& v, Corner want, const char* what, int index)
{
    EXPECT_FLOAT_EQ(v.x, want.x) << what << " corner " << index;
    EXPECT_FLOAT_EQ(v.y, want.y) << what << " corner " << index;
    EXPECT_FLOAT_EQ(v.z, want.z) << what << " corner " << index;
}

TEST(SparkleCorners, FirstAngleGivesThreePerpendicularSquaresWithTheirCornersInDrawingOrder)
{
    const SparkleVertices v = sparkleVertices(150, 0, 0, 0);
    const Corner want[12] = {
        {-75, 0, 75}, {75, 0, 75}, {75, 0, -75}, {-75, 0, -75}, // turning about z
        {75, -75, 0}, {75, 75, 0}, {-75, 75, 0}, {-75, -75, 0}, // turning about x
        {0, 75, -75}, {0, 75, 75}, {0, -75, 75}, {0, -75, -75}, // turning about y
    };
    for (int i = 0; i < 12; ++i)
        expectCorner(v[i], want[i], "a = 0", i);
}

TEST(SparkleCorners, EverySquareStartsAtTextureCornerZeroOneAndRunsAround)
{
    const SparkleVertices v = sparkleVertices(150, 3, -4, 5);
    const float want[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int i = 0; i < sparkleVertexCount; ++i) {
        EXPECT_EQ(v[i].s, want[i % 4][0]) << "corner " << i;
        EXPECT_EQ(v[i].t, want[i % 4][1]) << "corner " << i;
    }
}

// 45 degrees would give p = q = 53.03 and four orientations a quarter turn apart.
TEST(SparkleCorners, AnglesAreTakenAsRadiansNotDegrees)
{
    const SparkleVertices v = sparkleVertices(150, 0, 0, 0);
    const SparkleVertex& secondAngle = v[12];
    EXPECT_NEAR(-secondAngle.x, 39.3992, 1e-4); // p = cos(45 rad) * 75
    EXPECT_NEAR(-secondAngle.y, 63.8178, 1e-4); // q = sin(45 rad) * 75

    // The direction each angle's first square spans in the x-y plane, in degrees.
    const double orientations[4] = {0.0, 58.31, 116.62, 174.93};
    for (int a = 0; a < 4; ++a) {
        const SparkleVertex& from = v[a * 12];
        const SparkleVertex& to = v[a * 12 + 1];
        const double degrees = std::atan2(to.y - from.y, to.x - from.x) * 180.0 / 3.141592653589793;
        EXPECT_NEAR(degrees, orientations[a], 0.01) << "angle " << a;
    }
}

// Every square must have its centre at the sparkle's centre and edges of 2h, at every angle.
TEST(SparkleCorners, EverySquareIsCentredOnTheSparkleWithEdgeTwiceTheIntegerHalf)
{
    struct Case {
        int size;
        int x, y, z;
        float edge;
    };
    const Case cases[] = {
        {150, 0, 0, 0, 150},
        {150, 10, -20, 30, 150},
        {7, 0, 0, 0, 6},   // odd sizes lose one unit
        {-7, 5, 5, 5, 6},  // the half is truncated towards zero: -3
        {100, -1000, 400, -2500, 100},
    };
    for (const Case& c : cases) {
        const SparkleVertices v = sparkleVertices(c.size, c.x, c.y, c.z);
        for (int square = 0; square < 12; ++square) {
            const SparkleVertex* k = &v[square * 4];
            for (int diagonal = 0; diagonal < 2; ++diagonal) {
                const SparkleVertex& a = k[diagonal];
                const SparkleVertex& b = k[diagonal + 2];
                EXPECT_NEAR((a.x + b.x) / 2, c.x, 1e-3) << "size " << c.size << " square " << square;
                EXPECT_NEAR((a.y + b.y) / 2, c.y, 1e-3) << "size " << c.size << " square " << square;
                EXPECT_NEAR((a.z + b.z) / 2, c.z, 1e-3) << "size " << c.size << " square " << square;
            }
            for (int side = 0; side < 4; ++side) {
                const SparkleVertex& a = k[side];
                const SparkleVertex& b = k[(side + 1) % 4];
                const double length = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                                                (a.z - b.z) * (a.z - b.z));
                EXPECT_NEAR(length, c.edge, 1e-3) << "size " << c.size << " square " << square;
            }
        }
    }
}

// A negative size draws the same squares from the opposite corner: each picture turned by half.
TEST(SparkleCorners, NegativeSizeStartsEverySquareFromTheOppositeCorner)
{
    const SparkleVertices positive = sparkleVertices(7, 2, 3, 4);
    const SparkleVertices negative = sparkleVertices(-7, 2, 3, 4);
    for (int i = 0; i < sparkleVertexCount; ++i) {
        const SparkleVertex& opposite = positive[i - i % 4 + (i % 4 + 2) % 4];
        EXPECT_EQ(negative[i].x, opposite.x) << "corner " << i;
        EXPECT_EQ(negative[i].y, opposite.y) << "corner " << i;
        EXPECT_EQ(negative[i].z, opposite.z) << "corner " << i;
        EXPECT_EQ(negative[i].s, positive[i].s) << "corner " << i;
        EXPECT_EQ(negative[i].t, positive[i].t) << "corner " << i;
    }
}

TEST(SparkleCorners, SizesBelowTwoCollapseOntoTheCentre)
{
    for (int size : {0, 1, -1}) {
        for (const SparkleVertex& v : sparkleVertices(size, -8, 9, 10)) {
            EXPECT_EQ(v.x, -8.0f) << "size " << size;
            EXPECT_EQ(v.y, 9.0f) << "size " << size;
            EXPECT_EQ(v.z, 10.0f) << "size " << size;
        }
    }
}

} // namespace
