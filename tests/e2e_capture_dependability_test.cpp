// showcap and makedata, the real binaries, as a user's machine treats them: stop signals with and
// without a display, a lost X server, special files and planted links at output names, concurrent
// and interrupted runs. Each case checks the status, the message, what is left on disk and that no
// process it started (Xvfb, ffmpeg) outlives it.
#include "support/show_run.h"
#include "support/x_session.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string showcapBinary = SHOWCAP_BINARY;
const std::string makedataBinary = SHOW_BUILD_DIR "/data/makedata";
const std::string buildData = SHOW_BUILD_DIR "/iroiro";
constexpr const char* markName = "CAPTURE_TEST_MARK";
constexpr const char* interrupted = "showcap: interrupted; the partial output is removed\n";
const char* const dataFiles[] = {"k13.mp3", "syfyd.bmp", "muryw.bmp", "velvetend_loop02a(0).bmp", "wave1.bmp"};

// The processes, by command line, whose environment holds the mark a run's children inherit.
std::vector<std::string> processesMarked(const std::string& mark)
{
    std::vector<std::string> found;
    const std::string entry = std::string(markName) + "=" + mark;
    DIR* proc = opendir("/proc");
    if (!proc)
        return found;
    while (const dirent* process = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(process->d_name[0])))
            continue;
        const std::string folder = std::string("/proc/") + process->d_name;
        const std::string environment = '\0' + readBounded(folder + "/environ");
        const std::size_t at = environment.find('\0' + entry + '\0');
        if (at != std::string::npos) {
            std::string command = readBounded(folder + "/cmdline", 4096);
            std::replace(command.begin(), command.end(), '\0', ' ');
            found.push_back(std::string(process->d_name) + ": " + command);
        }
    }
    closedir(proc);
    return found;
}

// What stays after the run: marked processes still there after a grace period for the kernel to
// deliver a dead parent's signal and the children to end.
std::vector<std::string> survivors(const std::string& mark)
{
    for (int waited = 0;; waited += 50) {
        std::vector<std::string> left = processesMarked(mark);
        if (left.empty() || waited >= 3000)
            return left;
        sleepMs(50);
    }
}

// A folder's entries, hidden ones included, each with what it is: "name" for a regular file,
// "name -> target" for a link, "name (fifo)", "name/" for a folder; the run's stderr.txt aside.
std::vector<std::string> entries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || name == "stderr.txt")
                continue;
            struct stat info;
            const std::string path = folder + "/" + name;
            if (lstat(path.c_str(), &info) != 0)
                continue;
            if (S_ISLNK(info.st_mode)) {
                char target[4096];
                const ssize_t n = readlink(path.c_str(), target, sizeof target);
                names.push_back(name + " -> " + std::string(target, n > 0 ? std::size_t(n) : 0));
            } else if (S_ISFIFO(info.st_mode)) {
                names.push_back(name + " (fifo)");
            } else if (S_ISDIR(info.st_mode)) {
                names.push_back(name + "/");
            } else {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool hasHiddenEntry(const std::string& folder)
{
    for (const std::string& name : entries(folder))
        if (name[0] == '.')
            return true;
    return false;
}

void writeTextFile(const std::string& path, const std::string& text, mode_t mode = 0644)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
    close(fd);
    chmod(path.c_str(), mode);
}

// One run of a real binary (support/child_process.h), its environment the test's with `env`
// applied and a mark that every process it starts inherits.
std::unique_ptr<ChildProcess> launch(const std::vector<std::string>& argv, const std::string& workDir, Environment env,
                                     const std::string& mark)
{
    env.emplace_back(markName, mark);
    return std::make_unique<ChildProcess>(argv, workDir, env);
}

int threadCount(pid_t process)
{
    const std::string status = readBounded("/proc/" + std::to_string(process) + "/status");
    const std::size_t at = status.find("\nThreads:");
    return at == std::string::npos ? 0 : std::atoi(status.c_str() + at + 9);
}

// Mesa's rendering threads have started: the offscreen renderer is open and drawing. Besides them
// showcap has its own thread and the one that waits for a stop.
bool isDrawing(pid_t showcap)
{
    return threadCount(showcap) > 2;
}

// The private X server a showcap run started: its child named Xvfb.
pid_t privateServerOf(pid_t showcap)
{
    std::string children = readBounded("/proc/" + std::to_string(showcap) + "/task/" + std::to_string(showcap) + "/children");
    for (std::size_t at = 0; at < children.size();) {
        const pid_t child = pid_t(std::atoi(children.c_str() + at));
        if (readBounded("/proc/" + std::to_string(child) + "/comm") == "Xvfb\n")
            return child;
        const std::size_t space = children.find(' ', at);
        at = space == std::string::npos ? children.size() : space + 1;
    }
    return -1;
}

// Whether the run's video holds bytes yet: under a hidden temporary name in `work`, or, having no
// name, as the file ffmpeg writes through its descriptor 3.
bool videoBegun(const std::string& work)
{
    struct stat info;
    for (const std::string& name : entries(work))
        if (name[0] == '.' && stat((work + "/" + name).c_str(), &info) == 0 && info.st_size > 0)
            return true;
    for (const std::string& process : processesMarked(work))
        if (process.find("ffmpeg") != std::string::npos &&
            stat(("/proc/" + std::to_string(std::atoi(process.c_str())) + "/fd/3").c_str(), &info) == 0 &&
            S_ISREG(info.st_mode) && info.st_size > 0)
            return true;
    return false;
}

class CaptureDependability : public SharedXServerTest<640, 480> {
protected:
    // A fresh working folder for one case, named after its row.
    std::string caseFolder(int index)
    {
        const std::string work = path("case" + std::to_string(index));
        EXPECT_EQ(mkdir(work.c_str(), 0755), 0);
        return work;
    }

    // showcap against the shared server, or with no display at all.
    std::unique_ptr<ChildProcess> startShowcap(const std::string& work, const std::vector<std::string>& args, bool display,
                                      Environment env = {})
    {
        std::vector<std::string> argv{showcapBinary};
        argv.insert(argv.end(), args.begin(), args.end());
        env.insert(env.begin(), {"DISPLAY", display ? server->display() : ""});
        return launch(argv, work, env, work);
    }

    // A stand-in for ffmpeg, first on PATH for the runs given its environment.
    Environment fakeEncoder(const std::string& work, const std::string& script)
    {
        const std::string bin = work + "/bin";
        mkdir(bin.c_str(), 0755);
        writeTextFile(bin + "/ffmpeg", "#!/bin/sh\n" + script + "\n", 0755);
        return {{"PATH", bin + ":" + std::getenv("PATH")}};
    }
};

