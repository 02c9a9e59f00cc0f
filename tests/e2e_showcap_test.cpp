// showcap, the real binary: a short video checked with ffprobe and against the soundtrack, single
// frames against the same frames of a full run, repeatability, capturing without a display, and
// every failure leaving no output behind.
#include "support/x_session.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string showcapBinary = SHOWCAP_BINARY;
const std::string buildData = SHOW_BUILD_DIR "/iroiro";

// Small frames keep the suite quick; the picture is the same at any size, only stretched.
constexpr int frameWidth = 160;
constexpr int frameHeight = 120;
constexpr std::size_t frameBytes = std::size_t(frameWidth) * frameHeight * 3;

struct Outcome {
    int status = -1;
    std::string errors; // standard error
};


// A picture or a video decoded by ffmpeg to RGB, top row first, one string per frame. PNG
// checksums are verified, so a damaged file fails rather than decoding to something.
std::vector<std::string> decodeFrames(const std::string& path)
{
    const CommandResult decoded = runCommand(
        "ffmpeg -nostdin -v error -err_detect crccheck+explode -i '" + path + "' -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
    const std::string& rgb = decoded.output;
    std::vector<std::string> frames;
    if (decoded.status != 0)
        return frames;
    for (std::size_t at = 0; at + frameBytes <= rgb.size(); at += frameBytes)
        frames.push_back(rgb.substr(at, frameBytes));
    return frames;
}

std::string decodeOneFrame(const std::string& path)
{
    const std::vector<std::string> frames = decodeFrames(path);
    return frames.size() == 1 ? frames.front() : std::string();
}

double meanLevel(const std::string& rgb)
{
    double sum = 0;
    for (char c : rgb)
        sum += static_cast<unsigned char>(c);
    return rgb.empty() ? 0 : sum / double(rgb.size());
}

double meanDifference(const std::string& a, const std::string& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        sum += std::abs(int(static_cast<unsigned char>(a[i])) - int(static_cast<unsigned char>(b[i])));
    return a.empty() ? 0 : sum / double(a.size());
}

std::string upsideDown(const std::string& rgb)
{
    const std::size_t row = std::size_t(frameWidth) * 3;
    std::string flipped;
    for (std::size_t y = frameHeight; y-- > 0;)
        flipped += rgb.substr(y * row, row);
    return flipped;
}

// Mono 8 kHz samples of a file's audio.
std::vector<std::int16_t> decodeAudio(const std::string& path)
{
    const std::string bytes =
        runCommand("ffmpeg -nostdin -v error -i '" + path + "' -vn -ac 1 -ar 8000 -f s16le - 2>/dev/null").output;
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(std::uint8_t(bytes[2 * i]) | (std::uint8_t(bytes[2 * i + 1]) << 8));
    return samples;
}

// Normalised correlation of `a` with `b` shifted by `lag` samples, over `count` samples.
double correlation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b, std::size_t bStart,
                   int lag, std::size_t count)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 100; i < count; ++i) {
        const double x = a[i];
        const double y = b[bStart + i + lag];
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return ab / std::sqrt(aa * bb + 1e-9);
}

// ffprobe's view of a file: "video.codec_name" -> "h264", "audio.duration" -> "3.000000", ...
std::map<std::string, std::string> probeStreams(const std::string& path)
{
    std::map<std::string, std::string> fields;
    std::istringstream lines(runCommand(
        "ffprobe -v error -count_frames -show_entries "
        "stream=codec_type,codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames,duration "
        "'" + path + "' 2>/dev/null").output);
    // One [STREAM] ... [/STREAM] block per stream; its codec_type names its fields.
    std::map<std::string, std::string> stream;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            stream[line.substr(0, equals)] = line.substr(equals + 1);
        } else if (line == "[/STREAM]") {
            for (const auto& [key, value] : stream)
                fields[stream["codec_type"] + "." + key] = value;
            stream.clear();
        }
    }
    return fields;
}

std::vector<std::string> folderEntries(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name != "stderr.txt")
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Each test works in a fresh folder that holds no iroiro/, so showcap finds the build's data
// beside itself, as it does when run from the repository root. All runs share one private X
// server, unless a test says otherwise.
class Showcap : public SharedXServerTest<1280, 1024> {
protected:

