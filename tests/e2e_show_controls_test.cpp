// The viewer's controls on the real show in a private X server, keys sent with xdotool and the
// sound captured through SDL's disk driver: pause and resume, the jumps, looping, full screen, q,
// and the window's class. The show_probe preload drives the show's own timer from a file, so
// each frame's show time is known exactly, and writes out the frames swapped after each key,
// which are compared with showcap's frame at that moment.
//
// A frame drawn again at the same show time is not the run's frame there: each frame starts
// from what the frame before handed on (scene 5's camera, for one, takes the travel the frame
// before wrote). So only the first frame at a moment is compared exactly: the one a jump
// rebuilds, or a paused one, which is rebuilt at every redraw.
#include "support/pictures.h"
#include "support/show_run.h"

#include "app/status_line.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int width = 320;
constexpr int height = 180;
const std::string windowSize = "--window=" + std::to_string(width) + "x" + std::to_string(height);
constexpr std::size_t sampleRate = 44100;
constexpr std::size_t bufferSamples = 2048 * 2; // the mixer's buffer: 2048 stereo frames

// The tolerance the --at test takes for the window against showcap's offscreen frame, over the
// picture above the status line's rows.
constexpr int channelTolerance = 2;
constexpr double differingLimit = 0.002;

double pictureShare(const Picture& a, const Picture& b)
{
    return differingShare(a, b, channelTolerance, statusLineRows);
}

// True when the status line's rows of `picture` are not those of `expected`: the line is drawn.
bool showsStatusLine(const Picture& picture, const Picture& expected)
{
    Picture bottom = picture;
    Picture expectedBottom = expected;
    bottom.rgb.resize(std::size_t(width) * statusLineRows * 3);
    expectedBottom.rgb.resize(bottom.rgb.size());
    bottom.height = expectedBottom.height = statusLineRows;
    return differingShare(bottom, expectedBottom, channelTolerance) > 0.05;
}

class ControlsRun : public ShowRun {
protected:
    // Starts the show with its timer held at its first reading until setTimer moves it, and
    // waits for its first frame.
    void startHeld(const std::vector<std::string>& args)
    {
        setTimer(0);
        start(640, 480, false, args, {},
              {{"LD_PRELOAD", preloadAhead(SHOW_PROBE_LIBRARY)},
               {"SHOW_TIMER_FILE", timerPath()},
               {"SHOW_GRAB_FILE", grabPath()}});
        window = waitForWindow(showBinary, 10000);
        ASSERT_FALSE(window.empty()) << "no window titled with the program's path";
        for (int waited = 0; shown().rgb.find_first_not_of('\0') == std::string::npos; waited += 50) {
            ASSERT_LT(waited, 15000) << "the show drew nothing";
            sleepMs(50);
        }
    }

    // The show's timer reads its first reading plus `ms` from now on.
    void setTimer(long ms)
    {
        const std::string next = timerPath() + ".next";
        std::ofstream(next) << ms << "\n";
        ASSERT_EQ(std::rename(next.c_str(), timerPath().c_str()), 0);
    }

    // showcap's frame at `at` seconds, drawn in a private X server of its own.
    Picture expectedFrame(const std::string& at)
    {
        const std::string png = folder.path() + "/expected_" + at + ".png";
        const CommandResult drawn =
            runCommand("env -u DISPLAY '" SHOWCAP_BINARY "' frame '" + png + "' --at " + at + " --size " +
                       std::to_string(width) + "x" + std::to_string(height) + " --data '" + folder.path() +
                       "' 2>/dev/null && convert '" + png + "' -flip -depth 8 rgb:-");
        EXPECT_EQ(drawn.status, 0) << "showcap could not draw " << at;
        return {width, height, drawn.output};
    }

    // showcap's frame at `at` seconds at another size.
    Picture expectedFrameSized(const std::string& at, int w, int h)
    {
        const std::string png = folder.path() + "/expected_" + at + "_" + std::to_string(w) + ".png";
        const CommandResult drawn =
            runCommand("env -u DISPLAY '" SHOWCAP_BINARY "' frame '" + png + "' --at " + at + " --size " +
                       std::to_string(w) + "x" + std::to_string(h) + " --data '" + folder.path() +
                       "' 2>/dev/null && convert '" + png + "' -flip -depth 8 rgb:-");
        EXPECT_EQ(drawn.status, 0) << "showcap could not draw " << at;
        return {w, h, drawn.output};
    }

    Picture shown() { return windowPicture(*x, window, width, height); }

