// The viewer's jumps: the time from a jump key to the first frame drawn at the new moment, at
// 1280 x 720 on this machine's OpenGL (llvmpipe without a GPU), for targets in every scene.
//
//   jump_bench [--size WxH] [--passes N] [--play MS]
//
// The show runs on the real timer in the offscreen renderer, through the show's own frame path:
// between jumps it plays for --play ms (300 by default), then the key's callback is called, and
// the time runs to the end of glFinish on the first frame at the new moment. In between come what
// the show does for a key: the frame that applies the jump (drawn at the old moment), the run
// rebuilt at the new moment, and that moment's frame with the status line. The window system's
// share (the key's event, the swap to the screen) is left out.
//
// One pass is Right ten times from 0 s, Left ten times, Page Down four times from the start,
// Page Up four times, and Home. The first pass meets each scene's GL states for the first time
// (llvmpipe compiles their shaders then); later passes show what a show that has played a while
// pays. Prints the median and the 95th percentile of each, and over all jumps.
//
// Run from the build folder, where ./iroiro/ holds the pictures.
#include "bench_stats.h"

#include "app/controls.h"
#include "app/run.h"
#include "app/show_state.h"
#include "app/timeline.h"
#include "app/window.h"
#include "capture/offscreen.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Options {
    int width = 1280;
    int height = 720;
    int passes = 3;
    int playMs = 300;
};

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--size" && hasValue) {
            const std::string size = argv[++i];
            const std::size_t x = size.find('x');
            if (x == std::string::npos)
                return false;
            options.width = std::atoi(size.substr(0, x).c_str());
            options.height = std::atoi(size.substr(x + 1).c_str());
        } else if (arg == "--passes" && hasValue) {
            options.passes = std::atoi(argv[++i]);
        } else if (arg == "--play" && hasValue) {
            options.playMs = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    return options.width > 0 && options.height > 0 && options.passes > 0 && options.playMs >= 0;
}

struct Jump {
    int key;        // GLUT special key
    const char* name;
};

std::vector<Jump> onePass()
{
    std::vector<Jump> jumps;
    for (int i = 0; i < 10; ++i)
        jumps.push_back({GLUT_KEY_RIGHT, "Right"});
    for (int i = 0; i < 10; ++i)
        jumps.push_back({GLUT_KEY_LEFT, "Left"});
    jumps.push_back({GLUT_KEY_HOME, "Home"});
    for (int i = 0; i < 4; ++i)
        jumps.push_back({GLUT_KEY_PAGE_DOWN, "Page Down"});
    for (int i = 0; i < 4; ++i)
        jumps.push_back({GLUT_KEY_PAGE_UP, "Page Up"});
    jumps.push_back({GLUT_KEY_HOME, "Home"});
    return jumps;
}

// Frames back to back on the real timer for `ms`, as the idle loop draws them.
void play(int ms)
{
    const double until = monotonicMs() + ms;
    do {
        displayFrame();
        glFinish();
    } while (monotonicMs() < until);
}

std::string loadAverage()
{
    char text[128] = {};
    if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (!std::fgets(text, sizeof text, file))
            text[0] = '\0';
        std::fclose(file);
    }
    return text;
}

void printTiming(const char* what, const std::vector<double>& ms)
{
    const Timing timing = summarise(ms);
    double worst = 0;
    for (double m : ms)
        worst = m > worst ? m : worst;
    std::printf("%-34s %4zu jumps  median %7.1f ms  p95 %7.1f ms  max %7.1f ms\n", what, ms.size(), timing.median,
                timing.p95, worst);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: jump_bench [--size WxH] [--passes N] [--play MS]\n");
        return 2;
    }
    std::string reason;
    if (!openOffscreen(options.width, options.height, reason)) {
        std::fprintf(stderr, "jump_bench: %s\n", reason.c_str());
        return 1;
    }
    initControls(false, options.width, options.height, false);
    startShowClock(clockReadingMs(), 0);

    std::printf("jumps at %dx%d, %d ms played before each; load %s", options.width, options.height, options.playMs,
                loadAverage().c_str());
    std::vector<double> first, later, all, rebuild;
    int missed = 0;
    for (int pass = 0; pass < options.passes; ++pass) {
        for (const Jump& jump : onePass()) {
            play(options.playMs);
            const double start = monotonicMs();
            specialKeyPressed(jump.key, 0, 0);
            displayFrame(); // the frame that applies the jump, then the rebuild
            const double applied = monotonicMs();
            const std::int32_t landedOn = std::int32_t(clockReadingMs() - showState.startTime);
            displayFrame(); // the first frame at the new moment
            glFinish();
            const double ms = monotonicMs() - start;
            // The new moment's frame shows where the jump landed, a few ms on at most.
            const std::int32_t drawnAt = sceneStartMs(showState.scene) + std::int32_t(showState.sceneTime);
            if (drawnAt < landedOn || drawnAt - landedOn > 100)
                ++missed;
            (pass == 0 ? first : later).push_back(ms);
            all.push_back(ms);
            rebuild.push_back(applied - start);
        }
    }
    printTiming("first pass (scenes met first)", first);
    if (!later.empty())
        printTiming("later passes", later);
    printTiming("all", all);
    printTiming("  of which key to rebuilt run", rebuild);
    std::printf("target: median under 200 ms, 95th percentile under 400 ms\n");
    if (missed)
        std::printf("%d jumps did not land where asked\n", missed);
    closeOffscreen();
    return missed ? 1 : 0;
}
