// The real show binary when its surroundings fail: pictures missing, unreadable, truncated or of
// another kind, the soundtrack unreadable or not an MP3 (missing: e2e_show_test), no sound device,
// a notice that cannot be shown, no display. Each case must end in the expected notices or
// silence, a show that still plays and ends with status 0 on Escape, and no signal and no
// sanitizer report (the sanitizer build runs these tests too).
#include "support/bmp_fixture.h"
#include "support/show_run.h"

#include <gtest/gtest.h>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

enum class Fault {
    none,
    missing,
    directory,  // a folder in the file's place: it opens, but every read fails
    truncated,  // the first half of the real file
    pngBytes,   // a real PNG picture under the .bmp name
    sixteenBit, // a well-formed BMP of a depth the show does not read
    randomBytes,
    textFile,
};

// The pictures in the order the show loads them, each failure raising one notice in that order.
constexpr std::array<const char*, 4> pictureNames = {
    "syfyd.bmp", "muryw.bmp", "velvetend_loop02a(0).bmp", "wave1.bmp"};
constexpr const char* soundtrackName = "k13.mp3";

struct FailureCase {
    const char* name;
    std::array<Fault, 4> pictures; // in pictureNames order
    Fault soundtrack;
    const char* audioDriver; // SDL_AUDIODRIVER for the run
    const char* fontPath = nullptr; // the X server's fonts; null: its usual ones
};

// Names the case in test output instead of its bytes.
void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}

constexpr Fault ok = Fault::none;

// Every picture meets every kind of fault once across the first five rows, and each row breaks
// several pictures, so a failure that stopped the loads after it would show as a missing notice.
const FailureCase failureCases[] = {
    {"PicturesMissingUnreadableTruncatedPng",
     {Fault::missing, Fault::directory, Fault::truncated, Fault::pngBytes}, ok, "disk"},
    {"PicturesSixteenBitMissingUnreadableTruncated",
     {Fault::sixteenBit, Fault::missing, Fault::directory, Fault::truncated}, ok, "disk"},
    {"PicturesPngSixteenBitMissingUnreadable",
     {Fault::pngBytes, Fault::sixteenBit, Fault::missing, Fault::directory}, ok, "disk"},
    {"PicturesTruncatedPngSixteenBitMissing",
     {Fault::truncated, Fault::pngBytes, Fault::sixteenBit, Fault::missing}, ok, "disk"},
    {"PicturesUnreadableTruncatedPngSixteenBit",
     {Fault::directory, Fault::truncated, Fault::pngBytes, Fault::sixteenBit}, ok, "disk"},
    {"SoundtrackOfRandomBytes", {ok, ok, ok, ok}, Fault::randomBytes, "disk"},
    {"SoundtrackIsAText", {ok, ok, ok, ok}, Fault::textFile, "disk"},
    {"SoundtrackUnreadable", {ok, ok, ok, ok}, Fault::directory, "disk"},
    {"NoSoundDevice", {ok, ok, ok, ok}, ok, "no-such-audio-driver"},
    // The server's own fonts lack any the message box can draw its text with, so the notice
    // cannot be shown; its text goes to standard error instead and start-up goes on.
    {"NoticeThatCannotBeShownGoesToStandardError", {ok, Fault::missing, ok, Fault::sixteenBit}, ok, "disk",
     "built-ins"},
};

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