    // Presses `key` and returns the `nth` frame (1 or 2) the show swapped after handling it.
    Picture frameAfterKey(const std::string& key, int nth)
    {
        for (int n : {1, 2})
            std::remove((grabPath() + "." + std::to_string(n)).c_str());
        press(key);
        const std::string grab = grabPath() + "." + std::to_string(nth);
        for (int waited = 0; access(grab.c_str(), F_OK) != 0; waited += 20) {
            if (waited >= 15000) {
                ADD_FAILURE() << "no frame " << nth << " after " << key;
                return {};
            }
            sleepMs(20);
        }
        return readGrab(grab);
    }

    // Waits up to 15 s for the window to show `expected`; false with the share last seen.
    bool waitForPicture(const Picture& expected, double& share)
    {
        for (int waited = 0;; waited += 100) {
            share = pictureShare(shown(), expected);
            if (share < differingLimit)
                return true;
            if (waited >= 15000)
                return false;
            sleepMs(100);
        }
    }

    void press(const std::string& key) { x->run("xdotool key --window " + window + " " + key); }

    // Samples written by the disk driver so far.
    std::size_t samplesPlayed() { return readWholeFile(audioPath()).size() / 2; }

    // Waits up to 10 s for the disk driver to write `samples` more.
    void waitForSound(std::size_t samples)
    {
        const std::size_t target = samplesPlayed() + samples;
        for (int waited = 0; waited < 10000 && samplesPlayed() < target; waited += 20)
            sleepMs(20);
    }

    std::vector<std::int16_t> soundtrack(double fromSeconds, double seconds)
    {
        return decodeMp3(dataPath(soundtrackFile), fromSeconds, seconds);
    }

    std::string timerPath() const { return folder.path() + "/timer"; }
    std::string grabPath() const { return folder.path() + "/grab"; }

    std::string window;
};

constexpr std::size_t notFound = std::size_t(-1);

// Where in `played`, from `from` on, the stereo samples `segment` were played (each within 8 of
// the decoder's, as the --at test allows); notFound when nowhere.
std::size_t findPlayed(const std::vector<std::int16_t>& played, std::size_t from,
                       const std::vector<std::int16_t>& segment)
{
    if (segment.empty())
        return notFound;
    for (std::size_t at = from & ~std::size_t(1); at + segment.size() <= played.size(); at += 2) {
        std::size_t i = 0;
        while (i < segment.size() && std::abs(int(played[at + i]) - int(segment[i])) <= 8)
            ++i;
        if (i == segment.size())
            return at;
    }
    return notFound;
}

// Half a second of `decoded` from its first clearly audible sample on (silence matches anywhere).
std::vector<std::int16_t> audibleSegment(const std::vector<std::int16_t>& decoded)
{
    const std::size_t start = std::min(firstAudible(decoded), decoded.size());
    const std::size_t end = std::min(decoded.size(), start + sampleRate);
    return std::vector<std::int16_t>(decoded.begin() + long(start), decoded.begin() + long(end));
}

// Samples that are not silence in [from, to).
std::size_t soundBetween(const std::vector<std::int16_t>& played, std::size_t from, std::size_t to)
{
    std::size_t sound = 0;
    for (std::size_t i = from; i < to && i < played.size(); ++i)
        sound += played[i] != 0;
    return sound;
}

