// The real show against what a user's machine can do to it: a signal asking it to stop, a window
// that cannot be seen, a FIFO where a data file should be, soundtracks the decoder cannot read.
// Each row asserts how the show ends (its status, or the signal that ended it), the notices, that
// nothing is written to standard error, and that no process is left behind.
#include "support/show_run.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <ostream>
#include <random>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double showEndSeconds = 114.8;

// The hidden-window rows start this far into the show: what they check (ending on the schedule,
// not spinning) holds over the last stretch as over the whole, at an eighth of the wait.
constexpr double hiddenRowsStartSeconds = 100.0;

enum class Action {
    sigint,  // sent once the window is up
    sigterm,
    escape,  // pressed after a few seconds of the show
    unmap,   // the window unmapped, shown again for a while, unmapped again until the end
    cover,   // another window over the whole of it until the end
    sigtermDuringNotice, // sent while the notice for a missing picture is up
    sighupDuringNotice,
    largeWindowAndBack, // the window made 8000x8000, drawn, made small again, then Escape
};

enum class Soundtrack {
    good,
    fifo,                // a FIFO nobody writes to
    headerThenGarbage,   // a real frame header, then 64 KiB of noise
    oneFourByteFrame,    // the first frame's header alone
    framesThenJunkTail,  // three seconds of real frames, then 300 bytes of noise
    garbageInsideFrames, // every frame header kept, everything inside them noise
};

enum class Picture { good, missing, fifo }; // the glow picture, the first picture loaded

enum class Audio {
    dummy, // SDL's dummy driver: a device that plays nothing
    disk,  // SDL's disk driver: the decoded sound goes to a file, in real time
    noCard, // ALSA with a configuration naming no device: the driver starts, the open fails
};

struct DependabilityCase {
    const char* name;
    Action action;
    Soundtrack soundtrack;
    Picture picture;
    Audio audio;
    const char* fault; // what the row catches, said when it fails
};

void PrintTo(const DependabilityCase& c, std::ostream* out)
{
    *out << c.name;
}

const DependabilityCase dependabilityCases[] = {
    {"SigintEndsTheShow", Action::sigint, Soundtrack::good, Picture::good, Audio::dummy,
     "SDL's event subsystem caught SIGINT and queued a quit event nothing reads"},
    {"SigtermEndsTheShow", Action::sigterm, Soundtrack::good, Picture::good, Audio::dummy,
     "SDL's event subsystem caught SIGTERM"},
    {"SigintEndsTheShowWithoutSoundDevice", Action::sigint, Soundtrack::good, Picture::good, Audio::noCard,
     "the event subsystem stayed up, with its handlers, after the failed open"},
    {"SigtermEndsTheShowWithoutSoundDevice", Action::sigterm, Soundtrack::good, Picture::good, Audio::noCard,
     "the event subsystem stayed up after the failed open"},
    {"SigtermEndsTheShowAfterANotice", Action::sigterm, Soundtrack::good, Picture::missing, Audio::dummy,
     "the notice's message box left handlers behind"},
    {"FifoSoundtrackDoesNotBlockTheShow", Action::escape, Soundtrack::fifo, Picture::good, Audio::disk,
     "open() of the soundtrack blocked start-up: no window, Escape not handled"},
    {"FifoPictureRaisesTheNoticeWithoutBlocking", Action::escape, Soundtrack::good, Picture::fifo, Audio::disk,
     "the loader blocked opening the FIFO"},
    {"MpegHeaderThenGarbageIsSilent", Action::escape, Soundtrack::headerThenGarbage, Picture::good, Audio::disk,
     "the decoder wrote that it gave up searching for a header"},
    {"SingleFourByteFrameIsSilent", Action::escape, Soundtrack::oneFourByteFrame, Picture::good, Audio::disk,
     "the decoder warned of a one-frame stream"},
    {"JunkAfterTheLastFrameIsSilent", Action::escape, Soundtrack::framesThenJunkTail, Picture::good, Audio::disk,
     "the decoder wrote notes on an illegal header and its resync at the end"},
    {"GarbageInsideFramesIsSilent", Action::escape, Soundtrack::garbageInsideFrames, Picture::good, Audio::disk,
     "the decoder wrote an error for every bad frame"},
    {"SigtermWhileANoticeIsUpTakesTheNoticeAway", Action::sigtermDuringNotice, Soundtrack::good, Picture::missing,
     Audio::dummy, "the notice's process outlived the show, its box left on screen"},
    {"SighupWhileANoticeIsUpTakesTheNoticeAway", Action::sighupDuringNotice, Soundtrack::good, Picture::missing,
     Audio::dummy, "the notice's process outlived the show, its box left on screen"},
    {"UnmappedWindowEndsOnTimeWithoutSpinning", Action::unmap, Soundtrack::good, Picture::good, Audio::dummy,
     "the end was only reached in a drawn frame, and the idle loop spun while nothing was drawn"},
    {"CoveredWindowEndsOnTimeWithoutSpinning", Action::cover, Soundtrack::good, Picture::good, Audio::dummy,
     "a fully covered window drew nothing, so the show never ended"},
    {"ALargeWindowsMemoryIsGivenBackWhenItIsLeft", Action::largeWindowAndBack, Soundtrack::good, Picture::good,
     Audio::dummy, "the allocator kept the large window's freed buffers resident"},
};

