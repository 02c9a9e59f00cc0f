// Frame cost of the show on this machine's OpenGL (llvmpipe without a GPU): every scene, and every
// heavy element alone, rendered offscreen at chosen sizes with glFinish per frame; and the time
// from process start to the first frame the real show swaps.
//
//   frame_bench [--mode scenes|elements|startup|all] [--size WxH]... [--frames N] [--runs N]
//               [--repeat N] [--only SCENE-NUMBER|ELEMENT-NAME] [--ripple arrays|immediate|literal]
//               [--solids both|recorded|literal] [--without-allocator-tuning]
//
// Scenes are timed with the solids recorded (as the show draws them) and literal, in alternating
// passes of the same run, so that both see the same load on a shared machine.
//
// Run from anywhere; it works in the build folder, where ./iroiro/ holds the pictures.
#include "bench_stats.h"

#include "platform/children.h"
#include "platform/clock.h"

#include "app/frame.h"
#include "app/show_state.h"
#include "capture/offscreen.h"
#include "app/replay.h"
#include "elements/cube_waves.h"
#include "elements/light_ring.h"
#include "elements/ripple_surface.h"
#include "elements/solids.h"
#include "elements/sparkle.h"
#include "scenes/cameras.h"
#include "scenes/glow_pass.h"
#include "scenes/materials.h"
#include "scenes/scene_parts.h"
#include "scenes/scenes.h"
#include "textures/bitmap.h"

#include <GL/glu.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>