TEST_F(ControlsRun, SpacePausesPictureAndSoundAndResumesBothFromThePausedMoment)
{
    const Picture at100 = expectedFrame("100");
    const Picture at101 = expectedFrame("101");
    const Picture at105 = expectedFrame("105");
    startHeld({windowSize, "--at", "100"});
    waitForSound(sampleRate); // half a second of sound before the pause

    const Picture paused = frameAfterKey("space", 1);
    EXPECT_LT(pictureShare(paused, at100), differingLimit) << "the paused frame is not the run's at 100 s";
    EXPECT_TRUE(showsStatusLine(paused, at100)) << "no status line while paused";
    waitForSound(2 * bufferSamples); // what the mixer had in hand when paused
    const std::size_t pausedFrom = samplesPlayed();

    // The show's timer runs on 5 s while paused: the picture holds and the process sleeps.
    setTimer(5000);
    const double cpuBefore = cpuSeconds(show->pid());
    const auto sampledFrom = std::chrono::steady_clock::now();
    const Picture first = shown();
    sleepMs(1000); // the two pictures are to be a second apart
    const Picture second = shown();
    sleepMs(2000); // and the processor time taken over three
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sampledFrom).count();
    const double cpuShare = (cpuSeconds(show->pid()) - cpuBefore) / seconds;
    const std::size_t pausedTo = samplesPlayed();
    EXPECT_TRUE(first.rgb == second.rgb) << "the picture moved while paused";
    EXPECT_LT(pictureShare(second, at100), differingLimit) << "the paused show left 100 s";
    EXPECT_LT(cpuShare, 0.02) << "the paused show keeps a core busy";

    // Resumed, the show goes on from 100 s, not from where the timer has run to. (These frames
    // follow frames at the same moment, so they are only near the run's.)
    const Picture resumed = frameAfterKey("space", 1);
    EXPECT_LT(pictureShare(resumed, at100), pictureShare(resumed, at105)) << "the clock ran on while paused";
    setTimer(6000);
    double share = 1.0;
    for (int waited = 0; waited < 15000; waited += 100) {
        const Picture picture = shown();
        share = pictureShare(picture, at101);
        if (share < pictureShare(picture, at100) && share < 0.05)
            break;
        sleepMs(100);
    }
    EXPECT_LT(share, 0.05) << "a second after the resume the show is not a second on";
    waitForSound(sampleRate);
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "");

    const std::vector<std::int16_t> played = readPlayedSamples(audioPath());
    ASSERT_GT(pausedTo, pausedFrom + 2 * sampleRate) << "a second of the pause was written";
    EXPECT_EQ(soundBetween(played, pausedFrom, pausedTo), 0u) << "sound was played while paused";

    // The silent stretch, and the sound on either side: the resumed sound is the soundtrack from
    // exactly where the paused one stopped.
    std::size_t silenceStart = pausedFrom, silenceEnd = pausedTo;
    while (silenceStart > 0 && played[silenceStart - 1] == 0)
        --silenceStart;
    while (silenceEnd < played.size() && played[silenceEnd] == 0)
        ++silenceEnd;
    const std::size_t length = sampleRate / 2; // a quarter of a second of stereo
    ASSERT_GT(silenceStart, length);
    ASSERT_GT(played.size(), silenceEnd + length);
    const std::vector<std::int16_t> decoded = soundtrack(100.0, 10.0);
    const std::size_t before =
        findPlayed(decoded, 0, {played.begin() + long(silenceStart - length), played.begin() + long(silenceStart)});
    const std::size_t after =
        findPlayed(decoded, 0, {played.begin() + long(silenceEnd), played.begin() + long(silenceEnd + length)});
    ASSERT_NE(before, notFound) << "the sound before the pause is not the soundtrack from 100 s";
    ASSERT_NE(after, notFound) << "the sound after the resume is not the soundtrack";
    EXPECT_NEAR(double(after), double(before + length), 8.0) << "the sound did not go on from where it paused";
}

struct JumpStep {
    const char* key;
    const char* at; // the moment it lands on, in seconds
    const char* why;
};

const JumpStep jumpSteps[] = {
    {"Right", "70", "10 s on, over scene 3's end: scene 4 flies from where scene 3 left the camera"},
    {"Left", "60", "10 s back into scene 3, whose eye is not where scene 4's travel put it"},
    {"Next", "67", "Page Down: the next scene's start, drawn on the state scene 3 leaves"},
    {"Prior", "42", "Page Up: the previous scene's start"},
    {"Home", "0", "Home: the start of the show"},
    {"--delay 0 Right Right", "20", "two Rights 0 ms apart: each press 10 s on"},
};

TEST_F(ControlsRun, JumpsShowTheMomentARunCarriesThereWithTheSoundFromThere)
{
    std::vector<Picture> expected;
    for (const JumpStep& step : jumpSteps)
        expected.push_back(expectedFrame(step.at));
    startHeld({windowSize, "--at", "60"});

    std::vector<std::size_t> keyAt;
    for (std::size_t i = 0; i < std::size(jumpSteps); ++i) {
        SCOPED_TRACE(jumpSteps[i].why);
        keyAt.push_back(samplesPlayed());
        if (std::string(jumpSteps[i].key).find(' ') == std::string::npos) {
            // The frame after the key is still the old moment's; the jump shows from the next.
            const Picture jumped = frameAfterKey(jumpSteps[i].key, 2);
            EXPECT_LT(pictureShare(jumped, expected[i]), differingLimit)
                << "after " << jumpSteps[i].key << " the frame is not the run's at " << jumpSteps[i].at << " s";
        } else {
            // Several keys: a frame may come between them, each press's jump after a frame of its
            // own, so the picture is awaited rather than a given frame.
            press(jumpSteps[i].key);
            double share = 1.0;
            EXPECT_TRUE(waitForPicture(expected[i], share))
                << "after " << jumpSteps[i].key << " the show is not at the run's " << jumpSteps[i].at << " s ("
                << share << " of the picture differs)";
        }
        waitForSound(2 * sampleRate); // a second of the new moment's sound
    }
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "");

    const std::vector<std::int16_t> played = readPlayedSamples(audioPath());
    for (std::size_t i = 0; i < std::size(jumpSteps); ++i) {
        const double at = std::stod(jumpSteps[i].at);
        // Nothing played since the key before comes within 10 s of this moment's sound.
        EXPECT_NE(findPlayed(played, keyAt[i], audibleSegment(soundtrack(at, 1.5))), notFound)
            << jumpSteps[i].why << ": the sound after the key is not the soundtrack from " << at << " s";
    }
}

