// showcap's command line: accepted forms and their values, every refusal with its reason.
#include "capture/options.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct AcceptedCase {
    const char* why;
    std::vector<std::string> args;
    CaptureMode mode;
    const char* output;
    int width, height, fps;
    std::uint32_t fromMs, toMs, atMs;
    const char* data;
};

const AcceptedCase acceptedCases[] = {
    {"defaults: full show, 1920x1080 at 60 fps", {"video", "show.mp4"},
     CaptureMode::video, "show.mp4", 1920, 1080, 60, 0, 114800, 0, ""},
    {"every option given apart", {"video", "o.mp4", "--size", "1280x720", "--fps", "30", "--from", "25", "--to", "42"},
     CaptureMode::video, "o.mp4", 1280, 720, 30, 25000, 42000, 0, ""},
    {"options before the mode, and --name=value", {"--fps=4", "--size=160x120", "frames", "out", "--data", "build"},
     CaptureMode::frames, "out", 160, 120, 4, 0, 114800, 0, "build"},
    {"frames may have odd sides; the last value of an option wins", {"frames", "d", "--size", "161x121", "--fps", "5", "--fps", "7"},
     CaptureMode::frames, "d", 161, 121, 7, 0, 114800, 0, ""},
    {"a range up to the very end", {"video", "o.mp4", "--from", "114.799", "--to", "114.8"},
     CaptureMode::video, "o.mp4", 1920, 1080, 60, 114799, 114800, 0, ""},
    {"one frame, at the last millisecond", {"frame", "f.png", "--at", "114.799", "--fps", "1000"},
     CaptureMode::frame, "f.png", 1920, 1080, 1000, 0, 114800, 114799, ""},
    {"-- ends the options: an output whose name starts with '-'", {"frame", "--at", "0003", "--", "-f.png"},
     CaptureMode::frame, "-f.png", 1920, 1080, 60, 0, 114800, 3000, ""},
    {"extreme sizes", {"frame", "f.png", "--at", "0", "--size", "16384X1"},
     CaptureMode::frame, "f.png", 16384, 1, 60, 0, 114800, 0, ""},
};

TEST(ShowcapOptions, AcceptedCommandLinesGiveTheirValues)
{
    for (const AcceptedCase& c : acceptedCases) {
        CaptureOptions options;
        std::string error;
        ASSERT_TRUE(parseCaptureOptions(c.args, options, error)) << c.why << ": " << error;
        EXPECT_EQ(options.mode, c.mode) << c.why;
        EXPECT_EQ(options.output, c.output) << c.why;
        EXPECT_EQ(options.width, c.width) << c.why;
        EXPECT_EQ(options.height, c.height) << c.why;
        EXPECT_EQ(options.framesPerSecond, c.fps) << c.why;
        EXPECT_EQ(options.fromMs, c.fromMs) << c.why;
        EXPECT_EQ(options.toMs, c.toMs) << c.why;
        EXPECT_EQ(options.atMs, c.atMs) << c.why;
        EXPECT_EQ(options.dataFolder, c.data) << c.why;
    }
}

TEST(ShowcapOptions, HelpWinsWhereverItStands)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"video", "o.mp4", "--help"}, {"--bogus", "--help"}}) {
        CaptureOptions options;
        std::string error;
        ASSERT_TRUE(parseCaptureOptions(args, options, error)) << args.front();
        EXPECT_EQ(options.mode, CaptureMode::help);
    }
}

TEST(ShowcapOptions, VersionWinsWhereverItStands)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--version"}, {"frame", "o.png", "--at", "5", "--version"}}) {
        CaptureOptions options;
        std::string error;
        ASSERT_TRUE(parseCaptureOptions(args, options, error)) << args.front();
        EXPECT_EQ(options.mode, CaptureMode::version);
    }
}

struct RefusedCase {
    std::vector<std::string> args;
    const char* reason; // a part of the message that names the fault
};

TEST(ShowcapOptions, AspectIsStretchUnlessGiven)
{
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(parseCaptureOptions({"video", "o.mp4"}, options, error)) << error;
    EXPECT_EQ(aspectName(options.aspect), "stretch");
    ASSERT_TRUE(parseCaptureOptions({"frame", "o.png", "--at", "5", "--aspect", "square"}, options, error)) << error;
    EXPECT_EQ(aspectName(options.aspect), "square");
    ASSERT_TRUE(parseCaptureOptions({"--aspect=21:9", "frames", "d"}, options, error)) << error;
    EXPECT_EQ(aspectName(options.aspect), "21:9");
}

