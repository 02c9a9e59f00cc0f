// The show's command line, and show times as both programs read and print them: accepted forms
// with their values, every refusal with its one-line reason.
#include "app/show_options.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

struct AcceptedCase {
    const char* why;
    std::vector<std::string> args;
    bool window;
    int width, height;
    std::uint32_t atMs;
    const char* data;
    std::vector<std::string> glutArgs;
};

const AcceptedCase acceptedCases[] = {
    {"no arguments: full screen from 0, data looked for", {}, false, 1280, 720, 0, "", {}},
    {"a window of the default size", {"--window"}, true, 1280, 720, 0, "", {}},
    {"a window of a chosen size, either x", {"--window=800X600"}, true, 800, 600, 0, "", {}},
    {"a start time with decimals, value apart", {"--at", "100.25"}, false, 1280, 720, 100250, "", {}},
    {"the last millisecond of the show", {"--at=114.799"}, false, 1280, 720, 114799, "", {}},
    {"leading zeros, and -- ending the options", {"--at", "00000005", "--"}, false, 1280, 720, 5000, "", {}},
    {"data folder, then everything together", {"--data", "d", "--window=64x48", "--at", "0"}, true, 64, 48, 0, "d", {}},
    {"GLUT's own options go to GLUT in order", {"-display", ":1", "--window", "-sync", "-geometry", "10x10+0+0"},
     true, 1280, 720, 0, "", {"-display", ":1", "-sync", "-geometry", "10x10+0+0"}},
};

TEST(ShowOptions, AcceptedCommandLinesGiveTheirValues)
{
    for (const AcceptedCase& c : acceptedCases) {
        ShowOptions options;
        std::string error;
        ASSERT_TRUE(parseShowOptions(c.args, options, error)) << c.why << ": " << error;
        EXPECT_FALSE(options.help) << c.why;
        EXPECT_EQ(options.window, c.window) << c.why;
        EXPECT_EQ(options.width, c.width) << c.why;
        EXPECT_EQ(options.height, c.height) << c.why;
        EXPECT_EQ(options.shared.atMs, c.atMs) << c.why;
        EXPECT_EQ(options.shared.dataFolder, c.data) << c.why;
        EXPECT_EQ(options.glutArgs, c.glutArgs) << c.why;
    }
}

TEST(ShowOptions, VolumeIsFullUnlessGivenFrom0To100)
{
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{}, 100}, {{"--volume", "0"}, 0}, {{"--volume=70"}, 70}, {{"--volume", "100", "--window"}, 100},
        {{"--volume", "5"}, 5},
    };
    for (const auto& [args, percent] : cases) {
        ShowOptions options;
        std::string error;
        ASSERT_TRUE(parseShowOptions(args, options, error)) << error;
        EXPECT_EQ(options.volumePercent, percent);
    }
}

TEST(ShowOptions, MsaaIsOffUnlessGiven)
{
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{}, 0}, {{"--msaa", "0"}, 0}, {{"--msaa", "2"}, 2}, {{"--msaa=4"}, 4}, {{"--msaa", "8", "--window"}, 8},
    };
    for (const auto& [args, samples] : cases) {
        ShowOptions options;
        std::string error;
        ASSERT_TRUE(parseShowOptions(args, options, error)) << error;
        EXPECT_EQ(options.msaa, samples);
    }
}

TEST(ShowOptions, ShotsGoToTheWorkingFolderUnlessAFolderIsNamed)
{
    ShowOptions options;
    std::string error;
    ASSERT_TRUE(parseShowOptions({"--window"}, options, error));
    EXPECT_EQ(options.shotsFolder, "");
    ASSERT_TRUE(parseShowOptions({"--shots", "pictures/of the show", "--window"}, options, error)) << error;
    EXPECT_EQ(options.shotsFolder, "pictures/of the show");
    ASSERT_TRUE(parseShowOptions({"--shots=-x"}, options, error)) << error;
    EXPECT_EQ(options.shotsFolder, "-x");
}