TEST_F(ControlsRun, AJumpWhilePausedStaysPausedAtTheNewMomentAndPlaysFromThereOnResume)
{
    const Picture at50 = expectedFrame("50");
    const Picture at60 = expectedFrame("60");
    startHeld({windowSize, "--at", "50"});
    EXPECT_LT(pictureShare(frameAfterKey("space", 1), at50), differingLimit);
    const Picture jumped = frameAfterKey("Right", 2);
    EXPECT_LT(pictureShare(jumped, at60), differingLimit) << "the jump does not show the run's frame at 60 s";
    EXPECT_TRUE(showsStatusLine(jumped, at60)) << "no status line while paused";
    waitForSound(2 * bufferSamples);
    const std::size_t pausedFrom = samplesPlayed();

    setTimer(3000);
    const Picture first = shown();
    sleepMs(1000); // the two pictures are to be a second apart
    const Picture second = shown();
    EXPECT_TRUE(first.rgb == second.rgb) << "the picture moved while paused";
    EXPECT_LT(pictureShare(second, at60), differingLimit) << "the show left the moment it jumped to";
    const std::size_t pausedTo = samplesPlayed();

    const std::size_t resumedAt = samplesPlayed();
    press("space");
    waitForSound(2 * sampleRate);
    pressEscapeAndExpectExitZero(window);
    const std::vector<std::int16_t> played = readPlayedSamples(audioPath());
    EXPECT_EQ(soundBetween(played, pausedFrom, pausedTo), 0u) << "sound was played while paused";
    EXPECT_NE(findPlayed(played, resumedAt, audibleSegment(soundtrack(60.0, 1.5))), notFound)
        << "the resumed sound is not the soundtrack from the moment jumped to";
}

// While paused, . and , step one frame of a 60 fps run on and back: each lands on the frame
// showcap draws at that moment, the picture holds there, and the sound stays paused.
TEST_F(ControlsRun, FrameStepsWhilePausedShowShowcapsFramesAndKeepTheSoundPaused)
{
    struct Step {
        const char* key;
        const char* at;
    };
    const Step steps[] = {{"period", "50.016"}, {"period", "50.033"}, {"comma", "50.016"},
                          {"comma", "50"}, {"comma", "49.983"}};
    std::vector<Picture> expected;
    for (const Step& step : steps)
        expected.push_back(expectedFrame(step.at));
    startHeld({windowSize, "--at", "50"});
    frameAfterKey("space", 1);
    waitForSound(2 * bufferSamples); // what the mixer had in hand when paused
    const std::size_t pausedFrom = samplesPlayed();
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Picture stepped = frameAfterKey(steps[i].key, 2);
        EXPECT_LT(pictureShare(stepped, expected[i]), differingLimit)
            << "step " << i + 1 << " (" << steps[i].key << ") is not the run's frame at " << steps[i].at << " s";
    }
    setTimer(2000);
    sleepMs(1000);
    EXPECT_LT(pictureShare(shown(), expected.back()), differingLimit) << "the show left the stepped-to moment";
    waitForSound(sampleRate);
    const std::size_t pausedTo = samplesPlayed();
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "");
    ASSERT_GT(pausedTo, pausedFrom + sampleRate) << "the disk driver wrote on while paused";
    EXPECT_EQ(soundBetween(readPlayedSamples(audioPath()), pausedFrom, pausedTo), 0u)
        << "sound was played while stepping";
}

// The gain of `played` over [from, to) against the soundtrack `decoded`, whose sample
// `decodedAt` was played at played[playedAt]: the least-squares factor, played = gain * decoded.
double gainBetween(const std::vector<std::int16_t>& played, std::size_t playedAt,
                   const std::vector<std::int16_t>& decoded, std::size_t decodedAt, std::size_t from, std::size_t to)
{
    double cross = 0.0, power = 0.0;
    for (std::size_t i = std::max(from, playedAt); i < to && i < played.size(); ++i) {
        const std::size_t j = i - playedAt + decodedAt;
        if (j >= decoded.size())
            break;
        const double d = decoded[j];
        cross += d * played[i];
        power += d * d;
    }
    return power > 0.0 ? cross / power : 0.0;
}

