// The real show binary in a real window of a private X server: full screen, Escape, the end of
// the show, the soundtrack through SDL's disk audio driver, a missing picture, a missing MP3.
#include "support/show_run.h"

#include <gtest/gtest.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

namespace {

// SDL's disk driver writes 44100 stereo s16 frames a second, at the sound's pace: its file's
// growth tells how long the show has been playing.
constexpr long long secondOfSoundBytes = 44100LL * 4;

TEST_F(ShowRun, OpensFullScreenIgnoresOtherKeysAndEscapeEndsWithStatusZero)
{
    start();
    const std::string window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty()) << "no window titled with the program's path";
    EXPECT_TRUE(waitForSize(window, "1280x1024", 10000)) << "window is " << x->windowSize(window);

    // Keys that are none of the viewer's controls.
    x->run("xdotool key --window " + window + " a Z 5 Return Up Down F1 F12 BackSpace");
    // Half a second more of sound after the keys: the show went on playing past them.
    const long long playedBytes = (long long)readWholeFile(audioPath()).size();
    EXPECT_TRUE(waitForFileSize(audioPath(), playedBytes + secondOfSoundBytes / 2, 10000));
    EXPECT_TRUE(show->running()) << "only Escape and q end the show";

    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "");
}

// The screen's pixels as RGB bytes (the show's full-screen window covers it).
std::string screenshot(const PrivateXServer& x)
{
    return x.run("import -window root -depth 8 rgb:-");
}

bool hasColour(const std::string& rgb)
{
    for (char c : rgb)
        if (static_cast<unsigned char>(c) > 40)
            return true;
    return false;
}

// The one test that plays the whole show in real time, from launch to its own end: the slow tier.
class WholeShow : public ShowRun {};

TEST_F(WholeShow, PlaysEveryScenesPictureAndEndsByItselfWithStatusZeroAt114_8Seconds)
{
    start(320, 240); // a small screen keeps the two-minute run cheap
    const auto started = std::chrono::steady_clock::now();
    auto secondsIn = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };

    // One look well inside each scene.
    std::vector<std::string> shots;
    for (double at : {8.0, 33.0, 55.0, 80.0, 100.0}) {
        while (secondsIn() < at && show->running())
            sleepMs(50);
        ASSERT_TRUE(show->running()) << "ended early, at " << secondsIn() << " s";
        shots.push_back(screenshot(*x));
    }
    for (std::size_t i = 0; i < shots.size(); ++i) {
        EXPECT_EQ(shots[i].size(), 320u * 240u * 3u);
        EXPECT_TRUE(hasColour(shots[i])) << "scene " << i + 1 << " showed a black screen";
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(shots[i], shots[j]) << "scenes " << j + 1 << " and " << i + 1 << " look the same";
    }

    ASSERT_TRUE(show->waitForExit(80000)) << "the show must end by itself";
    EXPECT_EQ(show->status(), 0);
    EXPECT_GE(secondsIn(), 114.8) << "ended before the show's last millisecond";
    EXPECT_EQ(showMessages(), "");
}

TEST_F(ShowRun, SoundtrackPlaysOnceFromItsStart)
{
    start(320, 240);
    const std::string window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(waitForFileSize(audioPath(), secondOfSoundBytes * 5 / 2, 20000)) << "no sound was played";
    pressEscapeAndExpectExitZero(window);

    const std::vector<std::int16_t> played = readPlayedSamples(audioPath());
    const std::vector<std::int16_t> decoded = decodeMp3(dataPath(soundtrackFile), 0.0, 8.0);
    ASSERT_GT(played.size(), 44100u * 2) << "at least a second of sound was played";
    ASSERT_GT(decoded.size(), 44100u * 2 * 4);
    std::size_t playedStart = 0;
    EXPECT_LE(playedMatchesDecoded(played, decoded, 44100 * 2, playedStart), 8)
        << "played sound differs from the MP3's start";
    // The show starts the soundtrack at its beginning: what precedes it is the driver's silence,
    // shorter than half a second.
    EXPECT_LT(playedStart, std::size_t(44100)) << "the soundtrack did not start from its beginning";
}

TEST_F(ShowRun, MissingPictureShowsTheNoticeAndTheShowGoesOn)
{
    removeData(wavePictureFile);
    start(640, 480);
    const std::string notice = waitForWindow("Error", 15000);
    ASSERT_FALSE(notice.empty()) << "the notice did not appear";
    x->run("xdotool key --window " + notice + " Return");
    for (int waited = 0; waited < 5000 && !x->windowsNamed("Error").empty(); waited += 50)
        sleepMs(50);
    EXPECT_TRUE(x->windowsNamed("Error").empty()) << "the notice is dismissed with its one button";

    const std::string window = waitForWindow(showBinary, 5000);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(waitForFileSize(audioPath(), secondOfSoundBytes, 20000)) << "the show did not play on";
    ASSERT_TRUE(show->running()) << "the show goes on without the picture";
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "show: missing from ./iroiro/: wave1.bmp (--data DIR reads the data from DIR/iroiro/)\n")
        << "the notice is shown on screen, after one line on where the show looked";
}

TEST_F(ShowRun, MissingSoundtrackRunsSilentlyWithoutAMessage)
{
    removeData(soundtrackFile);
    start(320, 240);
    const std::string window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(waitForFileSize(audioPath(), secondOfSoundBytes * 2, 20000)) << "the show did not play on";
    EXPECT_TRUE(show->running());
    EXPECT_TRUE(x->windowsNamed("Error").empty()) << "no notice for a missing soundtrack";
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "");
    const std::string raw = readWholeFile(audioPath());
    EXPECT_EQ(raw.find_first_not_of('\0'), std::string::npos) << "nothing but silence was played";
}

TEST_F(ShowRun, MachinesOwnSoundDriversWriteNothingEvenWithoutASoundCard)
{
    start(320, 240, true);
    const std::string window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty());
    // The soundtrack is opened before the main loop, whose first reshape brings the full screen.
    EXPECT_TRUE(waitForSize(window, "320x240", 10000));
    EXPECT_TRUE(show->running());
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(show->standardError(), "") << "the sound library's own complaints reached the user";
}

} // namespace