TEST(ShowOptions, HelpIsAnsweredWhateverElseTheLineHolds)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"--window", "--help"}}) {
        ShowOptions options;
        std::string error;
        ASSERT_TRUE(parseShowOptions(args, options, error)) << args.front();
        EXPECT_TRUE(options.help) << args.front();
    }
}

TEST(ShowOptions, VersionIsAnsweredBeforeAnyWindow)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--version"}, {"--window", "--version"}}) {
        ShowOptions options;
        std::string error;
        ASSERT_TRUE(parseShowOptions(args, options, error)) << args.back();
        EXPECT_TRUE(options.version);
        EXPECT_FALSE(options.help);
    }
}

struct RefusedCase {
    std::vector<std::string> args;
    const char* reason; // a part of the message that names the fault
};

const RefusedCase refusedCases[] = {
    {{"--fullscreen"}, "unknown option --fullscreen"},
    {{"-x"}, "unknown option -x"},
    {{"movie.mp4"}, "unexpected argument movie.mp4"},
    {{"--window="}, "--window=: give --window=WIDTHxHEIGHT"},
    {{"--window=0x10"}, "each side from 1 to 16384"},
    {{"--window=16385x10"}, "each side from 1 to 16384"},
    {{"--window=640"}, "give --window=WIDTHxHEIGHT"},
    {{"--window=-640x480"}, "give --window=WIDTHxHEIGHT"},
    {{"--at"}, "--at needs a value"},
    {{"--at", "114.8"}, "--at 114.8 is at or past the end of the show (114.8 s)"},
    {{"--at", "200"}, "--at 200 is at or past the end of the show"},
    {{"--at", "-1"}, "--at -1: give seconds of show time"},
    {{"--at", "1.2345"}, "--at 1.2345: give seconds of show time"},
    {{"--data"}, "--data needs a value"},
    {{"--data="}, "--data needs a folder"},
    {{"-display"}, "-display needs a value"},
    {{"--", "--loop"}, "unexpected argument --loop"},
    {{"--volume"}, "--volume needs a value"},
    {{"--shots"}, "--shots needs a value"},
    {{"--msaa", "3"}, "--msaa 3: give 2, 4 or 8 samples per pixel, or 0 for none"},
    {{"--msaa=16"}, "--msaa 16: give 2, 4 or 8"},
    {{"--aspect", "wide"}, "--aspect wide: give stretch, square or W:H (such as 16:9)"},
    {{"--aspect"}, "--aspect needs a value"},
    {{"--shots="}, "--shots needs a folder"},
    {{"--volume", "101"}, "--volume 101: give a volume from 0 to 100 (%)"},
    {{"--volume=-10"}, "--volume -10: give a volume from 0 to 100"},
    {{"--volume", "50%"}, "--volume 50%: give a volume"},
    {{"--volume", "00"}, "--volume 00: give a volume"},
    {{"--volume="}, "--volume : give a volume"},
    {{"--at", std::string(5000, '9')}, "--at 9999999999"},
    {{"--" + std::string(5000, 'x')}, "unknown option --xxxxxxxx"},
};

TEST(ShowOptions, RefusedCommandLinesSayWhyInOneLine)
{
    for (const RefusedCase& c : refusedCases) {
        const std::string shown = c.args.back();
        ShowOptions options;
        std::string error;
        EXPECT_FALSE(parseShowOptions(c.args, options, error)) << shown;
        EXPECT_NE(error.find(c.reason), std::string::npos) << shown << ": got \"" << error << "\"";
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
        EXPECT_LT(error.size(), 200u) << "a long argument is not repeated whole";
    }
}

