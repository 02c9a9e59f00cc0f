// The real show with its options: a normal window, a start part-way through (picture, sound and
// end), the data found beside the executable, and the calls of the first frames without options;
// and the name both programs call themselves by, as the build's and under their installed names.
#include "support/command.h"
#include "support/pictures.h"
#include "support/show_run.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The frame grabber, ahead of whatever the test run itself preloads.
std::string framePreload()
{
    return preloadAhead(FRAME_GRAB_LIBRARY);
}

class ShowOptionsRun : public ShowRun {
protected:
    // Runs the show with `args` until its first frame is swapped, and returns that frame.
    Picture firstFrame(const std::vector<std::string>& args, const std::string& workDir = {})
    {
        const std::string grab = folder.path() + "/first.raw";
        start(640, 480, false, args, workDir, {{"LD_PRELOAD", framePreload()}, {"FRAME_GRAB_FILE", grab}});
        EXPECT_TRUE(show->waitForExit(30000)) << "the first frame never came";
        EXPECT_EQ(show->status(), 0);
        return readGrab(grab);
    }

    // showcap's frame of a 60 fps run at `at` seconds, drawn in the same X server.
    Picture showcapFrame(const std::string& at, int width, int height)
    {
        return ::showcapFrame(*x, folder.path(), at, width, height);
    }
};

TEST_F(ShowOptionsRun, WindowOpensANormalWindowOfTheAskedSizeAndEscapeEndsIt)
{
    start(1280, 1024, false, {"--window=640x360"});
    const std::string window = waitForWindow(showBinary, 10000);
    ASSERT_FALSE(window.empty()) << "no window titled with the program's path";
    EXPECT_TRUE(waitForSize(window, "640x360", 10000)) << "window is " << x->windowSize(window);
    // A second of the show played (the disk driver's file holds it), and the window kept its size.
    EXPECT_TRUE(waitForFileSize(audioPath(), 44100LL * 4, 20000));
    EXPECT_EQ(x->windowSize(window), "640x360") << "the window went full screen";
    pressEscapeAndExpectExitZero(window);
    EXPECT_EQ(showMessages(), "");
}

TEST_F(ShowOptionsRun, AtShowsOnItsFirstFrameWhatShowcapDrawsAtThatTime)
{
    const Picture shown = firstFrame({"--window=320x180", "--at", "100"});
    ASSERT_EQ(shown.width, 320);
    ASSERT_EQ(shown.height, 180);
    ASSERT_EQ(shown.rgb.size(), 320u * 180u * 3u);
    const Picture captured = showcapFrame("100", 320, 180);
    const Picture later = showcapFrame("100.5", 320, 180);
    // The window's depth buffer is not the offscreen renderer's, so a few edge pixels may round
    // the other way; half a second later the ripple and the lights have moved.
    EXPECT_LT(differingShare(shown, captured, 2), 0.002) << "the first frame is not the one at 100 s";
    EXPECT_GT(differingShare(shown, later, 2), 0.02) << "frames half a second apart must differ";
}

TEST_F(ShowOptionsRun, AtPlaysTheSoundtrackFromThatMomentAndEndsAt114_8Seconds)
{
    // A data folder whose path makes the soundtrack commands longer than their 64-character
    // buffer, with a space in it.
    const std::string data = folder.path() + "/a data folder with a name long enough to overflow";
    ASSERT_EQ(runCommand("mkdir -p '" + data + "' && mv '" + dataPath("") + "' '" + data + "/'").status, 0);
    const auto started = std::chrono::steady_clock::now();
    start(320, 240, false, {"--window=160x120", "--at", "100", "--data", data});
    ASSERT_TRUE(show->waitForExit(40000)) << "the show must end by itself";
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(show->status(), 0);
    EXPECT_GE(seconds, 14.8) << "ended before 114.8 s of show time";
    EXPECT_EQ(showMessages(), "");

    const std::vector<std::int16_t> played = readPlayedSamples(audioPath());
    const std::vector<std::int16_t> decoded = decodeMp3(data + "/" + dataFolderName + "/" + soundtrackFile, 100.0, 4.0);
    ASSERT_GT(played.size(), 44100u * 2 * 10) << "ten seconds of sound or more were played";
    std::size_t playedStart = 0;
    EXPECT_LE(playedMatchesDecoded(played, decoded, 44100 * 2, playedStart), 8)
        << "the sound played is not the soundtrack from 100 s";
    EXPECT_LT(playedStart, std::size_t(44100)) << "the sound started late";
}

TEST_F(ShowOptionsRun, WithoutDataHereItReadsTheDataBesideTheExecutableWithoutANotice)
{
    TempFolder elsewhere; // no iroiro/ in it
    const Picture there = firstFrame({"--window=160x120", "--at", "33"}, elsewhere.path());
    EXPECT_TRUE(x->windowsNamed("Error").empty()) << "a notice was raised";
    EXPECT_EQ(showMessages(), "");
    const Picture here = firstFrame({"--window=160x120", "--at", "33"});
    ASSERT_EQ(there.rgb.size(), 160u * 120u * 3u);
    EXPECT_EQ(differingShare(there, here, 0), 0.0) << "the sky cube was not textured from the build's data";
}