    // Runs showcap in the test's folder; `env` adds to or overrides DISPLAY (an empty value unsets).
    Outcome run(const std::vector<std::string>& args, const Environment& env = {})
    {
        return runIn(folder.path(), args, env);
    }

    Outcome runIn(const std::string& workDir, const std::vector<std::string>& args, const Environment& env = {})
    {
        std::vector<std::string> argv{showcapBinary};
        argv.insert(argv.end(), args.begin(), args.end());
        Environment environment{{"DISPLAY", server->display()}};
        environment.insert(environment.end(), env.begin(), env.end());
        ChildProcess child(argv, workDir, environment);
        Outcome outcome;
        if (child.waitForExit(300000))
            outcome.status = child.status();
        outcome.errors = child.standardError();
        return outcome;
    }

    // A shell script run in the test's folder against the private server; its standard output.
    std::string runScript(const std::string& script)
    {
        const std::string file = path("script.sh");
        std::FILE* out = std::fopen(file.c_str(), "w");
        std::fputs(script.c_str(), out);
        std::fclose(out);
        return server->run("sh '" + file + "'");
    }
};

TEST_F(Showcap, VideoHasItsFramesSizeRateCodecsAndTheSoundtrackOfItsRange)
{
    // Three seconds from the start of scene 2 at 10 frames per second: frames 250 to 279.
    const Outcome outcome = run({"video", "clip.mp4", "--size", "160x120", "--fps", "10", "--from", "25", "--to", "28"});
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_EQ(outcome.errors, "") << "a capture that works says nothing";
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"clip.mp4"}) << "no temporary file left";

    std::map<std::string, std::string> streams = probeStreams(path("clip.mp4"));
    EXPECT_EQ(streams["video.codec_name"], "h264");
    EXPECT_EQ(streams["video.pix_fmt"], "yuv420p");
    EXPECT_EQ(streams["video.width"], "160");
    EXPECT_EQ(streams["video.height"], "120");
    EXPECT_EQ(streams["video.r_frame_rate"], "10/1");
    EXPECT_EQ(streams["video.nb_read_frames"], "30");
    EXPECT_NEAR(std::atof(streams["video.duration"].c_str()), 3.0, 0.001);
    EXPECT_EQ(streams["audio.codec_name"], "aac");
    EXPECT_NEAR(std::atof(streams["audio.duration"].c_str()), 3.0, 0.05);

    // Every frame shows the scene, upright: the first matches the PNG of the same frame within
    // the encoder's loss, and matches it far worse upside down.
    const std::vector<std::string> frames = decodeFrames(path("clip.mp4"));
    ASSERT_EQ(frames.size(), 30u);
    for (std::size_t i = 0; i < frames.size(); ++i)
        EXPECT_GT(meanLevel(frames[i]), 10.0) << "frame " << i << " is black";
    ASSERT_EQ(run({"frame", "first.png", "--size", "160x120", "--fps", "10", "--at", "25"}).status, 0);
    const std::string still = decodeOneFrame(path("first.png"));
    ASSERT_FALSE(still.empty());
    EXPECT_LT(meanDifference(frames.front(), still), 8.0);
    EXPECT_GT(meanDifference(frames.front(), upsideDown(still)), 3 * meanDifference(frames.front(), still));

    // The sound is the soundtrack from 25 s, lined up to the sample: its correlation with the
    // soundtrack (decoded whole, so no seeking of ours is involved) peaks at no shift.
    const std::vector<std::int16_t> sound = decodeAudio(path("clip.mp4"));
    const std::vector<std::int16_t> soundtrack = decodeAudio(buildData + "/k13.mp3");
    constexpr std::size_t rangeStart = 25 * 8000;
    constexpr std::size_t window = 2 * 8000;
    ASSERT_GE(sound.size(), window);
    ASSERT_GE(soundtrack.size(), rangeStart + window + 100);
    const double inPlace = correlation(sound, soundtrack, rangeStart, 0, window);
    EXPECT_GT(inPlace, 0.95);
    for (int lag : {-8, -2, -1, 1, 2, 8})
        EXPECT_GT(inPlace, correlation(sound, soundtrack, rangeStart, lag, window)) << "shifted by " << lag;
    EXPECT_LT(correlation(sound, soundtrack, 0, 0, window), 0.5) << "the sound must not start from 0 s";
}