// --volume 80 starts two steps down, about -6 dB; the keys move it in steps, m silences it and
// gives back the volume it had.
TEST_F(ControlsRun, VolumeKeysAndMuteScaleTheSoundAsRecorded)
{
    startHeld({windowSize, "--at", "30", "--volume", "80"});
    struct Stage {
        const char* keys; // pressed before the stage
        double decibels;  // the sound's level in the stage against the soundtrack's; below -100: silence
    };
    const double twoStepsDown = 20.0 * std::log10(0.512); // -5.8 dB
    const Stage stages[] = {
        {"", twoStepsDown},  {"0 plus", 0.0},   {"9 minus", twoStepsDown}, {"m", -200.0},
        {"9", -200.0},       {"M", 20.0 * std::log10(0.343)}, {"0 0 0 0", 0.0},
    };
    // Each stage's sound: from what was written once its keys were sent to what was written before
    // the next stage's keys.
    std::vector<std::size_t> stageStart, stageEnd;
    for (const Stage& stage : stages) {
        if (*stage.keys)
            press(std::string("--delay 50 ") + stage.keys);
        stageStart.push_back(samplesPlayed());
        waitForSound(2 * sampleRate); // a second of each
        stageEnd.push_back(samplesPlayed());
    }
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "");

    // Where in the soundtrack from 30 s the played sound starts: its first audible stretch, at
    // the starting volume (the mixer scales by 66/128 for 0.512).
    const std::vector<std::int16_t> played = readPlayedSamples(audioPath());
    const std::vector<std::int16_t> decoded = soundtrack(30.0, 20.0);
    const std::size_t first = firstAudible(played);
    ASSERT_LT(first + sampleRate, stageStart[1]) << "no sound before the first key";
    std::vector<std::int16_t> scaled(decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i)
        scaled[i] = std::int16_t(decoded[i] * 66 / 128);
    const std::size_t at = findPlayed(scaled, 0, {played.begin() + long(first), played.begin() + long(first + sampleRate / 2)});
    ASSERT_NE(at, notFound) << "the sound at --volume 80 is not the soundtrack from 30 s, 5.8 dB down";

    const std::size_t settle = 3 * bufferSamples; // what the mixer had in hand at the key
    for (std::size_t i = 0; i < std::size(stages); ++i) {
        SCOPED_TRACE(std::string("after \"") + stages[i].keys + "\"");
        const std::size_t from = std::max(stageStart[i] + (i ? settle : 0), first);
        const std::size_t to = stageEnd[i];
        ASSERT_GT(to, from + sampleRate / 2);
        if (stages[i].decibels < -100.0) {
            EXPECT_EQ(soundBetween(played, from, to), 0u) << "sound while muted";
            continue;
        }
        const double gain = gainBetween(played, first, decoded, at, from, to);
        ASSERT_GT(gain, 0.0);
        EXPECT_NEAR(20.0 * std::log10(gain), stages[i].decibels, 1.0);
    }
}

// Keys pressed while the start-up notice for a missing picture is up wait in the queue and are
// all handled before the first frame: each press still counts, and the sound follows.
TEST_F(ControlsRun, EveryRightPressedDuringTheStartUpNoticeCounts)
{
    removeData(wavePictureFile);
    setTimer(0);
    start(640, 480, false, {windowSize, "--at", "50"}, {},
          {{"LD_PRELOAD", preloadAhead(SHOW_PROBE_LIBRARY)}, {"SHOW_TIMER_FILE", timerPath()}});
    const std::string notice = x->waitForWindow("Error", 20000);
    ASSERT_FALSE(notice.empty()) << "no notice for the missing picture";
    window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty()) << "no window titled with the program's path";
    const std::size_t keyAt = samplesPlayed();
    press("Right Right"); // 50 s to 70 s at the first frame
    ASSERT_TRUE(x->dismissWindow("Error", notice, "Return", 10000));
    waitForSound(2 * sampleRate);
    pressEscapeAndExpectExitZero(window);
    const std::vector<std::int16_t> played = readPlayedSamples(audioPath());
    EXPECT_NE(findPlayed(played, keyAt, audibleSegment(soundtrack(70.0, 1.5))), notFound)
        << "the sound after the notice is not the soundtrack from 70 s";
}

// Pixels of the status line's text colour (90 % grey) in the line's rows: a few hundred when the
// line is drawn; the scenes' coloured glow hardly ever gives that exact grey.
int statusTextPixels(const Picture& picture)
{
    int count = 0;
    const std::size_t end = std::min(picture.rgb.size(), std::size_t(picture.width) * statusLineRows * 3);
    for (std::size_t i = 0; i + 2 < end; i += 3) {
        const auto grey = [&](std::size_t at) { return std::abs(int(std::uint8_t(picture.rgb[at])) - 229) <= 2; };
        count += grey(i) && grey(i + 1) && grey(i + 2);
    }
    return count;
}

constexpr int lineShownPixels = 150;
constexpr int noLinePixels = 50;

