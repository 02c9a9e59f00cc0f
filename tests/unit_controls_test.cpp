// The viewer's controls without a window: which key does what, where the scene jumps land, the
// jump keys' request flags and the start time they move, and the status line's text.
#include "app/controls.h"
#include "app/frame.h"
#include "app/music.h"
#include "app/run.h"
#include "app/show_options.h"
#include "app/show_state.h"
#include "app/status_line.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <vector>
#include <cstdint>
#include <string>
#include <tuple>

namespace {

struct KeyCase {
    const char* why;
    bool special;
    int key;
    Control control;
};

const KeyCase keyCases[] = {
    {"Space pauses and resumes", false, ' ', Control::togglePause},
    {"q ends the show", false, 'q', Control::quit},
    {"Q as q", false, 'Q', Control::quit},
    {"f toggles full screen", false, 'f', Control::toggleFullScreen},
    {"F as f", false, 'F', Control::toggleFullScreen},
    {"l toggles the loop", false, 'l', Control::toggleLoop},
    {"L as l", false, 'L', Control::toggleLoop},
    {"Escape is the keyboard callback's own", false, 27, Control::none},
    {"other letters do nothing", false, 'z', Control::none},
    {"a cycles the aspect", false, 'a', Control::cycleAspect},
    {"A as a", false, 'A', Control::cycleAspect},
    {"digits do nothing", false, '5', Control::none},
    {". steps a frame on", false, '.', Control::stepForward},
    {", steps a frame back", false, ',', Control::stepBack},
    {"m mutes and unmutes", false, 'm', Control::toggleMute},
    {"s saves a screenshot", false, 's', Control::screenshot},
    {"S as s", false, 'S', Control::screenshot},
    {"M as m", false, 'M', Control::toggleMute},
    {"9 lowers the volume", false, '9', Control::volumeDown},
    {"- as 9", false, '-', Control::volumeDown},
    {"0 raises the volume", false, '0', Control::volumeUp},
    {"+ as 0", false, '+', Control::volumeUp},
    {"Enter does nothing", false, '\r', Control::none},
    {"Right: 10 s ahead", true, GLUT_KEY_RIGHT, Control::forward},
    {"Left: 10 s back", true, GLUT_KEY_LEFT, Control::back},
    {"Page Up: the previous scene", true, GLUT_KEY_PAGE_UP, Control::previousScene},
    {"Page Down: the next scene", true, GLUT_KEY_PAGE_DOWN, Control::nextScene},
    {"Home: the start", true, GLUT_KEY_HOME, Control::restart},
    {"F11 as f", true, GLUT_KEY_F11, Control::toggleFullScreen},
    {"Up does nothing", true, GLUT_KEY_UP, Control::none},
    {"F1 does nothing", true, GLUT_KEY_F1, Control::none},
};

TEST(Controls, EachKeyAsksForItsControlAndOtherKeysForNothing)
{
    for (const KeyCase& c : keyCases) {
        const Control control = c.special ? controlForSpecialKey(c.key) : controlForKey(static_cast<unsigned char>(c.key));
        EXPECT_EQ(control, c.control) << c.why;
    }
}

struct SceneJumpCase {
    const char* why;
    Control control;
    std::int32_t fromMs;
    std::int32_t targetMs;
};

const SceneJumpCase sceneJumpCases[] = {
    {"next from the show's first frame", Control::nextScene, 0, 25000},
    {"next from the last ms of scene 1", Control::nextScene, 24999, 25000},
    {"next from a scene's first ms", Control::nextScene, 25000, 42000},
    {"next from scene 4", Control::nextScene, 80000, 92000},
    {"next from the last scene: the end", Control::nextScene, 100000, 114800},
    {"previous from scene 1: its start", Control::previousScene, 10000, 0},
    {"previous from scene 2's first ms", Control::previousScene, 25000, 0},
    {"previous from scene 3", Control::previousScene, 60000, 25000},
    {"previous from the last ms of the show", Control::previousScene, 114799, 67000},
    {"a clock sent back before 0 is in scene 1", Control::nextScene, -7000, 25000},
    {"Home from anywhere", Control::restart, 100000, 0},
};

TEST(Controls, SceneJumpsLandOnSceneStarts)
{
    for (const SceneJumpCase& c : sceneJumpCases)
        EXPECT_EQ(sceneJumpTarget(c.control, c.fromMs), c.targetMs) << c.why;
}

// The frame steps land on the frames of a 60 fps run (floor(n * 1000 / 60) ms), the ones the
// replay rebuilds and showcap draws.
const SceneJumpCase frameStepCases[] = {
    {"on from a frame's time", Control::stepForward, 50000, 50016},
    {"on from the next one", Control::stepForward, 50016, 50033},
    {"on from between frames: the next frame, not 1/60 s later", Control::stepForward, 50020, 50033},
    {"back from a frame's time", Control::stepBack, 50016, 50000},
    {"back from a frame whose time is rounded down", Control::stepBack, 50033, 50016},
    {"back from between frames: the frame before", Control::stepBack, 50020, 50016},
    {"back from 0 stays at 0", Control::stepBack, 0, 0},
    {"back from the first frame after 0", Control::stepBack, 16, 0},
    {"on from 0", Control::stepForward, 0, 16},
    {"on from the last frame stays there, short of the end", Control::stepForward, 114783, 114783},
    {"on to the last frame", Control::stepForward, 114766, 114783},
    {"a clock sent back before 0: to 0", Control::stepForward, -3000, 0},
};

TEST(Controls, FrameStepsLandOnTheReplaysFrames)
{
    for (const SceneJumpCase& c : frameStepCases)
        EXPECT_EQ(frameStepTarget(c.control, c.fromMs), c.targetMs) << c.why;
}

class JumpKeys : public ::testing::Test {
protected:
    void SetUp() override { showState = ShowState{}; }
    void TearDown() override
    {
        std::int32_t ignored = 0;
        takeJumpTarget(0, ignored);
        releaseClock();
        setFirstFrameTime(0);
        showState = ShowState{};
    }