TEST_F(CaptureDependability, AStopSignalEndsShowcapWithItsStatusLeavingNothingAndNoProcess)
{
    struct SignalCase {
        const char* why; // the fault the row catches
        std::vector<std::string> args;
        bool display;
        const char* encoder; // a stand-in ffmpeg's script, or null for the real one
        std::function<bool(const std::string& work, const ChildProcess& run)> begun; // when to send it
        int signal;
        bool toGroup; // Ctrl-C: the whole foreground process group
    };
    const auto hiddenVideoBegun = [](const std::string& work, const ChildProcess&) { return videoBegun(work); };
    const auto frameBegun = [](const std::string& work, const ChildProcess&) {
        struct stat info;
        return stat((work + "/out/" + frameName(2)).c_str(), &info) == 0;
    };
    const auto after = [](int ms) { return [ms](const std::string&, const ChildProcess& run) { return run.elapsedMs() >= ms; }; };
    const auto drawing = [](const std::string&, const ChildProcess& run) { return isDrawing(run.pid()); };
    const std::vector<std::string> video{"video", "out.mp4", "--size", "160x120", "--fps", "10", "--to", "60"};
    const std::vector<std::string> frames{"frames", "out", "--size", "160x120", "--fps", "10", "--to", "60"};
    const std::vector<SignalCase> cases = {
        {"kill without a display: showcap replaced itself with xvfb-run, which returned at once leaving "
         "showcap, ffmpeg and Xvfb running",
         video, false, nullptr, hiddenVideoBegun, SIGTERM, false},
        {"Ctrl-C without a display: Xvfb died first, showcap fell over an X I/O error and left the hidden "
         "partial video and xvfb-run's folder",
         video, false, nullptr, hiddenVideoBegun, SIGINT, true},
        {"hang-up without a display, frames: the folder showcap made must go", frames, false, nullptr, frameBegun,
         SIGHUP, false},
        {"kill with a display, video", video, true, nullptr, hiddenVideoBegun, SIGTERM, false},
        {"Ctrl-C with a display, frames", frames, true, nullptr, frameBegun, SIGINT, true},
        {"a stalled ffmpeg: the write was restarted after the signal and the first SIGTERM swallowed", video, true,
         "exec sleep 600", after(1500), SIGTERM, false},
        {"frame mode never looked for a stop: a large frame was written with status 0",
         {"frame", "out.png", "--size", "3000x3000", "--at", "100"}, true, nullptr, drawing, SIGTERM, false},
    };
    int index = 0;
    for (const SignalCase& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string work = caseFolder(index++);
        const Environment env = c.encoder ? fakeEncoder(work, c.encoder) : Environment{};
        const std::vector<std::string> before = entries(work);
        std::unique_ptr<ChildProcess> run = startShowcap(work, c.args, c.display, env);
        while (!c.begun(work, *run) && run->elapsedMs() < 60000 && run->wait(0) == -1)
            sleepMs(10);
        ASSERT_EQ(run->wait(0), -1) << "ended before the signal: " << run->standardError();
        run->signal(c.signal, c.toGroup);
        EXPECT_EQ(run->wait(20000), 128 + c.signal) << run->standardError();
        EXPECT_EQ(run->standardError(), interrupted);
        EXPECT_EQ(entries(work), before) << "partial output left";
        EXPECT_EQ(survivors(work), std::vector<std::string>{}) << "outlived showcap";
    }
}

TEST_F(CaptureDependability, KilledOutrightShowcapTakesItsXServerAndEncoderWithIt)
{
    // SIGKILL cannot be caught: no process may stay, and the video being written has no name
    // until it is complete (it used to stay behind under its hidden temporary name).
    const std::string work = caseFolder(0);
    std::unique_ptr<ChildProcess> run =
        startShowcap(work, {"video", "out.mp4", "--size", "160x120", "--fps", "10", "--to", "60"}, false);
    EXPECT_TRUE(waitUntil([&] { return videoBegun(work) || run->wait(0) != -1; }, 60000));
    ASSERT_NE(privateServerOf(run->pid()), -1) << "no private X server";
    run->signal(SIGKILL);
    EXPECT_EQ(run->wait(10000), 128 + SIGKILL);
    EXPECT_EQ(survivors(work), std::vector<std::string>{}) << "Xvfb or ffmpeg outlived a killed showcap";
    EXPECT_EQ(entries(work), std::vector<std::string>{}) << "the partial video stayed";
}

TEST_F(CaptureDependability, ALostXServerEndsTheRunInOneLineTakingItsOutputAway)
{
    const std::string work = caseFolder(0);
    std::unique_ptr<ChildProcess> run =
        startShowcap(work, {"video", "out.mp4", "--size", "160x120", "--fps", "10", "--to", "60"}, false);
    EXPECT_TRUE(waitUntil([&] { return videoBegun(work) || run->wait(0) != -1; }, 60000));
    const pid_t xvfb = privateServerOf(run->pid());
    ASSERT_NE(xvfb, -1) << "no private X server";
    kill(xvfb, SIGTERM); // the server goes, tidily, from under showcap
    EXPECT_EQ(run->wait(20000), 1) << run->standardError();
    EXPECT_EQ(run->standardError().rfind("showcap: lost the connection to the X display :", 0), 0u) << run->standardError();
    EXPECT_EQ(lineCount(run->standardError()), 1) << run->standardError();
    EXPECT_EQ(entries(work), std::vector<std::string>{}) << "partial output left";
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
}

TEST_F(CaptureDependability, AnInterruptedFramesRunKeepsTheFramesOfAnEarlierRun)
{
    // The earlier run: frames 0 to 19. The later one goes further and is stopped past them; it
    // used to take every frame it had written away, the earlier run's included.
    const std::string work = caseFolder(0);
    std::unique_ptr<ChildProcess> first =
        startShowcap(work, {"frames", "out", "--size", "160x120", "--fps", "4", "--to", "5"}, true);
    ASSERT_EQ(first->wait(120000), 0) << first->standardError();
    const std::vector<std::string> earlier = entries(work + "/out");
    ASSERT_EQ(earlier.size(), 20u);

    std::unique_ptr<ChildProcess> later =
        startShowcap(work, {"frames", "out", "--size", "160x120", "--fps", "4", "--to", "60"}, true);
    struct stat info;
    while (stat((work + "/out/" + frameName(24)).c_str(), &info) != 0 && later->elapsedMs() < 60000 &&
           later->wait(0) == -1)
        sleepMs(10);
    later->signal(SIGTERM);
    EXPECT_EQ(later->wait(20000), 128 + SIGTERM) << later->standardError();
    EXPECT_EQ(later->standardError(), interrupted);
    EXPECT_EQ(entries(work + "/out"), earlier) << "the earlier run's frames must all stay, and only they";
    for (const std::string& name : earlier)
        EXPECT_GT(readBounded(work + "/out/" + name).size(), 100u) << name << " is not a whole frame";
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
}

// A run that must end with status 1 and one line, changing nothing in its folder.
struct RefusalCase {
    const char* why;
    std::function<void(const std::string& work)> prepare;
    std::vector<std::string> args;
    std::string message; // how the one line starts
};