TEST_F(ControlsRun, LeftBeforeZeroKeepsTheStatusLineUpUntilTheClockIsBackAtZero)
{
    startHeld({windowSize, "--at", "5"});
    EXPECT_LT(statusTextPixels(shown()), noLinePixels) << "a line on a show nobody touched";
    press("Left"); // to -5 s: the picture holds while the clock catches up
    // Well past the line's 1.5 s after a key, with the clock still before 0.
    sleepMs(4000);
    const Picture waiting = shown();
    sleepMs(500);
    EXPECT_TRUE(waiting.rgb == shown().rgb) << "the picture did not hold";
    EXPECT_GT(statusTextPixels(waiting), lineShownPixels) << "the line went while the clock is before 0 s";

    setTimer(10000); // the clock at 5 s again: the line goes
    const bool gone = waitUntil([&] { return statusTextPixels(shown()) < noLinePixels; }, 15000);
    EXPECT_TRUE(gone) << "the line stays after the clock is back past 0 s";
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "");
}

// s writes the frame on screen, without the status line drawn over it, into a new PNG named after
// the show time; a second one of the same moment gets a counter. A folder it cannot write into
// is named on standard error and in the line, and the show goes on.
TEST_F(ControlsRun, SWritesTheFrameOnScreenAsAPngNamedAfterTheShowTime)
{
    const Picture at50 = expectedFrame("50");
    const std::string shots = folder.path() + "/shots";
    ASSERT_EQ(mkdir(shots.c_str(), 0700), 0);
    startHeld({windowSize, "--at", "50", "--shots", shots});
    frameAfterKey("space", 1); // paused: every redraw is the same frame, the run's at 50 s
    const Picture onScreen = frameAfterKey("s", 1);
    const std::string first = shots + "/iroiro-00m50.000s.png";
    ASSERT_TRUE(waitUntil([&] { return access(first.c_str(), F_OK) == 0; }, 10000)) << "no " << first;
    const Picture shot = readPng(*x, first, width, height);
    EXPECT_EQ(differingShare(shot, onScreen, 0, statusLineRows), 0.0) << "the file is not the screen's pixels";
    EXPECT_TRUE(showsStatusLine(onScreen, shot)) << "the screen shows the line, the file does not";
    EXPECT_LT(differingShare(shot, at50, channelTolerance), differingLimit) << "the file is not the run's frame at 50 s";
    EXPECT_GT(statusTextPixels(shown()), lineShownPixels) << "the line names the file";

    press("s");
    EXPECT_TRUE(waitUntil([&] { return access((shots + "/iroiro-00m50.000s-2.png").c_str(), F_OK) == 0; }, 10000))
        << "a second screenshot of the moment is not numbered";
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "");

    startHeld({windowSize, "--at", "50", "--shots", shots + "/missing"});
    press("s");
    const std::string expected = "screenshot not saved: " + shots + "/missing/iroiro-00m50.000s.png: No such file or directory\n";
    EXPECT_TRUE(waitUntil([&] { return showMessages() == expected; }, 10000)) << showMessages();
    EXPECT_TRUE(show->running()) << "a failed screenshot stopped the show";
    pressEscapeAndExpectExitZero(window);
}

// a puts the picture in a centred square with black bars: the run's frame as showcap draws it
// square, so spheres are round; a again gives the stretched picture back. --aspect W:H starts in
// the largest centred W:H box.
TEST_F(ControlsRun, AspectSquareAndWHDrawTheFrameInACentredBoxWithBlackBars)
{
    const Picture at50 = expectedFrame("50");
    struct Box {
        std::vector<std::string> args;
        const char* key;
        int boxWidth; // the box is the window's height high
    };
    const Box boxes[] = {{{}, "a", height}, {{"--aspect", "4:3"}, "", height * 4 / 3}};
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.boxWidth);
        const Picture expected = expectedFrameSized("50", b.boxWidth, height);
        std::vector<std::string> args{windowSize, "--at", "50"};
        args.insert(args.end(), b.args.begin(), b.args.end());
        startHeld(args);
        frameAfterKey("space", 1); // paused at the run's frame at 50 s
        // The frame grabber reads the viewport, the box alone: the window's own pixels hold the bars.
        // Paused, every frame after the key is the same.
        if (*b.key)
            frameAfterKey(b.key, 1);
        const Picture boxed = shown();
        const int left = (width - b.boxWidth) / 2;
        Picture inside{b.boxWidth, height, {}};
        std::size_t barBytes = 0, barLit = 0;
        for (int row = 0; row < height; ++row) {
            const std::string line = boxed.rgb.substr(std::size_t(row) * width * 3, std::size_t(width) * 3);
            inside.rgb += line.substr(std::size_t(left) * 3, std::size_t(b.boxWidth) * 3);
            const std::string bars = line.substr(0, std::size_t(left) * 3) + line.substr(std::size_t(left + b.boxWidth) * 3);
            if (row < statusLineRows)
                continue; // the status line, at the window's corner, lies over the left bar
            barBytes += bars.size();
            barLit += std::size_t(std::count_if(bars.begin(), bars.end(), [](char c) { return c != 0; }));
        }
        EXPECT_LT(differingShare(inside, expected, channelTolerance, statusLineRows), differingLimit)
            << "the box is not the run's frame drawn at its shape";
        EXPECT_GT(barBytes, 0u);
        EXPECT_EQ(barLit, 0u) << "the bars are not black";
        if (*b.key) {
            frameAfterKey(b.key, 1);
            EXPECT_LT(pictureShare(shown(), at50), differingLimit) << "a second a is not the stretched picture";
        }
        pressEscapeAndExpectExitZero(window);
        EXPECT_EQ(showMessages(), "");
    }
}