namespace {

constexpr int replayFramesPerSecond = 60;

struct Size {
    int width, height;
};

struct Options {
    std::string mode = "all";
    std::vector<Size> sizes;
    int frames = 100;
    int runs = 7;
    int repeat = 3; // runs of each measurement; the least disturbed one is reported
    std::string only; // elements whose name contains this, or scenes whose number it is
    RipplePath ripplePath = RipplePath::arrays; // how scene 5 draws its ripple surface
    std::vector<SolidPath> solidPaths = {SolidPath::literal, SolidPath::recorded}; // scenes, alternating
};

// ---- timing frames ----

// Per frame: the wall time, which is the figure; the CPU time of every thread of the process
// (this thread and llvmpipe's rasterisers), which other load on the machine disturbs less; and
// that of this thread alone, which issues the GL calls and runs the vertex stages, so that the
// rest of `cpu` is rasterisation.
struct FrameTimes {
    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<double> mainThread;
};

// Times each frame from the first GL call to the end of glFinish, for each of `variants` ways of
// drawing (prepare(v) selects one). The frames run once unmeasured for each variant, so that
// llvmpipe has compiled every shader variant they need, then `repeat` passes measured, the
// variants taking turns within each pass (the order reversed every other pass), each from the
// state a 60 fps run carries into its first frame. Other load on the machine only ever slows a
// pass down, so each variant's pass with the lowest median is the one reported.
template <typename Prepare, typename DrawFrame>
std::vector<FrameTimes> timeFrames(const std::vector<std::uint32_t>& times, int repeat, int variants, Prepare prepare,
                                   DrawFrame drawFrame)
{
    std::vector<FrameTimes> best(static_cast<std::size_t>(variants));
    std::vector<double> bestMedian(std::size_t(variants), 0.0);
    for (int pass = 0; pass <= repeat; ++pass) {
        for (int turn = 0; turn < variants; ++turn) {
            const int v = pass % 2 == 0 ? turn : variants - 1 - turn;
            prepare(v);
            FrameTimes measured;
            replayRunUntil(times.front(), replayFramesPerSecond);
            glFinish();
            for (std::uint32_t t : times) {
                const double start = monotonicMs();
                const double cpuStart = processCpuMs();
                const double mainStart = threadCpuMs();
                drawFrame(t);
                glFinish();
                measured.wall.push_back(monotonicMs() - start);
                measured.cpu.push_back(processCpuMs() - cpuStart);
                measured.mainThread.push_back(threadCpuMs() - mainStart);
            }
            const double median = summarise(measured.wall).median;
            if (pass > 0 && (pass == 1 || median < bestMedian[v])) {
                best[v] = measured;
                bestMedian[v] = median;
            }
        }
    }
    return best;
}

template <typename DrawFrame>
FrameTimes timeFrames(const std::vector<std::uint32_t>& times, int repeat, DrawFrame drawFrame)
{
    return timeFrames(times, repeat, 1, [](int) {}, drawFrame).front();
}

// ---- scenes ----

// The program's own work per frame of each scene (ms, GL stubbed out), from frame_own_cpu: scenes
// 1 to 5 as the show draws them, scene 5 by each ripple path, and each scene with literal solids.
struct OwnWork {
    std::map<int, double> scenes;
    std::map<std::string, double> scene5ByPath;
    std::map<int, double> literalSolids;
};

OwnWork measureOwnWork(int frames)
{
    OwnWork work;
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return work;
    ChildSetup setup;
    setup.argv = {FRAME_OWN_CPU_BINARY, "--raw", "--frames", std::to_string(frames)};
    setup.deathSignal = SIGKILL;
    setup.output = output[1];
    setup.errors = STDERR_FILENO;
    pid_t child = startChild(setup);
    close(output[1]);
    FILE* pipe = child > 0 ? fdopen(output[0], "r") : nullptr;
    if (!pipe) {
        close(output[0]);
        if (child > 0)
            waitForChild(child);
        return work;
    }
    char line[256];
    while (std::fgets(line, sizeof line, pipe)) {
        int scene = 0;
        double median = 0, p95 = 0, allocs = 0;
        char path[32];
        if (std::sscanf(line, "own %d %lf %lf %lf", &scene, &median, &p95, &allocs) == 4)
            work.scenes[scene] = median;
        else if (std::sscanf(line, "own5 %31s %lf", path, &median) == 2)
            work.scene5ByPath[path] = median;
        else if (std::sscanf(line, "ownliteral %d %lf", &scene, &median) == 2)
            work.literalSolids[scene] = median;
    }
    std::fclose(pipe);
    waitForChild(child);
    work.scene5ByPath["arrays"] = work.scenes[5];
    return work;
}

const char* ripplePathName(RipplePath path)
{
    switch (path) {
    case RipplePath::arrays: return "arrays";
    case RipplePath::immediate: return "immediate";
    case RipplePath::literal: return "literal";
    }
    return "?";
}

const char* solidPathName(SolidPath path)
{
    return path == SolidPath::recorded ? "recorded" : "literal";
}

void printHeader(const char* what, const Size& size, const Options& options)
{
    std::printf("\n%s at %d x %d, %d frames each, glFinish per frame, least disturbed of %d passes\n", what,
                size.width, size.height, options.frames, options.repeat);
}

void runScenes(const Size& size, const Options& options, const OwnWork& own)
{
    printHeader("Scenes", size, options);
    std::printf("solids: recorded = display lists and cubes outside the view skipped (the show); literal = the "
                "library's calls, every cube sent; passes alternate\n");
    std::printf("%-7s %-9s %10s %10s %10s %10s %10s %10s %8s %9s\n", "scene", "solids", "median ms", "p95 ms", "fps",
                "cpu ms", "main ms", "own ms", "own %", "speed-up");
    const std::vector<SolidPath>& paths = options.solidPaths;
    for (const SceneSpan& span : sceneSpans) {
        if (!options.only.empty() && std::to_string(span.scene) != options.only)
            continue;
        setRipplePath(options.ripplePath);
        const std::vector<FrameTimes> times =
            timeFrames(spreadFrameTimes(span, options.frames), options.repeat, int(paths.size()),
                       [&](int v) { setSolidPath(paths[std::size_t(v)]); },
                       [](std::uint32_t t) { renderOffscreenFrame(t); });
        setSolidPath(SolidPath::recorded);
        setRipplePath(RipplePath::arrays);
        double literalMedian = 0;
        for (std::size_t v = 0; v < paths.size(); ++v) {
            const Timing timing = summarise(times[v].wall);
            double ownMs = own.scenes.count(span.scene) ? own.scenes.at(span.scene) : 0.0;
            if (span.scene == 5 && own.scene5ByPath.count(ripplePathName(options.ripplePath)))
                ownMs = own.scene5ByPath.at(ripplePathName(options.ripplePath));
            if (paths[v] == SolidPath::literal && own.literalSolids.count(span.scene))
                ownMs = own.literalSolids.at(span.scene);
            char speedUp[16] = "";
            if (paths[v] == SolidPath::literal)
                literalMedian = timing.median;
            else if (literalMedian > 0)
                std::snprintf(speedUp, sizeof speedUp, "%.2fx", literalMedian / timing.median);
            std::printf("%-7d %-9s %10.2f %10.2f %10.1f %10.2f %10.2f %10.3f %7.1f%% %9s\n", span.scene,
                        solidPathName(paths[v]), timing.median, timing.p95, 1000.0 / timing.median,
                        summarise(times[v].cpu).median, summarise(times[v].mainThread).median, ownMs,
                        100.0 * ownMs / timing.median, speedUp);
        }
        std::fflush(stdout);
    }
}

// ---- elements alone ----

// One element drawn alone, under the camera and GL state of the scene it belongs to.
struct Element {
    const char* name;
    int scene;
    void (*draw)(std::uint32_t showTimeMs, double sceneTime);
    // The element's pure computations for the same frame, timed apart as its own work (null
    // where it computes nothing per frame).
    void (*compute)(double sceneTime);
};

void drawNothing(std::uint32_t, double) {}

void computeRing(double sceneTime)
{
    volatile double sink = orbitItems(int(sceneTime), 0, 0, 0, fullRingRadius)[0].x;
    (void)sink;
}

void computeFieldSparkles(double)
{
    // The field's 48 sparkles, at sizes and places like the scene's.
    volatile float sink = 0;
    for (int i = 0; i < 48; ++i)
        sink = sink + sparkleVertices(100 + i, -500 + 20 * i, 300 - 10 * i, -1000 - 80 * i)[0].x;
}

void computeCubes(double sceneTime)
{
    volatile double sink = cubeWavePoints(int(sceneTime))[0].y1;
    (void)sink;
}

template <bool literal>
void computeRipple(double sceneTime)
{
    static RippleGrid grid;
    static RippleFrame frame;
    static bool gridReady = false;
    const double z = rippleSurfaceDepth();
    if (literal) {
        computeRippleFrameByStrips(0.0, 0.0, z, sceneTime, frame);
        return;
    }
    if (!gridReady) {
        computeRippleGrid(0.0, 0.0, grid);
        gridReady = true;
    }
    computeRippleFrame(grid, z, sceneTime, frame);
}

void drawSky(std::uint32_t, double sceneTime)
{
    lookThrough(placeScene3Camera(sceneTime));
    glDisable(GL_CULL_FACE);
    drawTexturedSkyCube(showState.skyTextureB, 4000.0f);
    glEnable(GL_CULL_FACE);
}

template <SolidPath path>
void drawSphere(std::uint32_t, double sceneTime)
{
    setSolidPath(path);
    lookThrough(placeScene3Camera(sceneTime));
    applyMaterial(moonMaterial);
    drawQuadricSphere(showState.quadric, 80.0, 50, 50);
    setSolidPath(SolidPath::recorded);
}

// Scene 2's sphere, GLUT's 80 x 80 one, under scene 2's camera and material.
template <SolidPath path>
void drawScene2Sphere(std::uint32_t, double sceneTime)
{
    setSolidPath(path);
    lookThrough(placeScene2Camera(sceneTime));
    applyMaterial(greySphereMaterial);
    drawSolidSphere(80.0, 80, 80);
    setSolidPath(SolidPath::recorded);
}

void drawRing(std::uint32_t, double sceneTime)
{
    lookThrough(placeScene3Camera(sceneTime));
    drawLightRingTail(int(sceneTime), 0, 0);
}

void drawFieldSparkles(std::uint32_t, double sceneTime)
{
    lookThrough(placeScene4Camera(sceneTime));
    beginGlowPass();
    drawSparkleField();
    endGlowPass();
}

template <SolidPath path>
void drawCubes(std::uint32_t, double sceneTime)
{
    setSolidPath(path);
    const CameraPose pose = placeScene2Camera(sceneTime);
    lookThrough(pose);
    drawCubeWaves(int(sceneTime), viewVolumeFrom(pose));
    setSolidPath(SolidPath::recorded);
}

// The ripple under scene 5's camera and state, by the path given.
template <RipplePath path>
void drawRipple(std::uint32_t, double sceneTime)
{
    setRipplePath(path);
    lookThrough(placeScene5Camera(sceneTime));
    drawFinaleRippleSurface(sceneTime);
    setRipplePath(RipplePath::arrays);
}

constexpr Element elements[] = {
    {"clear only", 3, drawNothing, nullptr},
    {"sky cube", 3, drawSky, nullptr},
    {"sphere", 3, drawSphere<SolidPath::recorded>, nullptr},
    {"sphere, literal", 3, drawSphere<SolidPath::literal>, nullptr},
    {"sphere 80x80", 2, drawScene2Sphere<SolidPath::recorded>, nullptr},
    {"sphere 80x80, literal", 2, drawScene2Sphere<SolidPath::literal>, nullptr},
    {"light ring", 3, drawRing, computeRing},
    {"48 sparkles", 4, drawFieldSparkles, computeFieldSparkles},
    {"cube waves", 2, drawCubes<SolidPath::recorded>, computeCubes},
    {"cube waves, literal", 2, drawCubes<SolidPath::literal>, computeCubes},
    {"ripple surface", 5, drawRipple<RipplePath::arrays>, computeRipple<false>},
    {"ripple, immediate mode", 5, drawRipple<RipplePath::immediate>, computeRipple<false>},
    {"ripple, literal", 5, drawRipple<RipplePath::literal>, computeRipple<true>},
};

void runElements(const Size& size, const Options& options)
{
    printHeader("Elements alone (clear, camera, element)", size, options);
    std::printf("%-22s %6s %10s %10s %10s %10s %10s %10s %8s\n", "element", "scene", "median ms", "p95 ms", "fps",
                "cpu ms", "main ms", "own ms", "own %");
    for (const Element& element : elements) {
        if (!options.only.empty() && !std::strstr(element.name, options.only.c_str()))
            continue;
        const FrameTimes times = timeFrames(spreadFrameTimes(sceneSpans[element.scene - 1], options.frames),
                                            options.repeat,
                                                   [&](std::uint32_t t) {
                                                       updateSchedule(int(t));
                                                       glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                                                       glLoadIdentity();
                                                       element.draw(t, showState.sceneTime);
                                                   });
        const Timing timing = summarise(times.wall);
        std::vector<double> own;
        if (element.compute)
            for (std::uint32_t t : spreadFrameTimes(sceneSpans[element.scene - 1], options.frames)) {
                updateSchedule(int(t));
                const double start = monotonicMs();
                element.compute(showState.sceneTime);
                own.push_back(monotonicMs() - start);
            }
        const double ownMs = summarise(own).median;
        std::printf("%-22s %6d %10.2f %10.2f %10.1f %10.2f %10.2f %10.3f %7.1f%%\n", element.name, element.scene,
                    timing.median, timing.p95, 1000.0 / timing.median, summarise(times.cpu).median,
                    summarise(times.mainThread).median, ownMs, 100.0 * ownMs / timing.median);
        std::fflush(stdout);
    }
}

// ---- start-up ----

struct StartupReport {
    bool ok = false;
    double firstSwapMs = 0; // from just before the process was started
    double mainLoopMs = 0;
    double audioMs = 0;  // inside SDL audio init and SDL_mixer's open, load and play
    double uploadMs = 0; // inside glTexImage2D
};

// Starts the real show with first_swap preloaded and waits for its report.
StartupReport startShowOnce(const std::vector<std::string>& extraEnvironment)
{
    const std::string reportPath = std::string(SHOW_BUILD_DIR) + "/first_swap_report.txt";
    unlink(reportPath.c_str());
    ChildSetup setup;
    setup.argv = {SHOW_BINARY};
    setup.deathSignal = SIGKILL;
    setup.output = STDOUT_FILENO;
    setup.errors = STDERR_FILENO;
    // The show reads ./iroiro/ from its working directory: it starts in the build folder.
    setup.workDir = SHOW_BUILD_DIR;
    setup.environment = {{"LD_PRELOAD", FIRST_SWAP_LIBRARY}, {"FIRST_SWAP_REPORT", reportPath}};
    for (const std::string& e : extraEnvironment) {
        const std::size_t equals = e.find('=');
        if (equals != std::string::npos)
            setup.environment.emplace_back(e.substr(0, equals), e.substr(equals + 1));
    }
    const double startMs = monotonicMs();
    const pid_t pid = startChild(setup);
    if (pid < 0)
        return {};
    int status = 0;
    for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; waited += 10) {
        if (waited > 10000) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return {};
        }
        usleep(10000);
    }
    std::ifstream report(reportPath);
    std::map<std::string, double> ms;
    std::string key;
    double value;
    while (report >> key >> value)
        ms[key] = value;
    unlink(reportPath.c_str());
    if (!ms.count("swap"))
        return {};
    StartupReport r;
    r.ok = true;
    r.firstSwapMs = ms["swap"] - startMs;
    r.mainLoopMs = ms["mainloop"] - startMs;
    r.audioMs = ms["audio"];
    r.uploadMs = ms["upload"];
    return r;
}