TEST_F(CaptureDependability, ShowcapRefusesToReplaceAnythingButARegularFile)
{
    const auto plantLink = [](const char* name) {
        return [name](const std::string& work) {
            writeTextFile(work + "/precious", "keep me");
            ASSERT_EQ(symlink((work + "/precious").c_str(), (work + "/" + name).c_str()), 0);
        };
    };
    const auto plantFifo = [](const char* name) {
        return [name](const std::string& work) { ASSERT_EQ(mkfifo((work + "/" + name).c_str(), 0644), 0); };
    };
    const std::string small = "--size=160x120";
    const std::vector<RefusalCase> cases = {
        {"a symbolic link at the video's name was swapped for the video", plantLink("out.mp4"),
         {"video", "out.mp4", small, "--fps", "10", "--to", "1"},
         "showcap: cannot write out.mp4: it is a symbolic link, not a regular file"},
        {"a FIFO at the picture's name was swapped for the picture", plantFifo("out.png"),
         {"frame", "out.png", small, "--at", "3"}, "showcap: cannot write out.png: it is a FIFO, not a regular file"},
        {"a symbolic link as the frames folder", [](const std::string& work) {
             mkdir((work + "/real").c_str(), 0755);
             ASSERT_EQ(symlink("real", (work + "/out").c_str()), 0);
         },
         {"frames", "out", small, "--fps", "4", "--to", "1"},
         "showcap: cannot write frames into out: it is a symbolic link"},
        {"a link planted at a frame's name: the frames before it must go too", [](const std::string& work) {
             mkdir((work + "/out").c_str(), 0755);
             writeTextFile(work + "/precious", "keep me");
             ASSERT_EQ(symlink((work + "/precious").c_str(), (work + "/out/" + frameName(2)).c_str()), 0);
         },
         {"frames", "out", small, "--fps", "4", "--to", "2"},
         "showcap: cannot write " + path("case3/out/") + frameName(2) + ": it is a symbolic link, not a regular file"},
        {"a video too large for the encoder was refused only after a frame was drawn", [](const std::string&) {},
         {"video", "out.mp4", "--size", "16384x16384", "--to", "1"},
         "showcap: --size 16384x16384: too many pixels for ffmpeg's pictures"},
    };
    int index = 0;
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string work = caseFolder(index++);
        c.prepare(work);
        const std::vector<std::string> before = entries(work);
        const std::vector<std::string> beforeInside = entries(work + "/out");
        std::unique_ptr<ChildProcess> run = startShowcap(work, c.args, true);
        EXPECT_EQ(run->wait(60000), 1) << run->standardError();
        EXPECT_EQ(run->standardError().rfind(c.message, 0), 0u) << run->standardError();
        EXPECT_EQ(lineCount(run->standardError()), 1) << run->standardError();
        EXPECT_EQ(entries(work), before) << "something was replaced or left";
        EXPECT_EQ(entries(work + "/out"), beforeInside) << "something was replaced or left";
        if (access((work + "/precious").c_str(), F_OK) == 0) {
            EXPECT_EQ(readBounded(work + "/precious"), "keep me") << "written through the link";
        }
        EXPECT_EQ(survivors(work), std::vector<std::string>{});
    }
}

TEST_F(CaptureDependability, DeviceNodesAtTheOutputStayAsTheyAre)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root: only root may make a device node";
    // As root showcap used to rename its picture over /dev/full or /dev/stdout. The nodes here
    // are made in the test's folder, the same devices under other names, so that a faulty
    // showcap replaces only those and never the machine's own.
    struct DeviceCase {
        const char* name;
        std::function<int(const std::string& path)> make;
        std::string message;
    };
    const std::vector<DeviceCase> cases = {
        {"full", [](const std::string& path) { return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 7)); },
         "it is a character device, not a regular file"},
        {"stdout", [](const std::string& path) { return symlink("/proc/self/fd/1", path.c_str()); },
         "it is a symbolic link, not a regular file"},
    };
    int index = 0;
    for (const DeviceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string work = caseFolder(index++);
        const std::string device = work + "/" + c.name;
        ASSERT_EQ(c.make(device), 0) << std::strerror(errno);
        struct stat before, after;
        ASSERT_EQ(lstat(device.c_str(), &before), 0);
        std::unique_ptr<ChildProcess> run = startShowcap(work, {"frame", device, "--size", "160x120", "--at", "3"}, true);
        EXPECT_EQ(run->wait(60000), 1) << run->standardError();
        EXPECT_EQ(run->standardError(), "showcap: cannot write " + device + ": " + c.message + "\n");
        ASSERT_EQ(lstat(device.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "replaced";
        EXPECT_EQ(after.st_mode, before.st_mode) << "replaced";
        EXPECT_FALSE(hasHiddenEntry(work)) << "a temporary file left";
    }
}

TEST_F(CaptureDependability, ShowcapWorksAtItsEdgesAndFailsInItsOwnWords)
{
    struct EdgeCase {
        const char* why;
        std::vector<std::string> args;
        bool display;
        const char* encoder;    // a stand-in ffmpeg's script, or null
        Environment env;
        int status;
        std::string message;    // how standard error starts ("" for silence)
        std::string left;       // the one entry left, or "" for none
    };
    const std::string longName = std::string(251, 'n') + ".png"; // the longest name a folder takes
    std::unique_ptr<PrivateXServer> withoutGlx =
        std::make_unique<PrivateXServer>(640, 480, std::string(), std::vector<std::string>{"-extension", "GLX"});
    ASSERT_TRUE(withoutGlx->running());
    const std::vector<EdgeCase> cases = {
        {"a 255-character output name failed: the temporary name was 8 characters longer",
         {"frame", longName, "--size", "160x120", "--at", "3"}, true, nullptr, {}, 0, "", longName},
        {"TMPDIR=/nonexistent gave \"cannot start ffmpeg: No such file or directory\"",
         {"video", "out.mp4", "--size", "160x120", "--fps", "10", "--to", "1"}, false, nullptr,
         {{"TMPDIR", "/nonexistent"}}, 0, "", "out.mp4"},
        {"an ffmpeg that exits 0 without writing gave status 0 and an empty video",
         {"video", "out.mp4", "--size", "160x120", "--fps", "10", "--to", "1"}, true, "cat >/dev/null; exit 0", {},
         1, "showcap: ffmpeg exited with status 0 but wrote no video\n", ""},
        {"no GLX on the display gave freeglut's line",
         {"frame", "out.png", "--size", "160x120", "--at", "3"}, true, nullptr, {{"DISPLAY", withoutGlx->display()}},
         1, "showcap: cannot open the offscreen renderer: OpenGL GLX extension not supported", ""},
    };
    int index = 0;
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string work = caseFolder(index++);
        Environment env = c.encoder ? fakeEncoder(work, c.encoder) : Environment{};
        env.insert(env.end(), c.env.begin(), c.env.end());
        std::unique_ptr<ChildProcess> run = startShowcap(work, c.args, c.display, env);
        EXPECT_EQ(run->wait(120000), c.status) << run->standardError();
        if (c.message.empty()) {
            EXPECT_EQ(run->standardError(), "");
        } else {
            EXPECT_EQ(run->standardError().rfind(c.message, 0), 0u) << run->standardError();
        }
        std::vector<std::string> left = entries(work);
        left.erase(std::remove(left.begin(), left.end(), "bin/"), left.end());
        EXPECT_EQ(left, c.left.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.left});
        EXPECT_EQ(survivors(work), std::vector<std::string>{});
    }
}