void writeText(const std::string& path, const std::string& text)
{
    writeBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// Replaces the data file at `path` (a copy of the build's) by what `fault` says.
void spoil(const std::string& path, Fault fault)
{
    switch (fault) {
    case Fault::none:
        return;
    case Fault::missing:
        ASSERT_EQ(std::remove(path.c_str()), 0) << path;
        return;
    case Fault::directory:
        ASSERT_EQ(std::remove(path.c_str()), 0) << path;
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path;
        return;
    case Fault::truncated: {
        const std::string whole = readWholeFile(path);
        ASSERT_GT(whole.size(), 1000u) << path;
        writeText(path, whole.substr(0, whole.size() / 2));
        return;
    }
    case Fault::pngBytes:
        ASSERT_EQ(runCommand("convert -size 16x16 xc:orange 'PNG24:" + path + "'").status, 0)
            << "ImageMagick's convert writes the PNG";
        ASSERT_EQ(readWholeFile(path).substr(1, 3), "PNG");
        return;
    case Fault::sixteenBit: {
        BmpFixture sixteen;
        sixteen.bits = 16;
        sixteen.rows.assign(4 * 2 * 2, 0x5A);
        writeBytes(path, sixteen.bytes());
        return;
    }
    case Fault::randomBytes: {
        std::mt19937 generator(13);
        std::vector<std::uint8_t> noise(256 * 1024);
        for (std::uint8_t& byte : noise)
            byte = std::uint8_t(generator());
        writeBytes(path, noise);
        return;
    }
    case Fault::textFile:
        writeText(path, "This is the soundtrack's place, but this is a text file.\n");
        return;
    }
}

class ShowFailure : public ::testing::TestWithParam<FailureCase> {
protected:
    void SetUp() override
    {
        copyShowData(folder.path());
        ASSERT_FALSE(HasFatalFailure());
    }

    std::string dataPath(const std::string& name) const { return folder.path() + "/iroiro/" + name; }
    std::string audioPath() const { return folder.path() + "/audio.raw"; }

    TempFolder folder;
};

TEST_P(ShowFailure, ShowsTheExpectedNoticesPlaysOnAndEndsWithStatusZero)
{
    const FailureCase& c = GetParam();
    // Failed pictures raise notices on screen, or with no usable fonts write their text.
    int expectedNotices = 0;
    std::string expectedMessages;
    std::string missingNames; // in load order, as the show's one line names them
    for (std::size_t i = 0; i < pictureNames.size(); ++i) {
        ASSERT_NO_FATAL_FAILURE(spoil(dataPath(pictureNames[i]), c.pictures[i]));
        if (c.pictures[i] == Fault::missing)
            missingNames += (missingNames.empty() ? "" : ", ") + std::string(pictureNames[i]);
        if (c.pictures[i] == Fault::none)
            continue;
        if (c.fontPath)
            expectedMessages += std::string("Load Bitmap failed : ./iroiro/") + pictureNames[i] + "\n";
        else
            ++expectedNotices;
    }
    ASSERT_NO_FATAL_FAILURE(spoil(dataPath(soundtrackName), c.soundtrack));
    // Before the notices, one line says where the show looked and names --data.
    if (!missingNames.empty())
        expectedMessages = "show: missing from ./iroiro/: " + missingNames +
                           " (--data DIR reads the data from DIR/iroiro/)\n" + expectedMessages;

    PrivateXServer x(640, 480, c.fontPath ? c.fontPath : "");
    ASSERT_TRUE(x.running()) << "Xvfb did not start";
    ChildProcess show({showBinary}, folder.path(),
                      {{"DISPLAY", x.display()},
                       {"SDL_AUDIODRIVER", c.audioDriver},
                       {"SDL_DISKAUDIOFILE", audioPath()}});

    // Start-up stops on each notice until it is dismissed, then goes on with the next picture.
    for (int n = 0; n < expectedNotices; ++n) {
        const std::string notice = x.waitForWindow("Error", 20000);
        ASSERT_FALSE(notice.empty()) << "notice " << n + 1 << " of " << expectedNotices << " did not appear; "
                                     << "the show wrote:\n" << show.standardError();
        ASSERT_TRUE(x.dismissWindow("Error", notice, "Return", 10000)) << "Return dismisses notice " << n + 1;
    }

    // The main loop runs: it has carried out the switch to full screen.
    const std::string window = x.waitForWindow(showBinary, 20000);
    ASSERT_FALSE(window.empty()) << "no show window";
    EXPECT_TRUE(x.waitForWindowSize(window, "640x480", 20000)) << "the window is " << x.windowSize(window);
    // Every picture is loaded before the main loop starts, so no notice can follow the switch.
    EXPECT_TRUE(x.windowsNamed("Error").empty()) << "more notices than the " << expectedNotices << " expected";
    ASSERT_TRUE(show.running()) << "the show ended early, status " << show.status() << "\n"
                                << show.standardError();

    x.run("xdotool key --window " + window + " Escape");
    ASSERT_TRUE(show.waitForExit(promptExitMs)) << "Escape must end the show";
    EXPECT_EQ(show.status(), 0) << "128 and above mean a signal";
    EXPECT_EQ(showMessages(show), expectedMessages) << "nothing else is written: no crash, no sanitizer report";

    // With a readable soundtrack and a device, the failed pictures do not stop the sound; with
    // neither, the show is silent (the disk driver writes silence or nothing at all).
    const std::string played = readWholeFile(audioPath());
    const bool audible = played.find_first_not_of('\0') != std::string::npos;
    const bool soundExpected = c.soundtrack == Fault::none && std::string(c.audioDriver) == "disk";
    EXPECT_EQ(audible, soundExpected) << played.size() << " bytes of sound written";
}

INSTANTIATE_TEST_SUITE_P(Cases, ShowFailure, ::testing::ValuesIn(failureCases),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

// Without a display freeglut cannot open its window: it says so in one line and ends the process
// with a non-zero status before anything else happens.
TEST(ShowWithoutDisplay, SaysSoInOneLineAndExitsNonZeroWithoutCrashing)
{
    TempFolder folder;
    struct NoDisplayCase {
        const char* display; // empty: DISPLAY unset
        const char* shown;   // as freeglut quotes it
    };
    const NoDisplayCase cases[] = {{"", ""}, {":4093", ":4093"}};
    for (const NoDisplayCase& c : cases) {
        ChildProcess show({showBinary}, folder.path(), {{"DISPLAY", c.display}, {"SDL_AUDIODRIVER", "dummy"}});
        ASSERT_TRUE(show.waitForExit(20000)) << "DISPLAY '" << c.display << "'";
        EXPECT_GT(show.status(), 0) << "DISPLAY '" << c.display << "': non-zero";
        EXPECT_LT(show.status(), 128) << "DISPLAY '" << c.display << "': not a signal";
        EXPECT_EQ(show.standardError(), "freeglut (" + showBinary + "): failed to open display '" + c.shown + "'\n");
    }
}

} // namespace