void runStartupOf(const char* label, const std::vector<std::string>& extraEnvironment, int runs)
{
    std::vector<double> swap, loop, audio, upload;
    for (int i = 0; i < runs; ++i) {
        const StartupReport r = startShowOnce(extraEnvironment);
        if (!r.ok) {
            std::printf("%-34s the show did not report its first frame\n", label);
            return;
        }
        swap.push_back(r.firstSwapMs);
        loop.push_back(r.mainLoopMs);
        audio.push_back(r.audioMs);
        upload.push_back(r.uploadMs);
    }
    const double firstSwap = summarise(swap).median;
    const double audioOpen = summarise(audio).median;
    std::printf("%-34s %10.1f %10.1f %10.1f %10.1f %12.1f\n", label, firstSwap, summarise(loop).median,
                summarise(upload).median, audioOpen, firstSwap - audioOpen);
    std::fflush(stdout);
}

// Each picture's decode alone (from bytes already in memory) and the whole loadBitmapTexture
// (read, decode, upload), inside this process.
void runPictureDecode()
{
    const char* pictures[] = {"./iroiro/syfyd.bmp", "./iroiro/muryw.bmp", "./iroiro/velvetend_loop02a(0).bmp",
                              "./iroiro/wave1.bmp"};
    std::printf("\nPictures, in this process (medians of 5)\n");
    std::printf("%-34s %10s %10s\n", "picture", "decode ms", "load ms");
    double decodeTotal = 0, loadTotal = 0;
    for (const char* path : pictures) {
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), {});
        std::vector<double> decode, load;
        for (int i = 0; i < 5; ++i) {
            DecodedBitmap picture;
            double start = monotonicMs();
            decodeBitmap(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), picture);
            decode.push_back(monotonicMs() - start);
            start = monotonicMs();
            GLuint name = GLuint(loadBitmapTexture(path));
            glFinish();
            load.push_back(monotonicMs() - start);
            glDeleteTextures(1, &name);
        }
        decodeTotal += summarise(decode).median;
        loadTotal += summarise(load).median;
        std::printf("%-34s %10.2f %10.2f\n", path, summarise(decode).median, summarise(load).median);
    }
    std::printf("%-34s %10.2f %10.2f\n", "all four", decodeTotal, loadTotal);
}