TEST_F(Showcap, SingleFramesAndLateRangesEqualTheSameFramesOfAFullRun)
{
    // The whole show as a run at 4 frames per second: 460 frames, 0 to 114.75 s.
    const Outcome full = run({"frames", "run", "--size", "160x120", "--fps", "4"});
    ASSERT_EQ(full.status, 0) << full.errors;
    EXPECT_EQ(full.errors, "");
    ASSERT_EQ(folderEntries(path("run")).size(), 460u);
    EXPECT_TRUE(exists(path("run/frame_000459.png")));

    // A time in every scene, the fade, the ring closing in, and the last frame of the show.
    struct Moment {
        const char* at;
        int frame;
    };
    const Moment moments[] = {{"12.5", 50}, {"22.75", 91}, {"30", 120}, {"50.25", 201}, {"80", 320},
                              {"100", 400}, {"107.5", 430}, {"114.75", 459}};
    for (const Moment& moment : moments) {
        const Outcome single = run({"frame", "single.png", "--size", "160x120", "--fps", "4", "--at", moment.at});
        ASSERT_EQ(single.status, 0) << moment.at << ": " << single.errors;
        const std::string expected = decodeOneFrame(path("run/" + frameName(moment.frame)));
        const std::string got = decodeOneFrame(path("single.png"));
        ASSERT_EQ(got.size(), frameBytes) << moment.at << ": not a valid PNG of 160x120";
        EXPECT_GT(meanLevel(got), 0.2) << moment.at << " is black";
        EXPECT_TRUE(got == expected) << moment.at << " s differs from frame " << moment.frame
                                     << " of the run; mean difference " << meanDifference(got, expected);
    }

    // A time between two frames gives the run's next frame, and says so.
    const Outcome between = run({"frame", "between.png", "--size", "160x120", "--fps", "4", "--at", "30.1"});
    ASSERT_EQ(between.status, 0) << between.errors;
    EXPECT_NE(between.errors.find("writing its next, at 30.25 s"), std::string::npos) << between.errors;
    EXPECT_TRUE(decodeOneFrame(path("between.png")) == decodeOneFrame(path("run/" + frameName(121))));

    // A range that starts late in the show carries in what the run carried.
    const Outcome late = run({"frames", "late", "--size", "160x120", "--fps", "4", "--from", "106", "--to", "107.5"});
    ASSERT_EQ(late.status, 0) << late.errors;
    const std::vector<std::string> expectedNames{frameName(424), frameName(425), frameName(426),
                                                 frameName(427), frameName(428), frameName(429)};
    ASSERT_EQ(folderEntries(path("late")), expectedNames);
    for (const std::string& name : expectedNames)
        EXPECT_TRUE(decodeOneFrame(path("late/" + name)) == decodeOneFrame(path("run/" + name))) << name;
}

// --aspect square draws the frame in the centred square, as showcap draws it at that square's
// size (spheres round), with bars of exact black beside it; 5:4 the same in a 5:4 box.
TEST_F(Showcap, AspectDrawsTheFrameInACentredBoxWithExactlyBlackBars)
{
    const auto decode = [&](const std::string& png) {
        return runCommand("ffmpeg -nostdin -v error -i '" + path(png) + "' -f rawvideo -pix_fmt rgb24 - 2>/dev/null").output;
    };
    struct Case {
        const char* aspect;
        int boxWidth; // the box is the frame's height high
    };
    for (const Case& c : {Case{"square", frameHeight}, Case{"5:4", frameHeight * 5 / 4}}) {
        SCOPED_TRACE(c.aspect);
        const std::string size = std::to_string(frameWidth) + "x" + std::to_string(frameHeight);
        const std::string boxSize = std::to_string(c.boxWidth) + "x" + std::to_string(frameHeight);
        const Outcome boxed = run({"frame", "boxed.png", "--size", size, "--aspect", c.aspect, "--at", "50"});
        ASSERT_EQ(boxed.status, 0) << boxed.errors;
        const Outcome alone = run({"frame", "alone.png", "--size", boxSize, "--at", "50"});
        ASSERT_EQ(alone.status, 0) << alone.errors;
        const std::string got = decode("boxed.png");
        const std::string expected = decode("alone.png");
        ASSERT_EQ(got.size(), frameBytes);
        ASSERT_EQ(expected.size(), std::size_t(c.boxWidth) * frameHeight * 3);
        const int left = (frameWidth - c.boxWidth) / 2;
        std::string inside, bars;
        for (int row = 0; row < frameHeight; ++row) {
            const std::string line = got.substr(std::size_t(row) * frameWidth * 3, std::size_t(frameWidth) * 3);
            inside += line.substr(std::size_t(left) * 3, std::size_t(c.boxWidth) * 3);
            bars += line.substr(0, std::size_t(left) * 3) + line.substr(std::size_t(left + c.boxWidth) * 3);
        }
        ASSERT_FALSE(bars.empty());
        EXPECT_EQ(bars.find_first_not_of('\0'), std::string::npos) << "the bars are not exactly black";
        EXPECT_GT(meanLevel(inside), 0.2) << "the box is black";
        EXPECT_LT(meanDifference(inside, expected), 0.5) << "the box is not the frame drawn at its shape";
    }
}