TEST_F(CaptureDependability, MakedataNeverWritesThroughALinkAndRefusesSpecialFiles)
{
    struct MakedataRefusal {
        const char* why;
        std::function<void(const std::string& data)> prepare;
        std::string message;
    };
    const std::vector<MakedataRefusal> cases = {
        {"a symbolic link at a data file's name was followed and its target overwritten",
         [](const std::string& data) {
             ASSERT_EQ(symlink("../precious", (data + "/k13.mp3").c_str()), 0);
         },
         "makedata: cannot write DATA/k13.mp3: it is a symbolic link, not a regular file"},
        {"a FIFO at a picture's name", [](const std::string& data) {
             ASSERT_EQ(mkfifo((data + "/syfyd.bmp").c_str(), 0644), 0);
         },
         "makedata: cannot write DATA/syfyd.bmp: it is a FIFO, not a regular file"},
    };
    int index = 0;
    for (const MakedataRefusal& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string work = caseFolder(index++);
        const std::string data = work + "/iroiro";
        ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
        writeTextFile(work + "/precious", "keep me");
        c.prepare(data);
        const std::vector<std::string> before = entries(data);
        const auto run = launch({makedataBinary, data}, work, {}, work);
        EXPECT_EQ(run->wait(60000), 1) << run->standardError();
        std::string message = c.message;
        message.replace(message.find("DATA"), 4, data);
        EXPECT_EQ(run->standardError(), message + "\n");
        EXPECT_EQ(entries(data), before);
        EXPECT_EQ(readBounded(work + "/precious"), "keep me");
    }
}

TEST_F(CaptureDependability, ConcurrentMakedataRunsBothSucceedAndIgnorePlantedPartialLinks)
{
    // Two runs into one folder at once used to share NAME.partial and fail at random; and a link
    // planted at NAME.partial was followed, overwriting its target.
    const std::string work = caseFolder(0);
    const std::string data = work + "/iroiro";
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    writeTextFile(work + "/precious", "keep me");
    for (const char* name : dataFiles)
        ASSERT_EQ(symlink("../precious", (data + "/" + name + ".partial").c_str()), 0);
    const auto first = launch({makedataBinary, data}, work, {}, work);
    const auto second = launch({makedataBinary, data}, work, {}, work);
    EXPECT_EQ(first->wait(300000), 0) << first->standardError();
    EXPECT_EQ(second->wait(300000), 0) << second->standardError();
    EXPECT_EQ(first->standardError() + second->standardError(), "");
    EXPECT_EQ(readBounded(work + "/precious"), "keep me");
    for (const char* name : dataFiles)
        EXPECT_TRUE(readBounded(data + "/" + name, 1 << 24) == readBounded(buildData + "/" + name, 1 << 24)) << name;
    EXPECT_FALSE(hasHiddenEntry(data)) << "a temporary file left";
    EXPECT_EQ(entries(data).size(), 2 * std::size(dataFiles)) << "the five files beside the planted links";
}

TEST_F(CaptureDependability, AnInterruptedMakedataLeavesOnlyWholeFiles)
{
    const std::string work = caseFolder(0);
    const std::string data = work + "/iroiro";
    const auto run = launch({makedataBinary, data}, work, {}, work);
    // Stopped once it has begun writing: a temporary or a finished file is in the folder.
    EXPECT_TRUE(waitUntil([&] { return !entries(data).empty(); }, 60000)) << "makedata wrote nothing";
    run->signal(SIGTERM);
    EXPECT_EQ(run->wait(20000), 128 + SIGTERM) << run->standardError();
    EXPECT_FALSE(hasHiddenEntry(data)) << "a temporary file left";
    for (const std::string& name : entries(data))
        EXPECT_TRUE(readBounded(data + "/" + name, 1 << 24) == readBounded(buildData + "/" + name, 1 << 24))
            << name << " is not whole";
}

// ---- second round: where output lands, inherited signals, concurrent runs, PATH ----

// showcap through a shell that first does `prelude` (e.g. deletes its own working folder or
// ignores a signal, as nohup does) and then becomes showcap.
std::unique_ptr<ChildProcess> startThroughShell(const std::string& work, const std::string& prelude,
                                            const std::string& showcapArgs, const std::string& display,
                                            Environment env = {})
{
    env.insert(env.begin(), {"DISPLAY", display});
    return launch(std::vector<std::string>{"/bin/sh", "-c", prelude + "; exec '" + showcapBinary + "' " + showcapArgs},
                  work, env, work);
}

// True once the frames folder holds frame `frame`, or the run has ended.
bool frameWrittenOrEnded(const std::string& folder, int frame, ChildProcess& run)
{
    return waitUntil(
        [&] {
            struct stat info;
            return stat((folder + "/" + frameName(frame)).c_str(), &info) == 0 || run.wait(0) != -1;
        },
        60000);
}

TEST_F(CaptureDependability, AWorkingFolderThatCannotBeResolvedIsRefusedAndNothingLandsInTheDataFolder)
{
    // The working folder is deleted under showcap, which changes into the data folder to draw:
    // a relative output used to be written there, replacing a file of that name.
    const char* outputs[] = {"frame notes.txt --at 5", "frames notes --to 0.5 --fps 4", "video notes.mp4 --to 0.5"};
    int index = 0;
    for (const char* output : outputs) {
        SCOPED_TRACE(output);
        const std::string work = caseFolder(index++);
        const std::string data = work + "/data";
        ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    ASSERT_NO_FATAL_FAILURE(copyShowData(data));
        writeTextFile(data + "/notes.txt", "the user's notes");
        ASSERT_EQ(mkdir((work + "/gone").c_str(), 0755), 0);
        std::unique_ptr<ChildProcess> run = startThroughShell(
            work, "cd gone && rmdir ../gone", std::string(output) + " --size 64x36 --data '" + data + "'",
            server->display());
        EXPECT_EQ(run->wait(60000), 1) << run->standardError();
        EXPECT_NE(run->standardError().find("the working folder is gone"), std::string::npos) << run->standardError();
        EXPECT_EQ(readBounded(data + "/notes.txt"), "the user's notes");
        EXPECT_EQ(entries(data).size(), 2u) << "only iroiro/ and notes.txt";
        EXPECT_EQ(entries(data + "/iroiro").size(), std::size(dataFiles));
        EXPECT_EQ(survivors(work), std::vector<std::string>{});
    }
}

TEST_F(CaptureDependability, ASignalIgnoredAtStartStaysIgnoredAndTheRunCompletes)
{
    // nohup ignores SIGHUP, and a non-interactive shell's background job SIGINT: a render started
    // that way must outlive the hang-up or the Ctrl-C it was shielded from.
    const std::pair<const char*, int> cases[] = {{"HUP", SIGHUP}, {"INT", SIGINT}};
    int index = 0;
    for (const auto& [name, signalNumber] : cases) {
        SCOPED_TRACE(name);
        const std::string work = caseFolder(index++);
        std::unique_ptr<ChildProcess> run = startThroughShell(
            work, std::string("trap '' ") + name, "frames out --size 160x90 --fps 10 --to 20 --data '" + buildData + "/..'",
            server->display());
        ASSERT_TRUE(frameWrittenOrEnded(work + "/out", 2, *run));
        run->signal(signalNumber);
        EXPECT_EQ(run->wait(60000), 0) << run->standardError();
        EXPECT_EQ(entries(work + "/out").size(), 200u);
        EXPECT_EQ(survivors(work), std::vector<std::string>{});
    }
}