// Pixels whose largest channel is more than 24 levels off `reference`: the staircase measure.
std::size_t stairPixels(const Picture& picture, const Picture& reference)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i + 2 < picture.rgb.size() && i + 2 < reference.rgb.size(); i += 3) {
        int largest = 0;
        for (std::size_t c = 0; c < 3; ++c)
            largest = std::max(largest, std::abs(int(std::uint8_t(picture.rgb[i + c])) - int(std::uint8_t(reference.rgb[i + c]))));
        count += largest > 24;
    }
    return count;
}

// --msaa 4 gives smoother edges than the plain window: fewer pixels off a 4x4 supersampled
// reference of the same moment. Where the server offers no multisampled window (here, 8 samples),
// one line says so and the show runs as without.
TEST_F(ControlsRun, MsaaSmoothsEdgesOrSaysInOneLineThatTheDisplayHasNone)
{
    const std::string png = folder.path() + "/reference.png";
    const CommandResult drawn = runCommand("env -u DISPLAY '" SHOWCAP_BINARY "' frame '" + png +
                                           "' --at 33 --size 1280x720 --data '" + folder.path() +
                                           "' 2>/dev/null && convert '" + png +
                                           "' -filter box -resize 320x180 -flip -depth 8 rgb:-");
    ASSERT_EQ(drawn.status, 0);
    const Picture reference{width, height, drawn.output};
    std::size_t stairs[2] = {};
    const char* samples[2] = {"0", "4"};
    for (int i = 0; i < 2; ++i) {
        startHeld({windowSize, "--at", "33", "--msaa", samples[i]});
        frameAfterKey("space", 1);
        Picture picture = shown();
        stairs[i] = stairPixels(picture, reference);
        pressEscapeAndExpectExitZero(window);
        if (i == 1 && showMessages() != "")
            GTEST_SKIP() << "no multisampled window here: " << showMessages();
    }
    std::printf("stair pixels at 33 s, 320x180: plain %zu, --msaa 4 %zu\n", stairs[0], stairs[1]);
    EXPECT_LT(stairs[1], stairs[0]) << "--msaa 4 is not smoother";

    startHeld({windowSize, "--at", "33", "--msaa", "8"});
    pressEscapeAndExpectExitZero(window);
    const std::string message = showMessages();
    EXPECT_TRUE(message == "" || (message.find("--msaa 8: this display offers") != std::string::npos &&
                                  std::count(message.begin(), message.end(), '\n') == 1))
        << message;
}

struct EndCase {
    const char* why;
    std::vector<std::string> args;
    const char* key;
    long timerMs; // where the show's timer is moved after the key
    bool loops;
};

const EndCase endCases[] = {
    {"a jump past the end ends the show as the schedule does", {"--at", "110"}, "Right", 0, false},
    {"Page Down from the last scene goes to the end", {"--at", "100"}, "Next", 0, false},
    {"with --loop a jump past the end starts the show again", {"--at", "110", "--loop"}, "Right", 0, true},
    {"l switches the loop on: the end starts the show again", {"--at", "114"}, "l", 1000, true},
};

TEST_F(ControlsRun, TheEndEndsTheShowUnlessTheLoopIsOn)
{
    const Picture start = expectedFrame("0");
    for (const EndCase& c : endCases) {
        SCOPED_TRACE(c.why);
        std::vector<std::string> args{windowSize};
        args.insert(args.end(), c.args.begin(), c.args.end());
        startHeld(args);
        const std::size_t keyAt = samplesPlayed();
        press(c.key);
        setTimer(c.timerMs);
        if (!c.loops) {
            ASSERT_TRUE(show->waitForExit(10000)) << "the show did not end";
            EXPECT_EQ(show->status(), 0);
            continue;
        }
        double share = 1.0;
        EXPECT_TRUE(waitForPicture(start, share)) << "not at 0 s: " << share * 100 << " % of the pixels differ";
        EXPECT_TRUE(show->running());
        waitForSound(3 * sampleRate);
        pressEscapeAndExpectExitZero(window);
        EXPECT_NE(findPlayed(readPlayedSamples(audioPath()), keyAt, audibleSegment(soundtrack(0.0, 3.0))), notFound)
            << "the soundtrack did not start again from its beginning";
    }
}