// The GL calls of a dump with what varies from run to run masked: the program's path, call
// numbers, pointers and every fractional number (times feed positions and angles). The window
// system's calls are left out (GLX's configs, visual ids, drawables, context switches and the
// calls apitrace makes up at each of them), so that a Mesa or freeglut update does not change
// the list; each swap stays as a bare marker between frames.
std::string normalisedCalls(const std::string& dump)
{
    static const std::regex processName(R"(// process.name = .*)");
    static const std::regex callNumber(R"(^\d+ )");
    static const std::regex pointer(R"(0x[0-9a-f]+)");
    static const std::regex fraction(R"(-?\d+\.\d+(e[-+]?\d+)?)");
    static const std::regex largeInteger(R"(\b\d{6,}\b)");
    const std::string fake = "// fake";
    std::istringstream lines(std::regex_replace(dump, processName, ""));
    std::string text;
    for (std::string line; std::getline(lines, line);) {
        line = std::regex_replace(line, callNumber, "");
        if (line.rfind("glXSwapBuffers(", 0) == 0)
            line = "-- swap --";
        else if (line.rfind("glX", 0) == 0)
            continue;
        else if (line.size() >= fake.size() && line.compare(line.size() - fake.size(), fake.size(), fake) == 0)
            continue;
        line = std::regex_replace(line, pointer, "0x#");
        line = std::regex_replace(line, fraction, "#");
        text += std::regex_replace(line, largeInteger, "#") + "\n";
    }
    return text;
}