// The resident memory of process `pid` in MiB (0 when unknown).
long residentMiB(pid_t pid)
{
    const std::string status = readWholeFile("/proc/" + std::to_string(pid) + "/status");
    const std::size_t at = status.find("VmRSS:");
    return at == std::string::npos ? 0 : std::strtol(status.c_str() + at + 6, nullptr, 10) / 1024;
}

std::vector<std::uint8_t> bytesOf(const std::string& path)
{
    const std::string text = readWholeFile(path);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::vector<std::uint8_t> noise(std::size_t size)
{
    std::mt19937 generator(14);
    std::vector<std::uint8_t> bytes(size);
    for (std::uint8_t& byte : bytes)
        byte = std::uint8_t(generator());
    return bytes;
}

// Where each frame of an MPEG-1 Layer III file starts and how long it is (the soundtrack the
// build writes is one: constant bit rate, frames back to back from the first byte).
struct FrameSpan {
    std::size_t at;
    std::size_t size;
};

std::vector<FrameSpan> mpegFrames(const std::vector<std::uint8_t>& mp3)
{
    static constexpr int kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr int rates[4] = {44100, 48000, 32000, 0};
    std::vector<FrameSpan> frames;
    std::size_t at = 0;
    while (at + 4 <= mp3.size() && mp3[at] == 0xFF && (mp3[at + 1] & 0xFE) == 0xFA) {
        const int bitRate = kbps[mp3[at + 2] >> 4];
        const int rate = rates[(mp3[at + 2] >> 2) & 3];
        if (bitRate == 0 || rate == 0)
            break;
        const std::size_t size = std::size_t(144000 * bitRate / rate + ((mp3[at + 2] >> 1) & 1));
        frames.push_back({at, size});
        at += size;
    }
    return frames;
}

// The soundtrack `kind` made from the build's real one.
void spoilSoundtrack(const std::string& path, Soundtrack kind)
{
    const std::vector<std::uint8_t> real = bytesOf(path);
    const std::vector<FrameSpan> frames = mpegFrames(real);
    ASSERT_GT(frames.size(), 200u) << "the build's soundtrack is MPEG-1 Layer III from its first byte";
    // Frame 0 holds the encoder's summary of the whole file; the spoiled files start after it.
    const auto from = real.begin() + std::ptrdiff_t(frames[1].at);
    std::vector<std::uint8_t> bytes;
    switch (kind) {
    case Soundtrack::good:
        return;
    case Soundtrack::fifo:
        ASSERT_EQ(std::remove(path.c_str()), 0);
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        return;
    case Soundtrack::headerThenGarbage:
        bytes.assign(from, from + 4);
        for (std::uint8_t byte : noise(64 * 1024))
            bytes.push_back(byte);
        break;
    case Soundtrack::oneFourByteFrame:
        bytes.assign(from, from + 4);
        break;
    case Soundtrack::framesThenJunkTail:
        bytes.assign(from, real.begin() + std::ptrdiff_t(frames[116].at)); // 115 frames, 3 s
        for (std::uint8_t byte : noise(300))
            bytes.push_back(byte);
        break;
    case Soundtrack::garbageInsideFrames: {
        bytes.assign(from, real.end());
        const std::vector<std::uint8_t> inside = noise(bytes.size());
        for (std::size_t i = 1; i < frames.size(); ++i)
            for (std::size_t k = 4; k < frames[i].size && frames[i].at + k < real.size(); ++k)
                bytes[frames[i].at - frames[1].at + k] = inside[frames[i].at + k - frames[1].at];
        break;
    }
    }
    writeBytes(path, bytes);
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class ShowDependability : public ::testing::TestWithParam<DependabilityCase> {
protected:
    void SetUp() override
    {
        copyShowData(folder.path());
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(mkdir((folder.path() + "/cover").c_str(), 0755), 0);
    }

    std::string dataPath(const std::string& name) const { return folder.path() + "/iroiro/" + name; }

    // The share of one core the show used over `seconds` from now.
    // The share of a core the process takes over `seconds`, from a second after the call: the
    // frame in flight when the window went out of sight (hundreds of milliseconds on a loaded
    // machine or under the sanitizers) is left out, so what is measured is the steady state.
    double cpuShareOver(pid_t pid, int seconds, const char* when) const
    {
        sleepMs(1000);
        const double before = cpuSeconds(pid);
        const Clock::time_point start = Clock::now();
        sleepMs(seconds * 1000);
        const double share = (cpuSeconds(pid) - before) / secondsSince(start);
        std::printf("%s: %.1f %% of a core\n", when, share * 100);
        return share;
    }

    TempFolder folder;
};

TEST_P(ShowDependability, EndsAsAskedSilentlyAndLeavesNothingRunning)
{
    const DependabilityCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(spoilSoundtrack(dataPath("k13.mp3"), c.soundtrack));
    const std::string glowPicture = dataPath("syfyd.bmp");
    if (c.picture != Picture::good) {
        ASSERT_EQ(std::remove(glowPicture.c_str()), 0);
    }
    if (c.picture == Picture::fifo) {
        ASSERT_EQ(mkfifo(glowPicture.c_str(), 0600), 0);
    }

    PrivateXServer x(640, 480);
    ASSERT_TRUE(x.running()) << "Xvfb did not start";
    const Clock::time_point launched = Clock::now();
    const char* drivers[] = {"dummy", "disk", "alsa"};
    const std::string alsaConfiguration = folder.path() + "/no-card.conf";
    writeBytes(alsaConfiguration, {});
    const bool hidden = c.action == Action::unmap || c.action == Action::cover;
    std::vector<std::string> command{showBinary};
    if (hidden) {
        command.insert(command.end(), {"--at", std::to_string(int(hiddenRowsStartSeconds))});
    }
    ChildProcess show(command, folder.path(),
                      {{"DISPLAY", x.display()},
                       {"SDL_AUDIODRIVER", drivers[int(c.audio)]},
                       {"SDL_DISKAUDIOFILE", folder.path() + "/audio.raw"},
                       {"ALSA_CONFIG_PATH", c.audio == Audio::noCard ? alsaConfiguration : ""}});

    if (c.picture != Picture::good) {
        const std::string notice = x.waitForWindow("Error", 20000);
        ASSERT_FALSE(notice.empty()) << c.fault << "\nthe show wrote:\n" << show.standardError();
        if (c.action == Action::sigtermDuringNotice || c.action == Action::sighupDuringNotice) {
            const int signalNumber = c.action == Action::sigtermDuringNotice ? SIGTERM : SIGHUP;
            ASSERT_EQ(kill(show.pid(), signalNumber), 0);
            ASSERT_TRUE(show.waitForExit(promptExitMs)) << c.fault;
            EXPECT_EQ(show.status(), 128 + signalNumber);
            EXPECT_TRUE(waitUntil([&] { return x.windowsNamed("Error").empty(); }, 5000)) << c.fault;
            return;
        }
        ASSERT_TRUE(x.dismissWindow("Error", notice, "Return", 10000));
    }
    const std::string window = x.waitForWindow(showBinary, 20000);
    ASSERT_FALSE(window.empty()) << c.fault << "\nno show window; the show wrote:\n" << show.standardError();
    ASSERT_TRUE(x.waitForWindowSize(window, "640x480", 20000)) << "the switch to full screen";
    ASSERT_TRUE(show.running()) << "ended early, status " << show.status() << "\n" << show.standardError();
    // The show starts no process of its own, so none can outlive it.
    const pid_t pid = show.pid();
    EXPECT_EQ(readWholeFile("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children"), "");

    int expectedSignal = 0;
    switch (c.action) {
    case Action::sigtermDuringNotice:
    case Action::sighupDuringNotice:
        break; // ended while the notice was up, above
    case Action::sigint:
    case Action::sigterm:
        expectedSignal = c.action == Action::sigint ? SIGINT : SIGTERM;
        ASSERT_EQ(kill(pid, expectedSignal), 0);
        ASSERT_TRUE(show.waitForExit(promptExitMs)) << c.fault;
        break;
    case Action::escape:
        // The short soundtrack's junk tail is reached after three seconds: the disk driver's file
        // (44100 stereo s16 frames a second, written at the sound's pace) shows how far it got.
        ASSERT_TRUE(waitForFileSize(folder.path() + "/audio.raw", 44100LL * 4 * 7 / 2, 20000))
            << c.fault << ": the show did not play three and a half seconds";
        ASSERT_TRUE(show.running()) << c.fault << ": ended early\n" << show.standardError();
        x.run("xdotool key --window " + window + " Escape");
        ASSERT_TRUE(show.waitForExit(promptExitMs)) << c.fault << ": Escape must end the show";
        break;
    case Action::largeWindowAndBack: {
        const long before = residentMiB(pid);
        x.run("xdotool windowsize " + window + " 8000 8000");
        // Frames at that size hold buffers of hundreds of MiB.
        const bool grown = waitUntil([&] { return residentMiB(pid) > before + 300; }, 60000);
        const long large = residentMiB(pid);
        x.run("xdotool windowsize " + window + " 640 480");
        EXPECT_TRUE(grown) << "no large frame drawn: " << before << " MiB before, " << large << " MiB at 8000x8000";
        // Frames of the small size come, and after them the memory goes back.
        const bool released = waitUntil([&] { return residentMiB(pid) < before + 100; }, 30000);
        std::printf("resident: %ld MiB, %ld MiB at 8000x8000, %ld MiB after\n", before, large, residentMiB(pid));
        EXPECT_TRUE(released) << c.fault;
        x.run("xdotool key --window " + window + " Escape");
        ASSERT_TRUE(show.waitForExit(promptExitMs)) << "Escape must end the show";
        break;
    }
    case Action::unmap:
    case Action::cover: {
        std::optional<ChildProcess> cover;
        if (c.action == Action::cover) {
            // A plain window as large as the screen, mapped last and so on top.
            cover.emplace(std::vector<std::string>{"/usr/bin/xmessage", "-geometry", "640x480+0+0", "cover"},
                          folder.path() + "/cover", std::vector<std::pair<std::string, std::string>>{{"DISPLAY", x.display()}});
            ASSERT_FALSE(x.waitForWindow("xmessage", 10000).empty()) << "the covering window";
        } else {
            x.run("xdotool windowunmap --sync " + window);
            EXPECT_LT(cpuShareOver(pid, 3, "unmapped"), 0.1) << c.fault;
            // Shown again, frames come back: the picture moves between two looks.
            x.run("xdotool windowmap --sync " + window);
            const auto look = [&] { return x.run("import -window " + window + " -depth 8 rgb:-"); };
            const std::string first = look();
            EXPECT_FALSE(first.empty());
            EXPECT_TRUE(waitUntil([&] { return look() != first; }, 5000))
                << "no frames after the window was shown again";
            x.run("xdotool windowunmap --sync " + window);
        }
        EXPECT_LT(cpuShareOver(pid, 3, "out of sight"), 0.1) << c.fault;
        const double showSeconds = showEndSeconds - hiddenRowsStartSeconds;
        ASSERT_TRUE(show.waitForExit(int((showSeconds + 20 - secondsSince(launched)) * 1000))) << c.fault;
        // The clock starts at the first frame, a moment after the launch.
        const double ended = secondsSince(launched);
        std::printf("ended %.2f s after the launch\n", ended);
        EXPECT_GE(ended, showSeconds);
        EXPECT_LT(ended, showSeconds + 10);
        break;
    }
    }

    EXPECT_EQ(show.status(), expectedSignal == 0 ? 0 : 128 + expectedSignal);
    EXPECT_EQ(kill(pid, 0), -1) << "the show's process is gone";
    EXPECT_TRUE(x.windowsNamed("Error").empty()) << "an unexpected notice";
    const std::string hint = c.picture == Picture::missing
                                 ? "show: missing from ./iroiro/: syfyd.bmp (--data DIR reads the data from DIR/iroiro/)\n"
                                 : "";
    EXPECT_EQ(showMessages(show), hint) << c.fault;
}

INSTANTIATE_TEST_SUITE_P(Cases, ShowDependability, ::testing::ValuesIn(dependabilityCases),
                         [](const ::testing::TestParamInfo<DependabilityCase>& info) { return info.param.name; });

// Limits of the process the renderer cannot work within: one line of the show's own naming the
// limit, status 1, and no window.
TEST(ShowLimits, ALimitTheRendererCannotLoadWithinIsNamedInOneLine)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space at start";
#endif
    struct LimitCase {
        const char* prelude; // run by the shell before it becomes the show
        const char* fault;
        std::string message;
    };
    const LimitCase cases[] = {
        {"ulimit -v 200000", "Mesa's \"MESA-LOADER: failed to open swrast\" lines and freeglut's, then an X error",
         "show: the address-space limit (ulimit -v 200000 KiB) leaves too little room to load the OpenGL renderer"},
        {"ulimit -v 300000", "the same, the renderer a little short of room",
         "show: the address-space limit (ulimit -v 300000 KiB) leaves too little room to load the OpenGL renderer"},
    };
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(copyShowData(folder.path()));
    PrivateXServer x(640, 480);
    ASSERT_TRUE(x.running());
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.prelude);
        ChildProcess show({"/bin/sh", "-c", std::string(c.prelude) + "; exec '" + showBinary + "'"}, folder.path(),
                          {{"DISPLAY", x.display()}, {"SDL_AUDIODRIVER", "dummy"}});
        ASSERT_TRUE(show.waitForExit(30000)) << c.fault;
        EXPECT_EQ(show.status(), 1) << c.fault;
        const std::string said = show.standardError();
        EXPECT_EQ(said.rfind(c.message, 0), 0u) << c.fault << "\n" << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.fault << "\n" << said;
        EXPECT_TRUE(x.windowsNamed(showBinary).empty()) << "a window was opened";
    }
}

} // namespace
