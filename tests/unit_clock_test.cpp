// The show clock and the scene schedule: boundaries, the timer's wrap, jumps and odd elapsed times.
#include "app/frame.h"
#include "app/run.h"
#include "app/show_state.h"
#include "platform/timer.h"

#include <gtest/gtest.h>
#include <cstdint>

namespace {

class ShowClock : public ::testing::Test {
protected:
    void SetUp() override { showState = ShowState{}; }
    void TearDown() override
    {
        releaseClock();
        setFirstFrameTime(0);
    }
};

struct ScheduleCase {
    const char* why;
    int elapsedMs;
    int scene;
    double sceneTime;
};

constexpr ScheduleCase scheduleCases[] = {
    {"first frame starts scene 1", 0, 1, 0},
    {"last ms of scene 1", 24999, 1, 24999},
    {"scene 2 starts at 25000", 25000, 2, 0},
    {"last ms of scene 2", 41999, 2, 16999},
    {"scene 3 starts at 42000", 42000, 3, 0},
    {"late frame skips into scene 3", 43500, 3, 1500},
    {"last ms of scene 3", 66999, 3, 24999},
    {"scene 4 starts at 67000", 67000, 4, 0},
    {"last ms of scene 4", 91999, 4, 24999},
    {"scene 5 starts at 92000", 92000, 5, 0},
    {"last ms of the show", 114799, 5, 22799},
};

TEST_F(ShowClock, ScheduleBoundariesGiveSceneAndSceneTime)
{
    for (const ScheduleCase& c : scheduleCases) {
        updateSchedule(c.elapsedMs);
        EXPECT_EQ(showState.scene, c.scene) << c.why;
        EXPECT_EQ(showState.sceneTime, c.sceneTime) << c.why;
    }
}

TEST_F(ShowClock, EndOfShowSetsScene6AndKeepsSceneTime)
{
    updateSchedule(114799);
    for (int elapsed : {114800, 200000}) {
        updateSchedule(elapsed);
        EXPECT_EQ(showState.scene, 6);
        EXPECT_EQ(showState.sceneTime, 22799.0) << "scene time must be left as it was";
    }
}

TEST_F(ShowClock, NegativeElapsedTimeChangesNothing)
{
    updateSchedule(30000);
    updateSchedule(-1);
    EXPECT_EQ(showState.scene, 2);
    EXPECT_EQ(showState.sceneTime, 5000.0);
}

TEST_F(ShowClock, SceneIsZeroBeforeTheFirstUpdate)
{
    EXPECT_EQ(showState.scene, 0);
}

TEST_F(ShowClock, FirstFrameStartsTheClockAtZero)
{
    holdClockAt(123456);
    EXPECT_EQ(advanceShowClock(), 0u);
    EXPECT_TRUE(showState.clockStarted);
    EXPECT_EQ(showState.startTime, 123456u);
    EXPECT_EQ(showState.scene, 1);
    holdClockAt(123456 + 25000);
    EXPECT_EQ(advanceShowClock(), 25000u);
    EXPECT_EQ(showState.scene, 2);
}

TEST_F(ShowClock, ClockStartedPartWayShowsThatTimeOnTheFirstFrameAndRunsOnFromIt)
{
    setFirstFrameTime(100000);
    holdClockAt(5000); // the start lies before the timer's zero: it wraps
    EXPECT_EQ(advanceShowClock(), 100000u);
    EXPECT_EQ(showState.startTime, 5000u - 100000u);
    EXPECT_EQ(showState.scene, 5);
    EXPECT_EQ(showState.sceneTime, 8000.0);
    holdClockAt(5000 + 14800);
    EXPECT_EQ(advanceShowClock(), 114800u);
    EXPECT_EQ(showState.scene, 6) << "the show ends 14.8 s after a start at 100 s";
}

TEST_F(ShowClock, ResetCarriedValuesStartsAFreshRun)
{
    holdClockAt(1000);
    advanceShowClock();
    showState.cameraShift = 1.5;
    showState.cameraX = 2.0f;
    showState.cameraEndX = 3.0f;
    showState.cameraTravel = 4.0;
    showState.tunnelDepth = -5.0f;
    resetCarriedValues();
    EXPECT_FALSE(showState.clockStarted);
    EXPECT_EQ(showState.scene, 0);
    EXPECT_EQ(showState.cameraShift, 0.0);
    EXPECT_EQ(showState.cameraX, 0.0f);
    EXPECT_EQ(showState.cameraEndX, 0.0f);
    EXPECT_EQ(showState.cameraTravel, 0.0);
    EXPECT_EQ(showState.tunnelDepth, 0.0f);
    holdClockAt(7000);
    EXPECT_EQ(advanceShowClock(), 0u) << "the next frame starts the clock again";
}

TEST_F(ShowClock, TimerWrapPast32BitsKeepsElapsedTime)
{
    holdClockAt(0xFFFFF000u);
    advanceShowClock();
    holdClockAt(0xFFFFF000u + 50000u); // wraps to a small reading
    EXPECT_EQ(advanceShowClock(), 50000u);
    EXPECT_EQ(showState.scene, 3);
    EXPECT_EQ(showState.sceneTime, 8000.0);
}

TEST_F(ShowClock, SkipForwardShowsFromTheNextFrame)
{
    holdClockAt(1000);
    advanceShowClock();
    showState.skipForward = 1;
    holdClockAt(2000);
    EXPECT_EQ(advanceShowClock(), 1000u) << "the current frame was measured before the jump";
    EXPECT_EQ(showState.skipForward, 0);
    EXPECT_EQ(showState.startTime, 1000u - 10000u);
    EXPECT_EQ(advanceShowClock(), 11000u);
}

TEST_F(ShowClock, SkipBackPastTheStartFreezesUntilTheClockCatchesUp)
{
    holdClockAt(100000);
    advanceShowClock();
    holdClockAt(105000);
    advanceShowClock();
    showState.skipBack = 1;
    advanceShowClock();
    EXPECT_EQ(showState.skipBack, 0);
    EXPECT_EQ(showState.startTime, 110000u);
    // Elapsed is now -5000: scene and scene time stay as the last frame left them.
    EXPECT_EQ(advanceShowClock(), std::uint32_t(-5000));
    EXPECT_EQ(showState.scene, 1);
    EXPECT_EQ(showState.sceneTime, 5000.0);
}

TEST_F(ShowClock, OnlyAFlagOfExactlyOneRequestsAJump)
{
    holdClockAt(0);
    advanceShowClock();
    showState.skipForward = 2;
    advanceShowClock();
    EXPECT_EQ(showState.startTime, 0u);
    EXPECT_EQ(showState.skipForward, 2);
}

TEST(ShowTimer, RealTimerAdvancesInMilliseconds)
{
    const std::uint32_t first = readTimerMs();
    const std::uint32_t second = readTimerMs();
    EXPECT_LT(second - first, 1000u) << "two readings in a row differ by less than a second";
}

} // namespace