TEST_F(Showcap, TwoCapturesOfTheSameRangeGiveIdenticalFrames)
{
    // Across scene 4's end into scene 5, where carried state matters most.
    for (const char* out : {"first", "second"}) {
        const Outcome outcome = run({"frames", out, "--size", "160x120", "--fps", "10", "--from", "91", "--to", "93"});
        ASSERT_EQ(outcome.status, 0) << outcome.errors;
    }
    const std::vector<std::string> names = folderEntries(path("first"));
    ASSERT_EQ(names.size(), 20u);
    ASSERT_EQ(folderEntries(path("second")), names);
    for (const std::string& name : names)
        EXPECT_TRUE(readWholeFile(path("first/" + name)) == readWholeFile(path("second/" + name))) << name;
}

TEST_F(Showcap, WithoutAReachableDisplayItRunsInAPrivateServerAndDrawsTheSame)
{
    const std::vector<std::string> frameAt80{"--size", "161x121", "--fps", "60", "--at", "80"};
    auto capture = [&](const std::string& out, const Environment& env) {
        std::vector<std::string> args{"frame", out};
        args.insert(args.end(), frameAt80.begin(), frameAt80.end());
        return run(args, env);
    };
    const Outcome shown = capture("display.png", {});
    ASSERT_EQ(shown.status, 0) << shown.errors;
    const std::string reference = readWholeFile(path("display.png"));
    ASSERT_FALSE(reference.empty());
    const std::map<std::string, std::string> streams = probeStreams(path("display.png"));
    EXPECT_EQ(streams.at("video.width"), "161") << "odd sizes are written whole";
    EXPECT_EQ(streams.at("video.height"), "121");

    for (const Environment& env : {Environment{{"DISPLAY", ""}}, Environment{{"DISPLAY", ":9876"}}}) {
        const std::string shownDisplay = env.front().second.empty() ? "unset" : env.front().second;
        const Outcome outcome = capture("headless.png", env);
        ASSERT_EQ(outcome.status, 0) << "DISPLAY " << shownDisplay << ": " << outcome.errors;
        EXPECT_EQ(outcome.errors, "") << "DISPLAY " << shownDisplay << ": the private server goes unmentioned";
        EXPECT_TRUE(readWholeFile(path("headless.png")) == reference) << "DISPLAY " << shownDisplay;
    }
}

TEST_F(Showcap, CommandLineMistakesExitWithStatusTwoAndTheUsage)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "showcap: no mode given"},
        {{"video"}, "showcap: video needs an output file"},
        {{"video", "o.mp4", "--size", "161x120"}, "showcap: --size 161x120: a video needs an even width and height"},
        {{"frame", "f.png", "--at", "114.8"}, "showcap: --at 114.8 is at or past the end of the show"},
        {{"frame", "f.png", "--at", "114.799", "--fps", "1"}, "showcap: a run at 1 fps has no frame from 114.799 s"},
        {{"frames", "d", "--fps", "1", "--from", "10.2", "--to", "10.9"}, "showcap: a run at 1 fps has no frame from 10.2 s"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 2) << message;
        EXPECT_EQ(outcome.errors.rfind(message, 0), 0u) << outcome.errors;
        EXPECT_NE(outcome.errors.find("\nUsage:\n  showcap video OUT.mp4"), std::string::npos) << outcome.errors;
        EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{}) << message;
    }
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.errors, "");
}