void runStartup(int runs)
{
    std::printf("\nStart-up of the real show (%d runs, medians, ms from process start)\n", runs);
    std::printf("%-34s %10s %10s %10s %10s %12s\n", "audio", "1st swap", "main loop", "uploads", "audio open",
                "swap-audio");
    startShowOnce({}); // unmeasured: brings the libraries into the page cache
    runStartupOf("this machine's audio drivers", {}, runs);
    runStartupOf("dummy audio driver (device opens)", {"SDL_AUDIODRIVER=dummy"}, runs);
    runStartupOf("no audio driver (opening fails)", {"SDL_AUDIODRIVER=none"}, runs);
}

// ---- options ----

bool parseSize(const char* text, Size& size)
{
    return std::sscanf(text, "%dx%d", &size.width, &size.height) == 2 && size.width > 0 && size.height > 0;
}

bool parseOptions(int argc, char** argv, Options& options, bool& withoutTuning)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--mode") && hasValue)
            options.mode = argv[++i];
        else if (!std::strcmp(argv[i], "--frames") && hasValue)
            options.frames = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--only") && hasValue)
            options.only = argv[++i];
        else if (!std::strcmp(argv[i], "--ripple") && hasValue) {
            const std::string path = argv[++i];
            if (path == "arrays")
                options.ripplePath = RipplePath::arrays;
            else if (path == "immediate")
                options.ripplePath = RipplePath::immediate;
            else if (path == "literal")
                options.ripplePath = RipplePath::literal;
            else
                return false;
        } else if (!std::strcmp(argv[i], "--solids") && hasValue) {
            const std::string paths = argv[++i];
            if (paths == "both")
                options.solidPaths = {SolidPath::literal, SolidPath::recorded};
            else if (paths == "recorded")
                options.solidPaths = {SolidPath::recorded};
            else if (paths == "literal")
                options.solidPaths = {SolidPath::literal};
            else
                return false;
        } else if (!std::strcmp(argv[i], "--repeat") && hasValue)
            options.repeat = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--runs") && hasValue)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--size") && hasValue) {
            Size size{};
            if (!parseSize(argv[++i], size))
                return false;
            options.sizes.push_back(size);
        } else if (!std::strcmp(argv[i], "--without-allocator-tuning"))
            withoutTuning = true;
        else
            return false;
    }
    if (options.sizes.empty())
        options.sizes = {{1000, 800}, {1920, 1080}};
    const std::string& m = options.mode;
    return m == "scenes" || m == "elements" || m == "startup" || m == "all";
}