    // The frame path up to the frame's swap, with the timer at `timerMs`: the frame's show time.
    static std::int32_t frameAt(std::uint32_t timerMs)
    {
        holdClockAt(timerMs);
        return std::int32_t(advanceShowClock());
    }
};

TEST_F(JumpKeys, RightSetsSkipForwardAndTheNextFrameMovesTheStartTime10SecondsEarlier)
{
    frameAt(1000);
    frameAt(31000);
    requestJump(controlForSpecialKey(GLUT_KEY_RIGHT));
    EXPECT_EQ(showState.skipForward, 1);
    EXPECT_EQ(showState.startTime, 1000u) << "the key only asks; the frame moves the start time";
    std::int32_t targetMs = 0;
    EXPECT_FALSE(takeJumpTarget(30000, targetMs)) << "no jump before the frame that carries it out";

    EXPECT_EQ(frameAt(31500), 30500) << "the frame that applies the jump was measured before it";
    EXPECT_EQ(showState.skipForward, 0);
    EXPECT_EQ(showState.startTime, 1000u - 10000u);
    EXPECT_EQ(showState.scene, 2);
    ASSERT_TRUE(takeJumpTarget(30500, targetMs));
    EXPECT_EQ(targetMs, 40500) << "the next frame's moment";
    EXPECT_FALSE(takeJumpTarget(30500, targetMs)) << "one key, one jump";
    EXPECT_EQ(frameAt(31500), 40500);
    EXPECT_EQ(showState.scene, 2);
    EXPECT_EQ(showState.sceneTime, 15500.0);
}

TEST_F(JumpKeys, LeftSetsSkipBackAndTheNextFrameMovesTheStartTime10SecondsLater)
{
    setFirstFrameTime(50000);
    frameAt(7000);
    requestJump(controlForSpecialKey(GLUT_KEY_LEFT));
    EXPECT_EQ(showState.skipBack, 1);
    EXPECT_EQ(frameAt(8000), 51000);
    EXPECT_EQ(showState.skipBack, 0);
    EXPECT_EQ(showState.startTime, 7000u - 50000u + 10000u);
    std::int32_t targetMs = 0;
    ASSERT_TRUE(takeJumpTarget(51000, targetMs));
    EXPECT_EQ(targetMs, 41000);
    EXPECT_EQ(frameAt(8000), 41000);
    EXPECT_EQ(showState.scene, 2);
}

TEST_F(JumpKeys, LeftInTheFirst10SecondsHoldsTheSceneUntilTheClockCatchesUp)
{
    frameAt(100000);
    frameAt(103000);
    requestJump(Control::back);
    EXPECT_EQ(frameAt(103000), 3000);
    EXPECT_EQ(showState.startTime, 110000u);
    std::int32_t targetMs = 0;
    ASSERT_TRUE(takeJumpTarget(3000, targetMs));
    EXPECT_EQ(targetMs, -7000) << "the clock now stands 7 s before the show's start";

    // The elapsed time is negative: scene and scene time stay as the frame before left them.
    EXPECT_EQ(frameAt(105000), -5000);
    EXPECT_EQ(showState.scene, 1);
    EXPECT_EQ(showState.sceneTime, 3000.0);
    EXPECT_EQ(frameAt(110000), 0) << "the clock catches up and the show plays from its start";
    EXPECT_EQ(showState.sceneTime, 0.0);
}

TEST_F(JumpKeys, BothJumpsBeforeOneFrameCancelOut)
{
    frameAt(0);
    requestJump(Control::forward);
    requestJump(Control::back);
    frameAt(2000);
    EXPECT_EQ(showState.startTime, 0u);
    EXPECT_EQ(showState.skipForward, 0);
    EXPECT_EQ(showState.skipBack, 0);
}

// Presses that come before one clock step takes the flags: each still moves the show 10 s. The
// flags move the clock by one step each; the presses beyond them are added when the jump is
// carried out.
struct PressesCase {
    std::vector<Control> presses;
    std::int32_t targetMs; // from a step at 50 s, the clock then 0.5 s on
};

const PressesCase pressesCases[] = {
    {{Control::forward, Control::forward}, 70500},
    {{Control::forward, Control::forward, Control::forward}, 80500},
    {{Control::back, Control::back}, 30500},
    {{Control::forward, Control::forward, Control::back}, 60500},
    {{Control::back, Control::forward, Control::back, Control::back}, 30500},
    {{Control::back, Control::back, Control::back, Control::back, Control::back, Control::back}, -9500},
    {std::vector<Control>(20, Control::forward), showEndMs},
};

TEST_F(JumpKeys, EveryPressBeforeOneClockStepMovesTheShow10Seconds)
{
    for (const PressesCase& c : pressesCases) {
        SCOPED_TRACE(::testing::PrintToString(c.presses.size()) + " presses, to " + std::to_string(c.targetMs));
        showState = ShowState{};
        frameAt(0);
        frameAt(50000);
        for (Control press : c.presses)
            requestJump(press);
        frameAt(50000);
        holdClockAt(50500);
        std::int32_t targetMs = 0;
        ASSERT_TRUE(takeJumpTarget(50000, targetMs));
        EXPECT_EQ(targetMs, c.targetMs);
        EXPECT_FALSE(takeJumpTarget(50000, targetMs)) << "the presses were all taken by the one jump";
    }
}

TEST_F(JumpKeys, SceneJumpsLandWhereTheFrameThatCarriesThemOutStands)
{
    frameAt(0);
    requestJump(Control::nextScene);
    EXPECT_EQ(showState.startTime, 0u) << "no request flag of the clock's is set for a scene jump";
    std::int32_t targetMs = 0;
    ASSERT_TRUE(takeJumpTarget(frameAt(43000), targetMs));
    EXPECT_EQ(targetMs, 67000);
    requestJump(Control::restart);
    ASSERT_TRUE(takeJumpTarget(frameAt(44000), targetMs));
    EXPECT_EQ(targetMs, 0);
}

TEST_F(JumpKeys, FrameStepsWaitForTheFrameThatCarriesThemOutAndDoNothingWhilePlaying)
{
    initControls(false, 640, 360, false);
    frameAt(0);
    const WindowChanges playing = applyControl(Control::stepForward);
    EXPECT_FALSE(playing.redisplay) << "a step while playing";
    std::int32_t targetMs = 0;
    EXPECT_FALSE(takeJumpTarget(frameAt(20000), targetMs)) << "a step while playing was kept for later";

    requestJump(Control::stepBack);
    EXPECT_EQ(showState.startTime, 0u) << "no request flag of the clock's is set for a step";
    ASSERT_TRUE(takeJumpTarget(frameAt(20000), targetMs));
    EXPECT_EQ(targetMs, 19983);
}

// What the controls hand the window: the window carries it out, the controls call no GLUT.
TEST(ControlsToWindow, FullScreenTogglesAndTheWindowPlacedOnlyAfterTheRestoredWindowArrives)
{
    initControls(true, 1280, 720, false);
    EXPECT_EQ(windowResized().redisplay, false) << "a reshape with nothing pending changes nothing";

    const WindowChanges out = applyControl(Control::toggleFullScreen);
    EXPECT_EQ(out.screen, WindowChanges::Screen::leaveFullScreen);
    EXPECT_TRUE(out.redisplay);
    EXPECT_FALSE(out.place) << "not while GLUT may still be leaving full screen";
    EXPECT_TRUE(windowResized().redisplay) << "the restored window has come: a frame to place it after";
    EXPECT_FALSE(windowResized().redisplay) << "one placement per toggle";

    const WindowChanges in = applyControl(Control::toggleFullScreen);
    EXPECT_EQ(in.screen, WindowChanges::Screen::enterFullScreen);
    EXPECT_FALSE(windowResized().redisplay) << "full screen again: no window to place";

    const WindowChanges quit = applyControl(Control::quit);
    EXPECT_TRUE(quit.quit);
    EXPECT_EQ(quit.screen, WindowChanges::Screen::unchanged);
    const WindowChanges none = applyControl(Control::none);
    EXPECT_FALSE(none.quit || none.redisplay || none.place);
    EXPECT_EQ(none.screen, WindowChanges::Screen::unchanged);
    initControls(false, 1280, 720, false);
}

struct StatusCase {
    bool paused;
    std::int32_t showTimeMs;
    bool loop;
    bool mentionLoopOff;
    const char* text;
};

const StatusCase statusCases[] = {
    {true, 103250, false, false, "paused 01:43.250 / 01:54.800"},
    {false, 0, false, false, "playing 00:00.000 / 01:54.800"},
    {false, 25000, true, false, "playing 00:25.000 / 01:54.800  loop on"},
    {true, 59999, false, true, "paused 00:59.999 / 01:54.800  loop off"},
    {false, -7000, false, false, "playing -00:07.000 / 01:54.800"},
};

struct SoundStatusCase {
    int volumePercent;
    bool muted;
    bool mentionVolume;
    const char* text;
};

const SoundStatusCase soundStatusCases[] = {
    {100, false, false, "paused 00:10.000 / 01:54.800"},
    {100, false, true, "paused 00:10.000 / 01:54.800  volume 100 %"},
    {70, false, false, "paused 00:10.000 / 01:54.800  volume 70 %"},
    {0, false, true, "paused 00:10.000 / 01:54.800  volume 0 %"},
    {70, true, false, "paused 00:10.000 / 01:54.800  muted"},
    {100, true, true, "paused 00:10.000 / 01:54.800  muted"},
};

TEST(StatusLine, SaysTheVolumeWhenItIsNotFullOrAKeyChangedIt)
{
    for (const SoundStatusCase& c : soundStatusCases)
        EXPECT_EQ(formatStatusLine(true, 10000, false, false, c.volumePercent, c.muted, c.mentionVolume), c.text);
}

// Steps of 10 % within 0 to 100; the level sent is the cube of the share, so two steps down from
// full are about -6 dB (20 log10(0.8^3) = -5.8), and 0 % or muted is silence.
TEST(Volume, StepsStayWithinRangeAndLevelsFollowACubicCurve)
{
    const std::tuple<Control, int, int> steps[] = {
        {Control::volumeDown, 100, 90}, {Control::volumeDown, 10, 0}, {Control::volumeDown, 0, 0},
        {Control::volumeDown, 35, 25},  {Control::volumeUp, 90, 100}, {Control::volumeUp, 100, 100},
        {Control::volumeUp, 95, 100},   {Control::volumeUp, 0, 10},
    };
    for (const auto& [control, from, to] : steps)
        EXPECT_EQ(steppedVolume(control, from), to) << from;
    const std::tuple<int, bool, int> levels[] = {
        {100, false, 1000}, {80, false, 512}, {50, false, 125}, {10, false, 1}, {0, false, 0}, {100, true, 0},
    };
    for (const auto& [percent, muted, level] : levels)
        EXPECT_EQ(volumeLevel(percent, muted), level) << percent << (muted ? " muted" : "");
}

TEST(StatusLine, SaysTheStateTheShowTimeAndTheLoop)
{
    for (const StatusCase& c : statusCases)
        EXPECT_EQ(formatStatusLine(c.paused, c.showTimeMs, c.loop, c.mentionLoopOff), c.text);
}

TEST(ShowOptionsLoop, LoopIsOffUnlessAskedFor)
{
    ShowOptions options;
    std::string error;
    ASSERT_TRUE(parseShowOptions({"--window"}, options, error));
    EXPECT_FALSE(options.loop) << "the specified ending stays the default";
    ASSERT_TRUE(parseShowOptions({"--loop", "--at", "100"}, options, error)) << error;
    EXPECT_TRUE(options.loop);
    EXPECT_EQ(options.shared.atMs, 100000u);
    EXPECT_FALSE(parseShowOptions({"--loop=yes"}, options, error));
    EXPECT_EQ(error, "unknown option --loop=yes");
}

TEST(ShowOptionsLoop, HelpListsTheKeys)
{
    const std::string help = showHelp("iroiro");
    for (const char* key : {"Space", "Right / Left", "Page Down / Up", "Home", ". / ,", "9 / 0", "--volume", "--shots", "--aspect", "F11", "--loop", "Escape"})
        EXPECT_NE(help.find(key), std::string::npos) << key;
}

struct AspectCase {
    const char* text;
    bool accepted;
    const char* name;
    int width, height;        // a window
    PictureBox box;           // where the picture goes in it
};

const AspectCase aspectCases[] = {
    {"stretch", true, "stretch", 1280, 720, {0, 0, 1280, 720}},
    {"square", true, "square", 1280, 720, {280, 0, 720, 720}},
    {"square", true, "square", 600, 1000, {0, 200, 600, 600}},
    {"4:3", true, "4:3", 1280, 720, {160, 0, 960, 720}},
    {"16:9", true, "16:9", 1280, 720, {0, 0, 1280, 720}},
    {"21:9", true, "21:9", 1280, 720, {0, 85, 1280, 549}},
    {"16:9", true, "16:9", 1, 1, {0, 0, 1, 1}},
    {"10000:1", true, "10000:1", 640, 360, {0, 179, 640, 1}},
    {"0:1", false, "", 0, 0, {}},
    {"16:", false, "", 0, 0, {}},
    {"16/9", false, "", 0, 0, {}},
    {"10001:1", false, "", 0, 0, {}},
    {"Square", false, "", 0, 0, {}},
    {"", false, "", 0, 0, {}},
};

TEST(Aspect, ParsedAndBoxedInTheLargestCentredBox)
{
    for (const AspectCase& c : aspectCases) {
        PictureAspect aspect;
        EXPECT_EQ(parseAspect(c.text, aspect), c.accepted) << c.text;
        if (!c.accepted)
            continue;
        EXPECT_EQ(aspectName(aspect), c.name);
        const PictureBox box = pictureBox(aspect, c.width, c.height);
        EXPECT_EQ(box.x, c.box.x) << c.text;
        EXPECT_EQ(box.y, c.box.y) << c.text;
        EXPECT_EQ(box.width, c.box.width) << c.text;
        EXPECT_EQ(box.height, c.box.height) << c.text;
    }
    PictureAspect aspect;
    ASSERT_TRUE(parseAspect("4:3", aspect));
    EXPECT_EQ(aspectName(nextAspect(aspect)), "stretch") << "a from a given shape goes to stretch";
    EXPECT_EQ(aspectName(nextAspect(nextAspect(aspect))), "square");
}

// Where a window goes: centred with its frame in the area, each side shrunk to fit.
struct PlacementCase {
    const char* why;
    ScreenArea area;
    FrameExtents frame;
    int width, height;
    WindowPlacement expected;
};

const PlacementCase placementCases[] = {
    {"fits: centred", {0, 0, 1920, 1080}, {}, 1280, 720, {320, 180, 1280, 720}},
    {"exactly as wide as the screen: at its left edge", {0, 0, 1280, 1024}, {}, 1280, 720, {0, 152, 1280, 720}},
    {"wider and taller than the screen: shrunk to it", {0, 0, 1024, 600}, {}, 1280, 720, {0, 0, 1024, 600}},
    {"a frame: the framed window centred, the inside shrunk by the frame",
     {0, 0, 1280, 984}, {8, 31, 8, 8}, 1280, 720, {0, 112, 1264, 720}},
    {"a work area off the screen's corner (a taskbar at the top or left)",
     {40, 30, 1240, 994}, {}, 640, 360, {340, 347, 640, 360}},
    {"a frame wider than the area: one pixel inside", {0, 0, 10, 10}, {8, 8, 8, 8}, 640, 360, {0, 0, 1, 1}},
};

TEST(WindowPlacement, CentredOnTheAreaWithItsFrameAndShrunkToFit)
{
    for (const PlacementCase& c : placementCases) {
        const WindowPlacement p = centredWindow(c.area, c.frame, c.width, c.height);
        EXPECT_EQ(std::vector<int>({p.x, p.y, p.width, p.height}),
                  std::vector<int>({c.expected.x, c.expected.y, c.expected.width, c.expected.height}))
            << c.why;
    }
}

} // namespace