TEST_F(CaptureDependability, EveryTerminatingSignalStopsTheRunWithItsCleanup)
{
    // SIGQUIT, SIGUSR1 and SIGALRM used to end showcap on the spot, leaving its frames behind.
    int index = 0;
    for (int signalNumber : {SIGQUIT, SIGUSR1, SIGALRM}) {
        SCOPED_TRACE(signalNumber);
        const std::string work = caseFolder(index++);
        std::unique_ptr<ChildProcess> run =
            startShowcap(work, {"frames", "out", "--size", "64x36", "--fps", "10", "--to", "60", "--data", buildData + "/.."},
                         true);
        ASSERT_TRUE(frameWrittenOrEnded(work + "/out", 2, *run));
        run->signal(signalNumber);
        EXPECT_EQ(run->wait(20000), 128 + signalNumber) << run->standardError();
        EXPECT_EQ(run->standardError(), interrupted);
        struct stat info;
        EXPECT_NE(lstat((work + "/out").c_str(), &info), 0) << "the frames and the folder this run made are taken away";
        EXPECT_EQ(survivors(work), std::vector<std::string>{});
    }
}

TEST_F(CaptureDependability, AStoppedFramesRunKeepsTheFramesAConcurrentRunWroteSince)
{
    // Run A writes a long range; run B writes its first frames again and completes; A is stopped.
    // A used to remove every name it had created, B's frames among them.
    const std::string work = caseFolder(0);
    const std::vector<std::string> range{"--size", "64x36", "--fps", "20", "--data", buildData + "/.."};
    std::vector<std::string> argsA{"frames", "out", "--to", "114"};
    argsA.insert(argsA.end(), range.begin(), range.end());
    std::unique_ptr<ChildProcess> a = startShowcap(work, argsA, true);
    ASSERT_TRUE(frameWrittenOrEnded(work + "/out", 10, *a));
    ASSERT_EQ(a->wait(0), -1) << "run A ended early: " << a->standardError();

    const std::string workB = caseFolder(1);
    std::vector<std::string> argsB{"frames", work + "/out", "--to", "0.25"};
    argsB.insert(argsB.end(), range.begin(), range.end());
    std::unique_ptr<ChildProcess> b = startShowcap(workB, argsB, true);
    ASSERT_EQ(b->wait(60000), 0) << b->standardError();
    std::vector<std::string> written;
    for (int frame = 0; frame < 5; ++frame)
        written.push_back(readBounded(work + "/out/" + frameName(frame)));

    a->signal(SIGTERM);
    EXPECT_EQ(a->wait(20000), 128 + SIGTERM) << a->standardError();
    EXPECT_EQ(entries(work + "/out").size(), 5u) << "B's five frames stay, A's own go";
    for (int frame = 0; frame < 5; ++frame)
        EXPECT_EQ(readBounded(work + "/out/" + frameName(frame)), written[std::size_t(frame)]) << frame;
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
}

TEST_F(CaptureDependability, ProgramsRunOnlyFromThePathAsTheUserStartedIt)
{
    // With an empty element in PATH, showcap found ffmpeg on PATH before changing into the data
    // folder and then ran ./ffmpeg from there.
    const std::string work = caseFolder(0);
    const std::string data = work + "/data";
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    ASSERT_NO_FATAL_FAILURE(copyShowData(data));
    writeTextFile(data + "/ffmpeg", "#!/bin/sh\ntouch '" + work + "/planted-ffmpeg-ran'\nexit 1\n", 0755);
    std::unique_ptr<ChildProcess> run =
        startShowcap(work, {"video", "out.mp4", "--size", "64x36", "--to", "0.5", "--data", data}, true,
                     {{"PATH", ":/usr/bin:/bin"}});
    EXPECT_EQ(run->wait(120000), 0) << run->standardError();
    EXPECT_NE(access((work + "/planted-ffmpeg-ran").c_str(), F_OK), 0) << "the ffmpeg planted in the data folder ran";
    EXPECT_GT(readBounded(work + "/out.mp4", 1 << 24).size(), 1000u);
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
}

