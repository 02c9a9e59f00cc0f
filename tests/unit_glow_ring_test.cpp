// The ring's numbers without a display: the seven orbit positions at chosen times, the shrink
// rule at its boundaries, and the two rings' radii kept apart.
#include "elements/light_ring.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

// The item table as the show describes it: angle = k * 3.1415 * t + offset.
struct Path {
    int azimuthK;
    long double azimuthOffset;
    int polarK;
    long double polarOffset;
};
constexpr Path describedPaths[orbitItemCount] = {
    {18, 111, 14, 157},   {26, 23, -6, -47},     {-34, -723, 24, 43},    {-22, 37, -8, -113},
    {-14, -129, 28, 91},  {32, 319, -16, -213},  {-10, -789, -30, -456},
};

TEST(OrbitPositions, ItemZeroMatchesTheShowsOwnFigures)
{
    struct Case {
        int sceneTimeMs;
        double x, y, z;
    };
    const Case cases[] = {
        {0, 9.994, 17.193, 249.208},
        {1000, 199.151, -143.233, 48.200},
    };
    for (const Case& c : cases) {
        const OrbitItem item = orbitItems(c.sceneTimeMs, 0, 0, 0, 250.0)[0];
        EXPECT_NEAR(item.x, c.x, 5e-4) << "t = " << c.sceneTimeMs;
        EXPECT_NEAR(item.y, c.y, 5e-4) << "t = " << c.sceneTimeMs;
        EXPECT_NEAR(item.z, c.z, 5e-4) << "t = " << c.sceneTimeMs;
        EXPECT_EQ(item.size, 100);
        EXPECT_EQ(item.radius, 250.0);
    }
}

// Late in a scene the angles are millions of radians: single-precision angles, pi in place of
// 3.1415, or a wrong table entry all move the sparkles far from a wide-precision reference.
TEST(OrbitPositions, AllSevenItemsFollowTheirOrbitsLateInTheScene)
{
    for (int t : {1, 333, 24999, 1000000}) {
        const OrbitItems items = orbitItems(t, 3, -4, 7, 250.0);
        for (int i = 0; i < orbitItemCount; ++i) {
            const Path& p = describedPaths[i];
            const long double azimuth = p.azimuthK * 3.1415L * t + p.azimuthOffset;
            const long double polar = p.polarK * 3.1415L * t + p.polarOffset;
            const double tolerance = 1e-6 * (1 + t / 1000.0);
            EXPECT_NEAR(items[i].x, std::sin(polar) * std::cos(azimuth) * 250 + 3, tolerance) << "item " << i << " t " << t;
            EXPECT_NEAR(items[i].y, std::sin(polar) * std::sin(azimuth) * 250 - 4, tolerance) << "item " << i << " t " << t;
            EXPECT_NEAR(items[i].z, std::cos(polar) * 250 + 7, tolerance) << "item " << i << " t " << t;
        }
    }
}

TEST(OrbitPositions, ZeroRadiusGathersEveryItemAtTheCentreAndNegativeMirrorsThroughIt)
{
    const OrbitItems full = orbitItems(5000, 10, 20, -30, 250.0);
    const OrbitItems collapsed = orbitItems(5000, 10, 20, -30, 0.0);
    const OrbitItems mirrored = orbitItems(5000, 10, 20, -30, -250.0);
    for (int i = 0; i < orbitItemCount; ++i) {
        EXPECT_EQ(collapsed[i].x, 10.0);
        EXPECT_EQ(collapsed[i].y, 20.0);
        EXPECT_EQ(collapsed[i].z, -30.0);
        EXPECT_NEAR(mirrored[i].x - 10, -(full[i].x - 10), 1e-9) << "item " << i;
        EXPECT_NEAR(mirrored[i].y - 20, -(full[i].y - 20), 1e-9) << "item " << i;
        EXPECT_NEAR(mirrored[i].z + 30, -(full[i].z + 30), 1e-9) << "item " << i;
    }
}

TEST(RingShrinkRule, HoldsFullUntil105SecondsThenLosesOneUnitPer16Ms)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double before;
        int showTimeMs;
        double after;
    };
    const Case cases[] = {
        {250, 0, 250},           // scenes 2 to 4 pass 0
        {250, -5000, 250},       // the comparison is signed
        {250, 104999, 250},      // one before the start
        {250, 105000, 250},      // the first update, no visible change
        {250, 105015, 250},
        {250, 105016, 249},
        {250, 108999, 1},
        {250, 109000, 0},
        {250, 109100, -6},       // a first update past the end overshoots
        {0, 109500, 0},          // spent: never changed again
        {-6, 110000, -6},
        {-6, 0, -6},
        {137, 105000, 250},      // the rule sets the radius, it does not subtract from it
        {250, INT_MAX, -134210915}, // far past the end: no overflow, still spent
    };
    for (const Case& c : cases)
        EXPECT_EQ(shrinkRingRadius(c.before, c.showTimeMs), c.after)
            << "radius " << c.before << " at " << c.showTimeMs;
    EXPECT_TRUE(std::isnan(shrinkRingRadius(nan, 106000)));
}

class RingRadii : public ::testing::Test {
protected:
    void SetUp() override { resetRingRadii(); }
    void TearDown() override { resetRingRadii(); }
};

struct RingPair {
    const char* name;
    Ring shrinking, other;
};
// A shared radius, or one ring's update reaching the other, fails one of these rows.
constexpr RingPair ringPairs[] = {{"light ring", Ring::light, Ring::glow}, {"glow ring", Ring::glow, Ring::light}};

TEST_F(RingRadii, ShrinkingOneRingLeavesTheOtherFull)
{
    const int times[] = {104999, 105000, 105016, 106000, 108999, 109000, 109500, 200000};
    const double radii[] = {250, 250, 249, 188, 1, 0, 0, 0};
    for (const RingPair& pair : ringPairs) {
        resetRingRadii();
        for (int i = 0; i < 8; ++i) {
            advanceRingRadius(pair.shrinking, times[i]);
            EXPECT_EQ(ringRadius(pair.shrinking), radii[i]) << pair.name << " at " << times[i];
            EXPECT_EQ(ringRadius(pair.other), 250.0) << pair.name << " shrinking, at " << times[i];
        }
    }
}

TEST_F(RingRadii, ASpentRadiusStaysWhereItsLastUpdateLeftIt)
{
    for (const RingPair& pair : ringPairs) {
        resetRingRadii();
        advanceRingRadius(pair.shrinking, 108990);
        EXPECT_EQ(ringRadius(pair.shrinking), 1.0) << pair.name;
        advanceRingRadius(pair.shrinking, 109100);
        EXPECT_EQ(ringRadius(pair.shrinking), -6.0) << pair.name;
        for (int t : {109000, 105000, 0, 114799})
            advanceRingRadius(pair.shrinking, t);
        EXPECT_EQ(ringRadius(pair.shrinking), -6.0) << pair.name << ": a spent ring came back";
    }
}

TEST_F(RingRadii, ResetPutsBothRingsBackToFull)
{
    advanceRingRadius(Ring::light, 107000);
    advanceRingRadius(Ring::glow, 109000);
    resetRingRadii();
    EXPECT_EQ(ringRadius(Ring::light), 250.0);
    EXPECT_EQ(ringRadius(Ring::glow), 250.0);
}

} // namespace