TEST_F(ShowOptionsRun, WithoutArgumentsTheFirstFramesCallsAreTheShowsOwn)
{
    const std::string trace = folder.path() + "/show.trace";
    startServer(320, 240);
    const std::string traced =
        x->run("LD_PRELOAD='" + framePreload() + "' FRAME_GRAB_AFTER=3 SDL_AUDIODRIVER=dummy apitrace trace --api gl -o '" +
               trace + "' '" + showBinary + "' >/dev/null 2>&1; echo $?");
    ASSERT_EQ(traced, "0\n") << "apitrace could not trace the show";
    const std::string calls = normalisedCalls(x->run("apitrace dump --arg-names=yes '" + trace + "'"));
    ASSERT_GT(calls.size(), 1000u);

    const std::string golden = std::string(SHOW_SOURCE_DIR) + "/tests/golden/show_first_frames.calls";
    if (std::getenv("SHOW_UPDATE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary) << calls;
        GTEST_SKIP() << "wrote " << golden;
    }
    std::ofstream(std::string(SHOW_BUILD_DIR) + "/show_first_frames.calls", std::ios::binary) << calls;
    EXPECT_TRUE(calls == readWholeFile(golden))
        << "the first three frames' GL calls changed; compare " SHOW_BUILD_DIR "/show_first_frames.calls with "
        << golden << " (SHOW_UPDATE_GOLDEN=1 rewrites it when the change is meant)";
}

struct NamedCase {
    const char* program; // the build's binary
    const char* started; // the name it is started as: a link to it; empty: the build's own path
    std::vector<std::string> args;
    int status;
    std::string out; // how standard output (exit status 0) or standard error (otherwise) begins
};

const std::string version = SHOW_VERSION;
const NamedCase namedCases[] = {
    {SHOW_BINARY, "", {"--bogus"}, 2, "show: unknown option --bogus\nUsage: show [--window"},
    {SHOW_BINARY, "", {"--version"}, 0, "show (iroiro) " + version + "\n"},
    {SHOW_BINARY, "iroiro", {"--bogus"}, 2, "iroiro: unknown option --bogus\nUsage: iroiro [--window"},
    {SHOW_BINARY, "iroiro", {"--version"}, 0, "iroiro " + version + "\n"},
    {SHOW_BINARY, "iroiro", {"--help"}, 0, "Usage: iroiro [--window"},
    {SHOW_BINARY, "iroiro", {"--window", "800x450"}, 2,
     "iroiro: unexpected argument 800x450 (for a window of that size, write --window=800x450)\nUsage: iroiro ["},
    {SHOW_BINARY, "iroiro", {"--data", "nowhere"}, 2, "iroiro: --data nowhere: no iroiro/ folder there\nUsage: iroiro ["},
    {SHOWCAP_BINARY, "", {"--bogus"}, 2, "showcap: unknown option --bogus\nUsage:\n  showcap video OUT.mp4"},
    {SHOWCAP_BINARY, "", {"--version"}, 0, "showcap (iroiro) " + version + "\n"},
    {SHOWCAP_BINARY, "iroiro-capture", {"--help"}, 0, "Usage:\n  iroiro-capture video OUT.mp4"},
    {SHOWCAP_BINARY, "iroiro-capture", {"--version"}, 0, "iroiro-capture " + version + "\n"},
    {SHOWCAP_BINARY, "iroiro-capture", {"frame", "f.png", "--at", "3", "--data", "nowhere"}, 1,
     "iroiro-capture: no iroiro/ folder in nowhere\n"},
};

TEST(ProgramNames, BothProgramsCallThemselvesByTheNameTheyWereStartedAs)
{
    TempFolder folder;
    for (const NamedCase& c : namedCases) {
        std::string program = c.program;
        if (*c.started) {
            program = folder.path() + "/" + c.started;
            std::remove(program.c_str());
            ASSERT_EQ(symlink(c.program, program.c_str()), 0) << program;
        }
        std::string command = "cd '" + folder.path() + "' && env -u DISPLAY '" + program + "'";
        for (const std::string& arg : c.args)
            command += " '" + arg + "'";
        const CommandResult result = runCommand(command + " >out.txt 2>errors.txt");
        const std::string shown = std::string(*c.started ? c.started : c.program) + " " + c.args.front();
        EXPECT_EQ(result.status, c.status) << shown;
        const std::string out = readWholeFile(folder.path() + (c.status == 0 ? "/out.txt" : "/errors.txt"));
        EXPECT_EQ(out.substr(0, c.out.size()), c.out) << shown << ": got\n" << out;
        EXPECT_EQ(out.find(*c.started ? "showcap" : "iroiro-capture"), std::string::npos)
            << shown << ": another name for the program";
    }
}

// Installed copies (not links: a program finds its data from where its file is) under a prefix,
// started from a working folder. A stray data file in the working folder's iroiro/ does not hide
// the installed data, and the choice is said; away from any data (and with no iroiro/ here), the
// installed programs point to --data, not to the build.
struct InstalledCase {
    const char* why;
    const char* program;   // the build's binary, copied to PREFIX/bin/ under `installed`
    const char* installed;
    bool shareData;        // PREFIX/share/iroiro/iroiro/ holds the five files, ./iroiro/ a stray one
    std::vector<std::string> args;
    std::string said;      // a line standard error holds; PREFIX stands for the prefix
    const char* notSaid;   // and what it does not
};

const InstalledCase installedCases[] = {
    {"the show reads the installed data past a stray file here", SHOW_BINARY, "iroiro", true, {"--window"},
     "iroiro: reading the data from PREFIX/bin/../share/iroiro/iroiro/ (./iroiro/ holds only some of the files)\n",
     "missing from"},
    {"showcap likewise", SHOWCAP_BINARY, "iroiro-capture", true, {"frame", "f.png", "--at", "3", "--size", "32x24"},
     "iroiro-capture: reading the data from PREFIX/bin/../share/iroiro/iroiro/ (./iroiro/ holds only some of the files)\n",
     "cannot"},
    {"showcap away from its data says where it looked and names --data", SHOWCAP_BINARY, "iroiro-capture", false,
     {"frame", "f.png", "--at", "3"},
     "iroiro-capture: no iroiro/ data folder in the working folder, in PREFIX/bin or in PREFIX/bin/../share/iroiro: "
     "give --data DIR, the folder holding iroiro/\n",
     "iroiro_data"},
};

TEST(InstalledData, AStrayFileHereDoesNotHideTheInstalledDataAndTheChoiceIsSaid)
{
    for (const InstalledCase& c : installedCases) {
        SCOPED_TRACE(c.why);
        TempFolder folder;
        const std::string prefix = folder.path() + "/prefix";
        const std::string work = folder.path() + "/work";
        std::string command = "mkdir -p '" + prefix + "/bin' '" + work + "' && cp '" + c.program + "' '" + prefix +
                              "/bin/" + c.installed + "'";
        if (c.shareData)
            command += " && mkdir '" + work + "/iroiro' && echo stray > '" + work + "/iroiro/" + soundtrackFile +
                       "' && mkdir -p '" + prefix + "/share/iroiro' && cp -r '" SHOW_BUILD_DIR "/iroiro' '" + prefix +
                       "/share/iroiro/'";
        ASSERT_EQ(runCommand(command).status, 0);
        command = "cd '" + work + "' && env -u DISPLAY '" + prefix + "/bin/" + c.installed + "'";
        for (const std::string& arg : c.args)
            command += " '" + arg + "'";
        runCommand(command + " >out.txt 2>errors.txt");
        const std::string errors = readWholeFile(work + "/errors.txt");
        const std::string said = std::regex_replace(c.said, std::regex("PREFIX"), prefix);
        EXPECT_NE(errors.find(said), std::string::npos) << "expected\n" << said << "got\n" << errors;
        EXPECT_EQ(errors.find(c.notSaid), std::string::npos) << errors;
    }
}

} // namespace