// A data folder like the build's, with links to its files, for a test to spoil.
void linkData(const std::string& folder)
{
    const std::string command = "mkdir -p '" + folder + "/iroiro' && ln -s '" + buildData + "'/* '" + folder + "/iroiro/'";
    ASSERT_EQ(runCommand(command).status, 0);
}

void writeTextFile(const std::string& path, const std::string& text, bool executable = false)
{
    std::FILE* out = std::fopen(path.c_str(), "w");
    ASSERT_NE(out, nullptr) << path;
    std::fputs(text.c_str(), out);
    std::fclose(out);
    if (executable)
        chmod(path.c_str(), 0755);
}

TEST_F(Showcap, FailuresExitWithStatusOneInOneLineAndLeaveNoOutput)
{
    struct FailureCase {
        const char* why;
        std::function<void(const std::string& folder)> prepare;
        std::vector<std::string> args;
        Environment env;
        std::string message; // how the one line starts
        std::string mention; // and what it names
    };
    const std::string small = "--size=160x120";
    const auto nothing = [](const std::string&) {};
    const auto dataWithout = [](const char* name) {
        return [name](const std::string& f) {
            linkData(f + "/data");
            std::remove((f + "/data/iroiro/" + name).c_str());
        };
    };
    const std::vector<FailureCase> cases = {
        {"no ffmpeg on PATH", nothing, {"video", "o.mp4", small}, {{"PATH", "/nonexistent"}},
         "showcap: ffmpeg not found on PATH", ""},
        {"output folder missing", nothing, {"video", "missing/o.mp4", small}, {},
         "showcap: cannot write missing/o.mp4: no folder missing", ""},
        {"output is a folder", [](const std::string& f) { mkdir((f + "/taken.png").c_str(), 0755); },
         {"frame", "taken.png", "--at", "3", small}, {}, "showcap: cannot write taken.png: it is a folder", ""},
        {"frames folder is a file", [](const std::string& f) { writeTextFile(f + "/notes", "mine"); },
         {"frames", "notes", small}, {}, "showcap: cannot write frames into notes: it is not a folder", ""},
        {"frames folder's parent missing", nothing, {"frames", "a/b", small}, {},
         "showcap: cannot create the frames folder a/b: no folder a", ""},
        {"no data folder", [](const std::string& f) { mkdir((f + "/empty").c_str(), 0755); },
         {"frame", "f.png", "--at", "3", "--data", "empty", small}, {}, "showcap: no iroiro/ folder in empty", ""},
        {"a picture missing", dataWithout("wave1.bmp"), {"frame", "f.png", "--at", "3", "--data", "data", small}, {},
         "showcap: picture missing or unreadable: ", "iroiro/wave1.bmp"},
        {"a picture unreadable",
         [](const std::string& f) {
             linkData(f + "/data");
             std::remove((f + "/data/iroiro/muryw.bmp").c_str());
             writeTextFile(f + "/data/iroiro/muryw.bmp", "BM but no bitmap");
         },
         {"frame", "f.png", "--at", "3", "--data", "data", small}, {}, "showcap: picture missing or unreadable: ",
         "iroiro/muryw.bmp"},
        {"the soundtrack missing", dataWithout("k13.mp3"), {"video", "o.mp4", "--data", "data", small}, {},
         "showcap: no soundtrack at ", "iroiro/k13.mp3"},
        {"no display and no Xvfb to start", nothing, {"frame", "f.png", "--at", "3", small},
         {{"DISPLAY", ""}, {"PATH", "/nonexistent"}},
         "showcap: no X display, and no Xvfb to start a private one", ""},
    };
    int index = 0;
    for (const FailureCase& c : cases) {
        const std::string work = path("case" + std::to_string(index++));
        ASSERT_EQ(mkdir(work.c_str(), 0755), 0);
        c.prepare(work);
        const std::vector<std::string> before = folderEntries(work);
        const Outcome outcome = runIn(work, c.args, c.env);
        EXPECT_EQ(outcome.status, 1) << c.why << ": " << outcome.errors;
        EXPECT_EQ(outcome.errors.rfind(c.message, 0), 0u) << c.why << ": " << outcome.errors;
        EXPECT_NE(outcome.errors.find(c.mention), std::string::npos) << c.why << ": " << outcome.errors;
        EXPECT_EQ(lineCount(outcome.errors), 1) << c.why << ": " << outcome.errors;
        EXPECT_EQ(folderEntries(work), before) << c.why << ": something was left behind";
    }
}