TEST_F(CaptureDependability, AFramesFolderThatIsALinkIsRefusedWithTrailingSlashesToo)
{
    const std::string work = caseFolder(0);
    ASSERT_EQ(mkdir((work + "/target").c_str(), 0755), 0);
    ASSERT_EQ(symlink("target", (work + "/linkdir").c_str()), 0);
    for (const char* name : {"linkdir/", "linkdir//"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<ChildProcess> run = startShowcap(
            work, {"frames", name, "--size", "64x36", "--fps", "4", "--to", "0.5", "--data", buildData + "/.."}, true);
        EXPECT_EQ(run->wait(60000), 1) << run->standardError();
        EXPECT_NE(run->standardError().find("symbolic link"), std::string::npos) << run->standardError();
        EXPECT_TRUE(entries(work + "/target").empty()) << "nothing is written through the link";
    }
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
}

TEST_F(CaptureDependability, ADisplayThatStopsAnsweringIsReportedAndAStopIsHonouredWhileWaiting)
{
    // showcap used to block inside XOpenDisplay for good on a frozen X server, deaf to SIGTERM.
    PrivateXServer frozen(320, 240);
    ASSERT_TRUE(frozen.running());
    ASSERT_EQ(kill(frozen.pid(), SIGSTOP), 0);
    const Environment onFrozen{{"DISPLAY", frozen.display()}};
    const std::vector<std::string> frame{"frame", "x.png", "--at", "5", "--size", "64x36", "--data", buildData + "/.."};

    const std::string work = caseFolder(0);
    std::unique_ptr<ChildProcess> run = startShowcap(work, frame, true, onFrozen);
    EXPECT_EQ(run->wait(30000), 1) << run->standardError();
    EXPECT_NE(run->standardError().find("does not answer"), std::string::npos) << run->standardError();

    const std::string stopped = caseFolder(1);
    std::unique_ptr<ChildProcess> stop = startShowcap(stopped, frame, true, onFrozen);
    // Stopped while it waits for the display: once it has a child (the connection's probe).
    const std::string children = "/proc/" + std::to_string(stop->pid()) + "/task/" + std::to_string(stop->pid()) + "/children";
    EXPECT_TRUE(waitUntil([&] { return !readBounded(children).empty(); }, 10000));
    stop->signal(SIGTERM);
    EXPECT_EQ(stop->wait(3000), 128 + SIGTERM) << stop->standardError();

    kill(frozen.pid(), SIGCONT);
    for (const std::string& folder : {work, stopped}) {
        EXPECT_EQ(entries(folder), std::vector<std::string>{}) << "no output";
        EXPECT_EQ(survivors(folder), std::vector<std::string>{});
    }
}

TEST_F(CaptureDependability, AReplacedOutputKeepsItsPermissions)
{
    // A private picture replaced by a new capture used to come out readable by everyone.
    const std::string work = caseFolder(0);
    writeTextFile(work + "/private.png", "an earlier capture", 0600);
    ASSERT_EQ(chmod((work + "/private.png").c_str(), 0600), 0);
    std::unique_ptr<ChildProcess> run =
        startShowcap(work, {"frame", "private.png", "--at", "5", "--size", "64x36", "--data", buildData + "/.."}, true);
    ASSERT_EQ(run->wait(60000), 0) << run->standardError();
    struct stat info;
    ASSERT_EQ(stat((work + "/private.png").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_GT(info.st_size, 100) << "replaced by the frame";
}

// ---- third round: frozen displays, long frames, limits, folders changed under a run ----

// The count of frames in a folder, once it has stopped growing for a while (a run blocked on a
// display that froze), or -1 if it kept growing for a minute.
int framesOnceStill(const std::string& folder)
{
    std::size_t seen = entries(folder).size();
    int stillMs = 0;
    for (int waited = 0; waited < 60000; waited += 50) {
        sleepMs(50);
        const std::size_t now = entries(folder).size();
        stillMs = now == seen ? stillMs + 50 : 0;
        seen = now;
        if (stillMs >= 1000)
            return int(seen);
    }
    return -1;
}

TEST_F(CaptureDependability, AStopWhileTheDisplayIsFrozenMidRunEndsWithItsCleanup)
{
    // The X server stops answering after the first frames; the first SIGTERM used to wait for
    // good inside an X call, and the second ended showcap leaving the frames and their folder.
    PrivateXServer freezing(320, 240);
    ASSERT_TRUE(freezing.running());
    const std::string work = caseFolder(0);
    std::unique_ptr<ChildProcess> run = startShowcap(
        work, {"frames", "out", "--size", "64x36", "--fps", "10", "--to", "60", "--data", buildData + "/.."}, true,
        {{"DISPLAY", freezing.display()}});
    ASSERT_TRUE(frameWrittenOrEnded(work + "/out", 2, *run));
    ASSERT_EQ(kill(freezing.pid(), SIGSTOP), 0);
    EXPECT_GT(framesOnceStill(work + "/out"), 0) << "the run went on without its display";
    run->signal(SIGTERM);
    EXPECT_EQ(run->wait(20000), 128 + SIGTERM) << run->standardError();
    EXPECT_EQ(run->standardError(), interrupted);
    EXPECT_EQ(entries(work), std::vector<std::string>{}) << "the frames and the folder this run made stay";
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
    kill(freezing.pid(), SIGCONT);
}

TEST_F(CaptureDependability, AStopDuringOneLargeFrameEndsItWithoutDrawingItToTheEnd)
{
    // One 8192x8192 frame takes seconds to draw; a stop used to wait for the whole of it (8.7 s
    // here, 25.5 s at 16384x16384). What the run does after the signal is measured in processor
    // time, which the machine's load does not stretch: a whole frame is several seconds of it.
    const std::string work = caseFolder(0);
    std::unique_ptr<ChildProcess> run = startShowcap(
        work, {"frame", "big.png", "--at", "100", "--size", "8192x8192", "--data", buildData + "/.."}, true);
    ASSERT_TRUE(waitUntil([&] { return isDrawing(run->pid()) || run->wait(0) != -1; }, 60000));
    ASSERT_EQ(run->wait(0), -1) << "ended before the signal: " << run->standardError();
    const std::string stat = readBounded("/proc/" + std::to_string(run->pid()) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long long ticks = 0;
    for (int index = 3; fields >> field && index <= 15; ++index)
        if (index >= 14)
            ticks += std::atoll(field.c_str()); // utime and stime
    const double before = double(ticks) / double(sysconf(_SC_CLK_TCK));
    run->signal(SIGTERM);
    EXPECT_EQ(run->wait(60000), 128 + SIGTERM) << run->standardError();
    EXPECT_EQ(run->standardError(), interrupted);
    EXPECT_LT(run->cpuSeconds() - before, 2.0) << "the frame was drawn on after the stop";
    EXPECT_EQ(entries(work), std::vector<std::string>{});
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
}

TEST_F(CaptureDependability, LimitsOfTheProcessAreSaidInOneLineBeforeAnythingRuns)
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers need what these limits deny: AddressSanitizer reserves terabytes of address
    // space at start, and LeakSanitizer opens files at exit. The plain build runs these rows.
    GTEST_SKIP() << "process limits leave a sanitized showcap unable to start or end cleanly";
#endif
    struct LimitCase {
        const char* why;
        const char* prelude; // run by the shell before it becomes showcap
        std::string args;
        bool display;
        std::string message; // what the one line holds
    };
    const std::string data = " --data '" + buildData + "/..'";
    const std::vector<LimitCase> cases = {
        {"ulimit -n 7: the private X server, short of descriptors, flooded showcap's standard error (23 MB in "
         "10 s)",
         "ulimit -n 7", "frame x.png --at 5 --size 64x36" + data, false,
         "showcap: too few open files allowed: the limit (ulimit -n) is 7, and at least 32 are needed\n"},
        {"ulimit -n 9: \"the private one (Xvfb) did not start\", saying nothing of why", "ulimit -n 9",
         "video x.mp4 --to 1 --size 64x36" + data, false,
         "showcap: too few open files allowed: the limit (ulimit -n) is 9, and at least 32 are needed\n"},
        {"ulimit -v 200000: Mesa's \"failed to open swrast\" lines and freeglut's, saying nothing of the limit",
         "ulimit -v 200000", "frame x.png --at 5 --size 64x36" + data, true,
         "showcap: cannot open the offscreen renderer: the address-space limit (ulimit -v 200000 KiB) leaves too "
         "little room"},
        {"ulimit -v 320000: Mesa crashed compiling the first drawing (SIGSEGV)", "ulimit -v 320000",
         "frame x.png --at 5 --size 64x36" + data, true,
         "showcap: cannot open the offscreen renderer: the address-space limit (ulimit -v 320000 KiB) leaves too "
         "little room"},
        {"a size the renderer had no memory for: \"the framebuffer object is incomplete (status 0x8CD6)\"",
         "ulimit -v 2000000", "frame x.png --at 5 --size 16384x16384" + data, true,
         "is too large for this renderer: largest is "},
    };
    int index = 0;
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string work = caseFolder(index++);
        std::unique_ptr<ChildProcess> run =
            startThroughShell(work, c.prelude, c.args, c.display ? server->display() : std::string());
        EXPECT_EQ(run->wait(120000), 1) << run->standardError().substr(0, 2000);
        EXPECT_NE(run->standardError().find(c.message), std::string::npos) << run->standardError().substr(0, 2000);
        EXPECT_EQ(lineCount(run->standardError()), 1) << run->standardError().size() << " bytes: " << run->standardError().substr(0, 2000);
        EXPECT_EQ(entries(work), std::vector<std::string>{});
        EXPECT_EQ(survivors(work), std::vector<std::string>{});
    }
}

TEST_F(CaptureDependability, AnOutputFolderRemovedDuringAVideoRunIsNamed)
{
    // It used to say "ffmpeg exited with status 0 but wrote no video", after the whole render.
    const std::string work = caseFolder(0);
    const std::string sub = work + "/sub";
    ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
    std::unique_ptr<ChildProcess> run = startShowcap(
        work, {"video", "sub/out.mp4", "--size", "160x120", "--fps", "10", "--to", "30", "--data", buildData + "/.."},
        true);
    ASSERT_TRUE(waitUntil([&] { return isDrawing(run->pid()) || run->wait(0) != -1; }, 60000));
    ASSERT_EQ(run->wait(0), -1) << "ended before the folder went: " << run->standardError();
    std::error_code ignored;
    std::filesystem::remove_all(sub, ignored);
    EXPECT_EQ(run->wait(120000), 1) << run->standardError();
    EXPECT_EQ(run->standardError(), "showcap: the folder " + sub + " was removed during the run\n");
    EXPECT_EQ(entries(work), std::vector<std::string>{});
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
}

TEST_F(CaptureDependability, AFramesFolderSwappedForALinkDuringARunIsNotFollowed)
{
    // The run writes into the folder it opened, wherever that is moved; a link put in its place
    // used to receive the rest of the frames.
    const std::string work = caseFolder(0);
    ASSERT_EQ(mkdir((work + "/target").c_str(), 0755), 0);
    std::unique_ptr<ChildProcess> run = startShowcap(
        work, {"frames", "out", "--size", "64x36", "--fps", "10", "--to", "20", "--data", buildData + "/.."}, true);
    ASSERT_TRUE(frameWrittenOrEnded(work + "/out", 2, *run));
    ASSERT_EQ(run->wait(0), -1) << "ended before the swap: " << run->standardError();
    ASSERT_EQ(rename((work + "/out").c_str(), (work + "/moved").c_str()), 0);
    ASSERT_EQ(symlink("target", (work + "/out").c_str()), 0);
    EXPECT_EQ(run->wait(120000), 0) << run->standardError();
    EXPECT_EQ(entries(work + "/target"), std::vector<std::string>{}) << "frames written through the link";
    EXPECT_EQ(entries(work + "/moved").size(), 200u);
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
}

TEST_F(CaptureDependability, AnOutputThisUserMayNotReplaceIsRefusedBeforeTheRender)
{
    // Another user's picture in a sticky folder (as in /tmp): the rename at the end failed, after
    // the whole render. showcap runs here as an unprivileged user, which root can start.
    if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs root and setpriv to run showcap as another user";
    const std::string work = caseFolder(0);
    const std::string data = work + "/data";
    const std::string sticky = work + "/sticky";
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    ASSERT_NO_FATAL_FAILURE(copyShowData(data));
    ASSERT_EQ(mkdir(sticky.c_str(), 0777), 0);
    ASSERT_EQ(chmod(sticky.c_str(), 01777), 0);
    writeTextFile(sticky + "/out.png", "root's picture");
    for (const std::string& own : {folder.path(), work})
        ASSERT_EQ(chmod(own.c_str(), 0755), 0); // the unprivileged user finds its way in
    const auto run = launch({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", showcapBinary,
                             "frame", sticky + "/out.png", "--at", "5", "--size", "64x36", "--data", data},
                            sticky, {{"DISPLAY", ""}}, work);
    EXPECT_EQ(run->wait(60000), 1) << run->standardError();
    EXPECT_EQ(run->standardError(), "showcap: cannot replace " + sticky + "/out.png: it belongs to another user and its folder " +
                                sticky + " is sticky (only the file's owner may replace it)\n");
    EXPECT_EQ(readBounded(sticky + "/out.png"), "root's picture");
    EXPECT_EQ(entries(sticky), std::vector<std::string>{"out.png"});
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
}

// A small file system of its own, mounted in the case's folder for the test's length: a full
// disk without filling the machine's. Needs root; false when it cannot be mounted.
class SmallDisk {
public:
    SmallDisk(const std::string& path, const char* size) : path_(path)
    {
        mkdir(path.c_str(), 0755);
        mounted_ = geteuid() == 0 && mount("tmpfs", path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                                           (std::string("size=") + size).c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};

TEST_F(CaptureDependability, AFullDiskIsSaidNamingTheOutputAndLeavesNothing)
{
    struct FullDiskCase {
        const char* why;
        std::vector<std::string> args;
        Environment env;
    };
    const std::vector<std::string> video{"video", "disk/out.mp4", "--size", "160x120", "--fps", "10", "--to", "30"};
    const std::vector<FullDiskCase> cases = {
        {"ffmpeg's \"Error closing file /proc/self/fd/3: No space left on device\" named its descriptor", video, {}},
        {"the same with a hidden temporary file: its name, not the output's", video,
         {{"IROIRO_HIDDEN_TEMPORARIES", "1"}}},
        {"a picture larger than the disk", {"frame", "disk/out.png", "--size", "1600x1200", "--at", "30"}, {}},
    };
    int index = 0;
    for (const FullDiskCase& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string work = caseFolder(index++);
        SmallDisk disk(work + "/disk", "256k");
        if (!disk.mounted()) {
            GTEST_SKIP() << "needs root, allowed to mount a small tmpfs";
        }
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--data", buildData + "/.."});
        std::unique_ptr<ChildProcess> run = startShowcap(work, args, true, c.env);
        EXPECT_EQ(run->wait(120000), 1) << run->standardError();
        const std::string said = run->standardError();
        EXPECT_NE(said.find(work + "/" + args[1] + ": No space left on device"), std::string::npos) << said;
        EXPECT_EQ(said.find("/proc/self/fd"), std::string::npos) << said;
        EXPECT_EQ(lineCount(said), 1) << said;
        EXPECT_EQ(entries(work + "/disk"), std::vector<std::string>{}) << "partial output left";
        EXPECT_EQ(survivors(work), std::vector<std::string>{});
    }
}

// Sets a file's times `seconds` back, as if it had been left that long ago.
void ageFile(const std::string& path, int seconds)
{
    struct stat info;
    ASSERT_EQ(lstat(path.c_str(), &info), 0) << path;
    struct timespec times[2] = {{info.st_mtime - seconds, 0}, {info.st_mtime - seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

std::vector<std::string> hiddenEntries(const std::string& folder)
{
    std::vector<std::string> hidden;
    for (const std::string& name : entries(folder))
        if (name[0] == '.')
            hidden.push_back(name);
    return hidden;
}

TEST_F(CaptureDependability, AKilledCapturesHiddenTemporaryGoesAtTheNextRunAndNothingElseDoes)
{
    // Where the file system has no nameless files the video is written under a hidden name, which
    // a capture killed outright leaves (it stayed for good). The next run of the same output takes
    // it away; a live run's, a link, another output's and anything not named as showcap names
    // them stay. IROIRO_HIDDEN_TEMPORARIES=1 makes the fallback here.
    const Environment hiddenOnly{{"IROIRO_HIDDEN_TEMPORARIES", "1"}};
    const std::string work = caseFolder(0);

    // A live run of the output, its encoder a stand-in that writes and then waits.
    const std::string liveWork = caseFolder(1);
    Environment liveEnv = fakeEncoder(liveWork, "for last; do :; done; echo partial > \"$last\"; exec sleep 600");
    liveEnv.insert(liveEnv.end(), hiddenOnly.begin(), hiddenOnly.end());
    std::unique_ptr<ChildProcess> live = startShowcap(
        liveWork, {"video", work + "/out.mp4", "--size", "64x36", "--fps", "10", "--to", "60", "--data", buildData + "/.."},
        true, liveEnv);
    EXPECT_TRUE(waitUntil([&] { return hiddenEntries(work).size() == 1 || live->wait(0) != -1; }, 60000));
    ASSERT_EQ(live->wait(0), -1) << live->standardError();
    const std::string liveTemporary = hiddenEntries(work).at(0);

    // A run killed outright.
    std::unique_ptr<ChildProcess> killed = startShowcap(
        work, {"video", "out.mp4", "--size", "160x120", "--fps", "10", "--to", "60", "--data", buildData + "/.."}, true,
        hiddenOnly);
    EXPECT_TRUE(waitUntil([&] { return hiddenEntries(work).size() == 2 || killed->wait(0) != -1; }, 60000));
    killed->signal(SIGKILL);
    EXPECT_EQ(killed->wait(10000), 128 + SIGKILL);
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
    std::string left;
    for (const std::string& name : hiddenEntries(work))
        if (name != liveTemporary)
            left = name;
    ASSERT_FALSE(left.empty()) << "the fallback leaves the killed run's temporary file";
    // Both as if made two minutes ago: only the lock tells the live run's from the killed one's.
    ASSERT_NO_FATAL_FAILURE(ageFile(work + "/" + left, 2 * 60));
    ASSERT_NO_FATAL_FAILURE(ageFile(work + "/" + liveTemporary, 2 * 60));

    struct Planted {
        const char* name;
        std::function<void(const std::string& path)> make;
        int ageSeconds;
        const char* why; // why it must stay
    };
    const std::vector<Planted> planted = {
        {".out.mp4.AbCd12", [](const std::string& path) { ASSERT_EQ(symlink("precious", path.c_str()), 0); }, 0,
         "a link"},
        {".out.mp4.Fresh1", [](const std::string& path) { writeTextFile(path, "just made"); }, 0,
         "made a moment ago: a run may be between making and locking it"},
        {".out.mp4.AbCd123", [](const std::string& path) { writeTextFile(path, "mine"); }, 2 * 60,
         "seven letters: not a name showcap makes"},
        {".out.mp4.Ab-d12", [](const std::string& path) { writeTextFile(path, "mine"); }, 2 * 60,
         "a dash: not a name showcap makes"},
        {".other.mp4.AbCd12", [](const std::string& path) { writeTextFile(path, "mine"); }, 2 * 60,
         "another output's"},
        {".out.mp4.Fifo12", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); }, 2 * 60,
         "a FIFO"},
    };
    writeTextFile(work + "/precious", "keep me");
    for (const Planted& p : planted) {
        ASSERT_NO_FATAL_FAILURE(p.make(work + "/" + p.name));
        if (p.ageSeconds > 0) {
            ASSERT_NO_FATAL_FAILURE(ageFile(work + "/" + p.name, p.ageSeconds));
        }
    }

    std::unique_ptr<ChildProcess> next = startShowcap(
        work, {"video", "out.mp4", "--size", "64x36", "--fps", "10", "--to", "1", "--data", buildData + "/.."}, true,
        hiddenOnly);
    EXPECT_EQ(next->wait(120000), 0) << next->standardError();
    const std::vector<std::string> now = entries(work);
    EXPECT_EQ(std::count(now.begin(), now.end(), left), 0) << "the killed run's temporary file stayed";
    EXPECT_EQ(std::count(now.begin(), now.end(), liveTemporary), 1) << "the live run's temporary file was taken";
    for (const Planted& p : planted) {
        const bool stayed = std::any_of(now.begin(), now.end(),
                                        [&](const std::string& entry) { return entry.rfind(p.name, 0) == 0; });
        EXPECT_TRUE(stayed) << p.name << " was removed: " << p.why;
    }
    EXPECT_EQ(readBounded(work + "/precious"), "keep me");
    EXPECT_GT(readBounded(work + "/out.mp4", 1 << 24).size(), 1000u);

    live->signal(SIGTERM);
    EXPECT_EQ(live->wait(20000), 128 + SIGTERM) << live->standardError();
    const std::vector<std::string> after = hiddenEntries(work);
    EXPECT_EQ(std::count(after.begin(), after.end(), liveTemporary), 0) << "the stopped live run takes its own away";
    EXPECT_EQ(survivors(work), std::vector<std::string>{});
    EXPECT_EQ(survivors(liveWork), std::vector<std::string>{});
}

TEST_F(CaptureDependability, MakedataRefusesAnOptionOrADanglingLinkAsItsFolder)
{
    struct MakedataArgumentCase {
        const char* why;
        std::vector<std::string> args;
        int status;
        std::string message; // how standard error starts; WORK stands for the case's folder
    };
    const std::vector<MakedataArgumentCase> cases = {
        {"--stems --icons made a folder named --icons", {"--stems", "--icons"}, 2, "usage: makedata"},
        {"--icons --stems made a folder named --stems", {"--icons", "--stems"}, 2, "usage: makedata"},
        {"a dangling link as the stems folder said \"File exists\"", {"--stems", "stems"}, 1,
         "makedata: cannot create folder stems: it is a dangling symbolic link (to WORK/nowhere)\n"},
        {"a dangling link as the data folder", {"stems"}, 1,
         "makedata: cannot create folder stems: it is a dangling symbolic link (to WORK/nowhere)\n"},
    };
    int index = 0;
    for (const MakedataArgumentCase& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string work = caseFolder(index++);
        ASSERT_EQ(symlink((work + "/nowhere").c_str(), (work + "/stems").c_str()), 0);
        const std::vector<std::string> before = entries(work);
        std::vector<std::string> argv{makedataBinary};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto run = launch(argv, work, {}, work);
        EXPECT_EQ(run->wait(60000), c.status) << run->standardError();
        std::string message = c.message;
        if (message.find("WORK") != std::string::npos)
            message.replace(message.find("WORK"), 4, work);
        EXPECT_EQ(run->standardError().rfind(message, 0), 0u) << run->standardError();
        EXPECT_EQ(lineCount(run->standardError()), 1) << run->standardError();
        EXPECT_EQ(entries(work), before) << "something was made";
    }
}

TEST_F(CaptureDependability, AStoppedStemsRunLeavesTheEarlierSetAsItWas)
{
    // The mix was placed first and each stem after it: a stop in between left a new mix.wav
    // beside the earlier run's stems. The set is placed together, or not at all.
    const std::string work = caseFolder(0);
    const std::string stems = work + "/stems";
    const auto first = launch({makedataBinary, "--stems", stems}, work, {}, work);
    ASSERT_EQ(first->wait(300000), 0) << first->standardError();
    const std::vector<std::string> names = entries(stems);
    ASSERT_EQ(names.size(), 6u);
    const auto inodes = [&] {
        std::vector<ino_t> found;
        for (const std::string& name : names) {
            struct stat info;
            found.push_back(lstat((stems + "/" + name).c_str(), &info) == 0 ? info.st_ino : 0);
        }
        return found;
    };
    const std::vector<ino_t> earlier = inodes();

    // Stopped the moment the first file of the new set is in place.
    const auto second = launch({makedataBinary, "--stems", stems}, work, {}, work);
    while (inodes() == earlier && second->wait(0) == -1 && second->elapsedMs() < 300000)
        sleepMs(1);
    second->signal(SIGTERM);
    const int status = second->wait(20000);
    EXPECT_TRUE(status == 128 + SIGTERM || status == 0) << status << " " << second->standardError();
    const std::vector<ino_t> now = inodes();
    int replaced = 0;
    for (std::size_t i = 0; i < names.size(); ++i)
        replaced += now[i] != earlier[i] ? 1 : 0;
    EXPECT_TRUE(replaced == 0 || replaced == int(names.size()))
        << replaced << " of the " << names.size() << " files are the new run's, the rest the earlier run's";
    EXPECT_EQ(entries(stems), names) << "a temporary file left, or a file missing";
}

} // namespace
