// The real show binary in a real window of a private X server: full screen, Escape, the end of
// the show, the soundtrack through SDL's disk audio driver, a missing picture, a missing MP3.
#include "support/x_session.h"

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

const std::string showBinary = SHOW_BINARY;

// A working folder holding a copy of the build's data files, and the show started in it.
class ShowRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        ASSERT_EQ(std::system(("cp -r '" SHOW_BUILD_DIR "/iroiro' '" + folder.path() + "/'").c_str()), 0)
            << "the build writes ./iroiro/ beside the show";
    }

    void removeData(const std::string& name) { std::remove((folder.path() + "/iroiro/" + name).c_str()); }
    std::string audioPath() const { return folder.path() + "/audio.raw"; }

    // Sound goes to SDL's disk driver unless `machineSound`, which leaves SDL to the machine's
    // own sound drivers (on a machine without a sound card, opening the device fails).
    void start(int screenWidth = 1280, int screenHeight = 1024, bool machineSound = false)
    {
        x = std::make_unique<PrivateXServer>(screenWidth, screenHeight);
        ASSERT_TRUE(x->running()) << "Xvfb did not start";
        std::vector<std::pair<std::string, std::string>> env{{"DISPLAY", x->display()},
                                                             {"SDL_AUDIODRIVER", "disk"},
                                                             {"SDL_DISKAUDIOFILE", audioPath()}};
        if (machineSound)
            env = {{"DISPLAY", x->display()}, {"SDL_AUDIODRIVER", ""}, {"SDL_DISKAUDIOFILE", ""}};
        show = std::make_unique<ChildProcess>(std::vector<std::string>{showBinary}, folder.path(), env);
    }

    // The show's window (titled with its own path), once it exists; empty after the timeout.
    std::string waitForWindow(const std::string& name, int timeoutMs)
    {
        for (int waited = 0; waited < timeoutMs; waited += 50) {
            const std::vector<std::string> ids = x->windowsNamed(name);
            if (!ids.empty())
                return ids.front();
            sleepMs(50);
        }
        return {};
    }

    bool waitForSize(const std::string& window, const std::string& size, int timeoutMs)
    {
        for (int waited = 0; waited < timeoutMs; waited += 50) {
            if (x->windowSize(window) == size)
                return true;
            sleepMs(50);
        }
        return false;
    }

    // What the show wrote to standard error, less the disk audio driver's own announcement.
    std::string showMessages() const
    {
        std::string messages;
        std::istringstream lines(show->standardError());
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("CRITICAL: ", 0) != 0)
                messages += line + "\n";
        return messages;
    }

    void pressEscapeAndExpectExitZero(const std::string& window)
    {
        x->run("xdotool key --window " + window + " Escape");
        ASSERT_TRUE(show->waitForExit(3000)) << "Escape must end the show at once";
        EXPECT_EQ(show->exitStatus(), 0);
    }

    TempFolder folder;
    std::unique_ptr<PrivateXServer> x;
    std::unique_ptr<ChildProcess> show;
};

TEST_F(ShowRun, OpensFullScreenIgnoresOtherKeysAndEscapeEndsWithStatusZero)
{
    start();
    const std::string window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty()) << "no window titled with the program's path";
    EXPECT_TRUE(waitForSize(window, "1280x1024", 10000)) << "window is " << x->windowSize(window);

    x->run("xdotool key --window " + window + " a Z 5 space Return Left Up F1 F12 BackSpace");
    sleepMs(500);
    EXPECT_TRUE(show->running()) << "only Escape ends the show";

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

TEST_F(ShowRun, PlaysEveryScenesPictureAndEndsByItselfWithStatusZeroAt114_8Seconds)
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
    EXPECT_EQ(show->exitStatus(), 0);
    EXPECT_GE(secondsIn(), 114.8) << "ended before the show's last millisecond";
    EXPECT_EQ(showMessages(), "");
}