TEST_F(Showcap, AnEncoderThatDiesOrFailsLeavesNoVideo)
{
    // Stand-ins for ffmpeg, first on PATH: each takes the frames its own way and fails.
    struct EncoderCase {
        const char* why;
        const char* script;
        const char* message;
    };
    const EncoderCase cases[] = {
        {"stops reading part-way and exits",
         "head -c 100000 >/dev/null; echo 'encoder gave up' >&2; exit 3",
         "showcap: ffmpeg stopped taking frames, exit status 3: encoder gave up"},
        {"is killed part-way",
         "head -c 100000 >/dev/null; kill -9 $$",
         "showcap: ffmpeg stopped taking frames, killed by signal 9"},
        {"takes every frame, then fails",
         "cat >/dev/null; echo 'cannot finish the file' >&2; exit 1",
         "showcap: ffmpeg failed, exit status 1: cannot finish the file"},
    };
    const std::string bin = path("bin");
    ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
    const Environment env{{"PATH", bin + ":" + std::getenv("PATH")}};
    for (const EncoderCase& c : cases) {
        writeTextFile(bin + "/ffmpeg", std::string("#!/bin/sh\n") + c.script + "\n", true);
        const Outcome outcome = run({"video", "o.mp4", "--size", "160x120", "--fps", "10", "--to", "3"}, env);
        EXPECT_EQ(outcome.status, 1) << c.why;
        EXPECT_EQ(outcome.errors.rfind(c.message, 0), 0u) << c.why << ": " << outcome.errors;
        EXPECT_EQ(lineCount(outcome.errors), 1) << c.why << ": " << outcome.errors;
        EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"bin"}) << c.why << ": output left behind";
    }
}

TEST_F(Showcap, AFrameThatCannotBeWrittenTakesTheFramesBeforeItAway)
{
    // A folder in the way of the fourth frame's name; the folder itself was there before.
    ASSERT_EQ(mkdir(path("out").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(path("out/" + frameName(3)).c_str(), 0755), 0);
    const Outcome outcome = run({"frames", "out", "--size", "160x120", "--fps", "4", "--to", "2"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.errors.find("cannot write " + path("out/" + frameName(3))), std::string::npos) << outcome.errors;
    EXPECT_EQ(lineCount(outcome.errors), 1) << outcome.errors;
    EXPECT_EQ(folderEntries(path("out")), std::vector<std::string>{frameName(3)}) << "frames 0 to 2 must go";
}

TEST_F(Showcap, AnInterruptedCaptureTakesItsPartialOutputAway)
{
    // Stopped (SIGTERM) once its output has begun: the frames folder showcap made, or the video's
    // temporary file (which has no name: ffmpeg writes it as its descriptor 3), must go, and
    // showcap ends as the signal would end it.
    struct InterruptCase {
        const char* why;
        const char* command;
        const char* begun; // a shell test that holds once output exists
    };
    const InterruptCase cases[] = {
        {"frames", "frames out", "[ -e out/frame_000002.png ]"},
        {"video", "video out.mp4",
         "for c in $(cat /proc/$pid/task/$pid/children); do [ \"$(cat /proc/$c/comm)\" = ffmpeg ] && "
         "[ -s /proc/$c/fd/3 ] && break; c=; done; [ -n \"$c\" ]"},
    };
    for (const InterruptCase& c : cases) {
        const std::string status = runScript(
            "cd '" + folder.path() + "'\n"
            "'" + showcapBinary + "' " + c.command + " --size 160x120 --fps 4 2>errors.txt &\n"
            "pid=$!\n"
            "until " + c.begun + "; do kill -0 $pid 2>/dev/null || break; sleep 0.01; done\n"
            "kill -TERM $pid\n"
            "wait $pid\n"
            "echo $?\n");
        EXPECT_EQ(status, "143\n") << c.why << ": " << readWholeFile(path("errors.txt"));
        EXPECT_EQ(readWholeFile(path("errors.txt")), "showcap: interrupted; the partial output is removed\n") << c.why;
        EXPECT_EQ(folderEntries(folder.path()), (std::vector<std::string>{"errors.txt", "script.sh"})) << c.why;
    }
}

} // namespace