// Starts this program again with mallopt preloaded away, unless that is already so.
void dropAllocatorTuning(char** argv)
{
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload && std::strstr(preload, NO_MALLOPT_LIBRARY))
        return;
    setenv("LD_PRELOAD", NO_MALLOPT_LIBRARY, 1);
    execv("/proc/self/exe", argv);
    std::perror("frame_bench: execv");
    std::exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    bool withoutTuning = false;
    if (!parseOptions(argc, argv, options, withoutTuning)) {
        std::fprintf(stderr, "usage: frame_bench [--mode scenes|elements|startup|all] [--size WxH]... "
                             "[--frames N] [--runs N] [--repeat N] [--only SCENE|ELEMENT] "
                             "[--ripple arrays|immediate|literal] [--solids both|recorded|literal] "
                             "[--without-allocator-tuning]\n");
        return 2;
    }
    if (withoutTuning)
        dropAllocatorTuning(argv);
    if (chdir(SHOW_BUILD_DIR) != 0) {
        std::perror("frame_bench: " SHOW_BUILD_DIR);
        return 1;
    }
    const bool all = options.mode == "all";
    std::printf("frame_bench: %s allocator tuning; scene 5's ripple drawn by the %s path; LP_NUM_THREADS %s\n",
                withoutTuning ? "without" : "with", ripplePathName(options.ripplePath),
                std::getenv("LP_NUM_THREADS") ? std::getenv("LP_NUM_THREADS") : "unset");

    if (all || options.mode == "startup")
        runStartup(options.runs);

    OwnWork own;
    if (all || options.mode == "scenes")
        own = measureOwnWork(options.frames);

    for (const Size& size : options.sizes) {
        std::string reason;
        if (!openOffscreen(size.width, size.height, reason)) {
            std::fprintf(stderr, "frame_bench: %s\n", reason.c_str());
            return 1;
        }
        const GLubyte* renderer = glGetString(GL_RENDERER);
        if (size.width == options.sizes.front().width && size.height == options.sizes.front().height)
            std::printf("GL_RENDERER: %s\n", renderer ? reinterpret_cast<const char*>(renderer) : "?");
        if (all || options.mode == "scenes")
            runScenes(size, options, own);
        if (all || options.mode == "elements")
            runElements(size, options);
        if ((all || options.mode == "startup") && &size == &options.sizes.front())
            runPictureDecode();
        closeOffscreen();
    }
    return 0;
}