// Out of sight (here fully covered; it keeps the keys sent to it) no frame is drawn, and the
// hidden window's timer carries the clock: a jump there moves the sound with the picture's clock,
// and the show ends when both reach the end. On the real timer.
TEST_F(ControlsRun, JumpsWhileCoveredMoveTheSoundAndTheShowEndsWithIt)
{
    start(640, 480, false, {windowSize, "--at", "80"});
    window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty()) << "no window titled with the program's path";
    ChildProcess cover({"/usr/bin/xmessage", "-geometry", "640x480+0+0", "cover"}, folder.path(),
                       {{"DISPLAY", x->display()}});
    ASSERT_FALSE(x->waitForWindow("xmessage", 10000).empty()) << "the covering window";
    waitForSound(2 * sampleRate); // a second or so of the show, covered
    const std::size_t keyAt = samplesPlayed();
    press("--delay 50 Right Right Right"); // about 82 s to about 112 s
    ASSERT_TRUE(show->waitForExit(30000)) << "the show did not end after the jumps";
    EXPECT_EQ(show->status(), 0);
    EXPECT_EQ(showMessages(), "");

    const std::vector<std::int16_t> played = readPlayedSamples(audioPath());
    const std::size_t last = findPlayed(played, keyAt, audibleSegment(soundtrack(113.0, 1.0)));
    ASSERT_NE(last, notFound) << "the sound did not follow the jumps to the soundtrack's last seconds";
    // The end came when the sound reached it too: most of the soundtrack's last 1.8 s was played
    // (the disk driver's last buffer may be cut at the exit).
    EXPECT_GT(played.size() - last, 2 * sampleRate) << "the show ended before its sound reached the end";
}

// Pixels of the status line's text colour (0.9 grey) in the bottom statusLineRows rows of the
// screen, as the root window shows it.
int statusTextPixelsOnScreen(const PrivateXServer& x, int screenWidth, int screenHeight)
{
    const Picture screen = windowPicture(x, "root", screenWidth, screenHeight);
    int count = 0;
    for (std::size_t i = 0; i + 2 < std::size_t(screenWidth) * statusLineRows * 3 && i + 2 < screen.rgb.size(); i += 3)
        count += screen.rgb[i] == char(230) && screen.rgb[i + 1] == char(230) && screen.rgb[i + 2] == char(230);
    return count;
}

// On an X server without a window manager (the test's own Xvfb), full screen is the whole screen
// from 0,0, so the status line at the window's bottom is whole on it, and the window out of full
// screen is the --window size centred on the screen. freeglut's own full screen put the window at
// minus its position (-100,-100), off the screen by 100 px at the top and left.
TEST_F(ControlsRun, FTogglesFullScreenAtTheScreensCornerAndACentredWindowQEndsAndTheClassIsIroiro)
{
    start(1280, 1024);
    window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty()) << "the title is the program's path";
    EXPECT_NE(x->run("xprop -id " + window + " WM_CLASS").find("\"iroiro\""), std::string::npos)
        << x->run("xprop -id " + window + " WM_CLASS");
    const std::string fullScreen = "1280x1024+0+0";
    const std::string centred = "1280x720+0+152";
    struct Step {
        const char* key;
        const std::string& geometry;
    };
    const Step steps[] = {{"f", centred}, {"F11", fullScreen}, {"F", centred}, {"F11", fullScreen}};
    ASSERT_TRUE(x->waitForWindowGeometry(window, fullScreen, 10000)) << "not full screen: " << x->windowGeometry(window);
    for (const Step& step : steps) {
        press(step.key);
        EXPECT_TRUE(x->waitForWindowGeometry(window, step.geometry, 10000))
            << step.key << ": " << x->windowGeometry(window) << ", not " << step.geometry;
    }
    // Paused, the status line stays: its text is on the screen's bottom rows.
    press("space");
    int text = 0;
    waitUntil([&] { return (text = statusTextPixelsOnScreen(*x, 1280, 1024)) > 100; }, 10000);
    EXPECT_GT(text, 100) << "the status line's text is not on the screen's bottom rows";
    EXPECT_EQ(x->windowsNamed(showBinary).size(), 1u) << "the title stays the program's path";
    press("q");
    ASSERT_TRUE(show->waitForExit(promptExitMs)) << "q must end the show at once";
    EXPECT_EQ(show->status(), 0);
    EXPECT_EQ(showMessages(), "");
}

// A --window start opens centred on the screen, shrunk to fit a smaller screen.
TEST_F(ControlsRun, AWindowOpensCentredAndShrunkToFitTheScreen)
{
    start(1024, 768, false, {"--window"});
    window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty());
    EXPECT_TRUE(x->waitForWindowGeometry(window, "1024x720+0+24", 10000)) << x->windowGeometry(window);
    pressEscapeAndExpectExitZero(window);
}

} // namespace