// Stereo s16 samples of the first `seconds` of the MP3, decoded by ffmpeg (not by the mixer).
std::vector<std::int16_t> decodeMp3Start(const std::string& path, double seconds)
{
    const std::string command = "ffmpeg -v error -i '" + path + "' -t " + std::to_string(seconds) +
                                " -f s16le -ac 2 -ar 44100 -";
    std::vector<std::int16_t> samples;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        std::int16_t buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, sizeof buffer[0], 4096, pipe)) > 0)
            samples.insert(samples.end(), buffer, buffer + n);
        pclose(pipe);
    }
    return samples;
}

std::size_t firstAudible(const std::vector<std::int16_t>& samples, std::size_t from = 0)
{
    for (std::size_t i = from; i < samples.size(); ++i)
        if (std::abs(samples[i]) > 200)
            return i & ~std::size_t(1); // frame start
    return samples.size();
}

TEST_F(ShowRun, SoundtrackPlaysOnceFromItsStart)
{
    start(320, 240);
    const std::string window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty());
    sleepMs(4000);
    pressEscapeAndExpectExitZero(window);

    const std::string raw = readWholeFile(audioPath());
    std::vector<std::int16_t> played(raw.size() / 2);
    std::memcpy(played.data(), raw.data(), played.size() * 2);
    const std::vector<std::int16_t> decoded = decodeMp3Start(folder.path() + "/iroiro/k13.mp3", 8.0);
    ASSERT_GT(played.size(), 44100u * 2) << "at least a second of sound was played";
    ASSERT_GT(decoded.size(), 44100u * 2 * 4);

    // The driver starts with silence; line the first audible sample up with the decoded one,
    // then look a few frames either side for the best match.
    const std::size_t decodedStart = firstAudible(decoded);
    const std::size_t playedStart = firstAudible(played);
    ASSERT_LT(playedStart, played.size()) << "nothing audible was played";
    const std::size_t length = std::min<std::size_t>(44100 * 2, played.size() - playedStart - 64);
    ASSERT_LT(decodedStart + length + 64, decoded.size());
    long bestShift = 0;
    int bestError = 1 << 30;
    for (long shift = -32; shift <= 32; shift += 2) {
        int worst = 0;
        for (std::size_t i = 0; i < length && worst < bestError; ++i) {
            const long p = long(playedStart + i) + shift;
            if (p < 0)
                continue;
            worst = std::max(worst, std::abs(int(played[std::size_t(p)]) - int(decoded[decodedStart + i])));
        }
        if (worst < bestError) {
            bestError = worst;
            bestShift = shift;
        }
    }
    // The mixer's decoder and ffmpeg's round differently by a few units at most.
    EXPECT_LE(bestError, 8) << "played sound differs from the MP3's start (shift " << bestShift << ")";
    // The show starts the soundtrack at its beginning: what precedes it is the driver's silence,
    // shorter than half a second.
    EXPECT_LT(playedStart, std::size_t(44100)) << "the soundtrack did not start from its beginning";
}

TEST_F(ShowRun, MissingPictureShowsTheNoticeAndTheShowGoesOn)
{
    removeData("wave1.bmp");
    start(640, 480);
    const std::string notice = waitForWindow("Error", 15000);
    ASSERT_FALSE(notice.empty()) << "the notice did not appear";
    x->run("xdotool key --window " + notice + " Return");
    for (int waited = 0; waited < 5000 && !x->windowsNamed("Error").empty(); waited += 50)
        sleepMs(50);
    EXPECT_TRUE(x->windowsNamed("Error").empty()) << "the notice is dismissed with its one button";

    const std::string window = waitForWindow(showBinary, 5000);
    ASSERT_FALSE(window.empty());
    sleepMs(1000);
    ASSERT_TRUE(show->running()) << "the show goes on without the picture";
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "") << "the notice is shown on screen, not written";
}

TEST_F(ShowRun, MissingSoundtrackRunsSilentlyWithoutAMessage)
{
    removeData("k13.mp3");
    start(320, 240);
    const std::string window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty());
    sleepMs(2000);
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
    sleepMs(1500);
    EXPECT_TRUE(show->running());
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(show->standardError(), "") << "the sound library's own complaints reached the user";
}

} // namespace