// A size given apart from --window is refused with the form that works; anything else apart is
// only named.
const std::pair<std::vector<std::string>, const char*> apartCases[] = {
    {{"--window", "800x450"}, "unexpected argument 800x450 (for a window of that size, write --window=800x450)"},
    {{"--at", "5", "--window", "800X450", "--loop"},
     "unexpected argument 800X450 (for a window of that size, write --window=800X450)"},
    {{"--window", "big"}, "unexpected argument big"},
    {{"--window", "0x450"}, "unexpected argument 0x450"},
    {{"--loop", "800x450"}, "unexpected argument 800x450"},
    {{"--window=640x480", "800x450"}, "unexpected argument 800x450"},
};

TEST(ShowOptions, ASizeApartFromWindowIsRefusedWithTheFormThatWorks)
{
    for (const auto& [args, expected] : apartCases) {
        ShowOptions options;
        std::string error;
        EXPECT_FALSE(parseShowOptions(args, options, error)) << expected;
        EXPECT_EQ(error, expected);
    }
}

TEST(ShowOptions, ProgramsCallThemselvesByTheNameTheyWereStartedAs)
{
    const std::pair<const char*, const char*> cases[] = {
        {"build/show", "show"},
        {"/usr/bin/iroiro", "iroiro"},
        {"iroiro-capture", "iroiro-capture"},
        {"C:\\Shows\\iroiro.exe", "iroiro"},
        {"D:/iroiro/IROIRO.EXE", "IROIRO"},
        {"./my.exe.d/show", "show"},
        {"", "iroiro"},      // no path at all: the installed name
        {"build/", "iroiro"},
        {nullptr, "iroiro"}, // no arguments, not even the program's path
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(commandName(path, "iroiro"), name) << (path ? path : "(null)");

    EXPECT_EQ(versionLine("iroiro", "iroiro", "1.2.3"), "iroiro 1.2.3\n");
    EXPECT_EQ(versionLine("show", "iroiro", "1.2.3"), "show (iroiro) 1.2.3\n");
    EXPECT_EQ(showUsage("iroiro").rfind("Usage: iroiro [--window[=WxH]] [--at SECONDS]", 0), 0u) << showUsage("iroiro");
    EXPECT_EQ(showHelp("show").rfind(showUsage("show"), 0), 0u);
}

struct TimeCase {
    const char* text;
    bool valid;
    std::uint32_t ms;
};

constexpr TimeCase timeCases[] = {
    {"0", true, 0},
    {"25", true, 25000},
    {"95.5", true, 95500},
    {"0.001", true, 1},
    {"114.8", true, 114800},
    {"0.29", true, 290},     // 0.29 * 1000 in binary floating point is 289.99...
    {"4.35", true, 4350},    // likewise 4349.99...
    {"007.50", true, 7500},
    {"4294967.295", true, 4294967295u},
    {"4294967.296", false, 0}, // one past 32 bits
    {"", false, 0},
    {".", false, 0},
    {"5.", false, 0},
    {".5", false, 0},
    {"1.2345", false, 0},
    {"+1", false, 0},
    {"1e3", false, 0},
    {" 1", false, 0},
    {"1,5", false, 0},
    {"12345678", false, 0},
    {"00000005", true, 5000},
    {"0000000000000000000000000000000.125", true, 125},
    {"000", true, 0},
    {"0012345678", false, 0},
};

TEST(ShowTime, ReadExactlyToTheMillisecond)
{
    for (const TimeCase& c : timeCases) {
        std::uint32_t ms = 12345;
        EXPECT_EQ(parseShowTime(c.text, ms), c.valid) << "\"" << c.text << "\"";
        if (c.valid) {
            EXPECT_EQ(ms, c.ms) << "\"" << c.text << "\"";
        }
    }
}

TEST(ShowTime, PrintsWithTheDecimalsItNeeds)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "0"}, {25000, "25"}, {95500, "95.5"}, {95516, "95.516"}, {1, "0.001"}, {114800, "114.8"}, {10050, "10.05"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(formatShowTime(ms), text) << ms;
}

} // namespace