const RefusedCase refusedCases[] = {
    {{}, "no mode given"},
    {{"movie", "o.mp4"}, "unknown mode 'movie'"},
    {{"video"}, "video needs an output file"},
    {{"frames"}, "frames needs an output folder"},
    {{"frame", ""}, "frame needs an output file"},
    {{"video", "a.mp4", "b.mp4"}, "unexpected argument 'b.mp4'"},
    {{"video", "o.mp4", "--speed", "2"}, "unknown option --speed"},
    {{"frame", "o.png", "--at", "5", "--aspect", "round"}, "--aspect round: give stretch, square or W:H"},
    {{"video", "o.mp4", "-s"}, "unknown option -s"},
    {{"video", "o.mp4", "--fps"}, "--fps needs a value"},
    {{"video", "o.mp4", "--size", "0x10"}, "--size 0x10: give WIDTHxHEIGHT"},
    {{"video", "o.mp4", "--size", "16386x10"}, "--size 16386x10: give WIDTHxHEIGHT"},
    {{"video", "o.mp4", "--size", "640"}, "--size 640: give WIDTHxHEIGHT"},
    {{"video", "o.mp4", "--size", "640x"}, "--size 640x: give"},
    {{"video", "o.mp4", "--size", "-640x480"}, "--size -640x480: give"},
    {{"video", "o.mp4", "--size", "64x48x2"}, "--size 64x48x2: give"},
    {{"video", "o.mp4", "--size", "161x120"}, "--size 161x120: a video needs an even width and height"},
    {{"video", "o.mp4", "--size", "160x121"}, "a video needs an even width and height"},
    {{"video", "o.mp4", "--fps", "0"}, "--fps 0: give a whole number of frames per second from 1 to 1000"},
    {{"video", "o.mp4", "--fps", "1001"}, "--fps 1001: give a whole number"},
    {{"video", "o.mp4", "--fps", "29.97"}, "--fps 29.97: give a whole number"},
    {{"video", "o.mp4", "--fps="}, "--fps : give a whole number"},
    {{"video", "o.mp4", "--from", "1.2345"}, "--from 1.2345: give seconds of show time"},
    {{"video", "o.mp4", "--from", "-1"}, "--from -1: give seconds"},
    {{"video", "o.mp4", "--to", "1e2"}, "--to 1e2: give seconds"},
    {{"video", "o.mp4", "--to", "114.801"}, "--to 114.801 is past the end of the show (114.8 s)"},
    {{"video", "o.mp4", "--from", "114.8"}, "--from 114.8 is not before --to 114.8"},
    {{"frames", "d", "--from", "42", "--to", "25"}, "--from 42 is not before --to 25"},
    {{"frame", "f.png"}, "frame needs --at SECONDS"},
    {{"frame", "f.png", "--at", "114.8"}, "--at 114.8 is at or past the end of the show"},
    {{"frame", "f.png", "--at", "3", "--from", "2"}, "--from and --to are for video and frames"},
    {{"video", "o.mp4", "--at", "3"}, "--at is for frame"},
    {{"frame", "f.png", "--at", "3", "--data="}, "--data needs a folder"},
    {{"video", "o.mp4", "--", "--fps", "2"}, "unexpected argument '--fps'"},
    {{"--", "--help"}, "unknown mode '--help'"},
    {{"frame", "f.png", "--at", std::string(5000, '9')}, "--at 9999999999"},
    {{"video", "o.mp4", "--fps", std::string(5000, '9')}, "--fps 9999999999"},
};

TEST(ShowcapOptions, TheUsageAndHelpNameTheProgramAsItWasStarted)
{
    const std::string usage = captureUsage("iroiro-capture");
    EXPECT_EQ(usage,
              "Usage:\n"
              "  iroiro-capture video OUT.mp4 [--size WxH] [--fps N] [--from SECONDS] [--to SECONDS] [--data DIR]\n"
              "  iroiro-capture frames DIR    [--size WxH] [--fps N] [--from SECONDS] [--to SECONDS] [--data DIR]\n"
              "  iroiro-capture frame OUT.png --at SECONDS [--size WxH] [--fps N] [--data DIR]\n"
              "  iroiro-capture --help | --version\n");
    const std::string help = captureHelp("showcap");
    EXPECT_EQ(help.rfind(captureUsage("showcap"), 0), 0u);
    EXPECT_EQ(help.find("iroiro-capture"), std::string::npos) << "one name per program";
}

TEST(ShowcapOptions, RefusedCommandLinesSayWhy)
{
    for (const RefusedCase& c : refusedCases) {
        const std::string shown = c.args.empty() ? "(nothing)" : c.args.back();
        CaptureOptions options;
        std::string error;
        EXPECT_FALSE(parseCaptureOptions(c.args, options, error)) << shown;
        EXPECT_NE(error.find(c.reason), std::string::npos) << shown << ": got \"" << error << "\"";
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
        EXPECT_LT(error.size(), 200u) << "a long argument is not repeated whole";
    }
}

} // namespace
