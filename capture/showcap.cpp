// showcap: renders the show offscreen on a virtual clock, with the show's own drawing code, to an
// MP4 with the soundtrack, a folder of PNG frames, or one PNG; the same output on every run.
#include "capture/headless.h"
#include "capture/offscreen.h"
#include "capture/options.h"
#include "capture/output_files.h"
#include "capture/png_writer.h"
#include "capture/progress.h"
#include "capture/system.h"
#include "capture/video_pipe.h"

#include "app/data_files.h"
#include "app/replay.h"
#include "textures/picture_file.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int failureStatus = 1;
constexpr int usageStatus = 2;
constexpr const char* interruptedMessage = "interrupted; the partial output is removed";
constexpr const char* unresolvableWorkingFolder =
    "the working folder is gone or its path is too long (give an absolute path)";

// What the run has made so far and takes away unless it completes. At file level because the X
// connection's and GLUT's fatal error handlers, which end the process, take it away too.
// A file the run made: removed when the run does not complete, and then only while it is still
// the file this run wrote (same device and inode; 0 for a temporary name only this run knows),
// so that a frame another run has since put under the same name stays.
struct MadeFile {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
};

struct RunLeftovers {
    std::vector<MadeFile> files; // the video's temporary file; the frames this run added
    std::string folder;             // the frames folder, when this run made it
    VideoPipe encoder;
    PrivateDisplay display;
    const char* glutFailure = "the offscreen renderer failed"; // what a GLUT error means now
    bool fatalError = false; // ending from Xlib's or GLUT's fatal error handler
};

RunLeftovers leftovers;

// Ends ffmpeg and removes what the run made; frames that replaced an earlier run's stay.
void takeLeftoversAway()
{
    abortVideoPipe(leftovers.encoder);
    for (auto file = leftovers.files.rbegin(); file != leftovers.files.rend(); ++file) {
        struct stat info;
        if (file->inode == 0 ||
            (lstat(file->path.c_str(), &info) == 0 && info.st_dev == file->device && info.st_ino == file->inode))
            std::remove(file->path.c_str());
    }
    if (!leftovers.folder.empty())
        rmdir(leftovers.folder.c_str());
    leftovers.files.clear();
    leftovers.folder.clear();
}

// The frames to draw: numbers firstFrame onwards of a run at the chosen frame rate.
struct CapturePlan {
    std::uint64_t firstFrame = 0;
    std::uint64_t frameCount = 0;
};

// Receives each frame as it is read back, with its number in the run.
using FrameSink = std::function<bool(std::uint64_t frame, const std::vector<std::uint8_t>& rgb, std::string& error)>;

int fail(const std::string& message)
{
    std::fprintf(stderr, "showcap: %s\n", message.c_str());
    return failureStatus;
}

// Ends the run: on failure takes its output away, ends the private X server, and reports. A stop
// request ends the process as its signal would (a complete output stays).
int finishRun(bool succeeded, const std::string& error)
{
    if (succeeded) {
        leftovers.files.clear();
        leftovers.folder.clear();
    } else {
        takeLeftoversAway();
    }
    // GLUT's connection closes before the private server ends, which would otherwise take it
    // down as a lost display on the way out; not after a fatal error, where it is broken.
    if (!leftovers.fatalError && glutGet(GLUT_INIT_STATE))
        glutExit();
    stopPrivateDisplay(leftovers.display);
    if (stopSignal() != 0) {
        if (!succeeded)
            std::fprintf(stderr, "showcap: %s\n", interruptedMessage);
        endByStopSignal();
    }
    return succeeded ? 0 : fail(error);
}

// Xlib and GLUT end the process after a fatal error; this takes the run's output away first.
[[noreturn]] void endAfterFatalError(const std::string& message)
{
    if (leftovers.fatalError) // a second one while ending
        std::_Exit(failureStatus);
    leftovers.fatalError = true;
    std::_Exit(finishRun(false, message));
}

int onLostDisplay(Display* display)
{
    endAfterFatalError(std::string("lost the connection to the X display ") + DisplayString(display));
}

void onGlutError(const char* format, va_list arguments)
{
    char words[512];
    std::vsnprintf(words, sizeof words, format, arguments);
    endAfterFatalError(std::string(leftovers.glutFailure) + ": " + words);
}

// The folder holding iroiro/, found as the show finds it: --data, else the working directory,
// else the folder showcap is in (the build folder), so that `build/showcap ...` works from anywhere.
bool findDataFolder(const CaptureOptions& options, std::string& folder, std::string& error)
{
    folder = locateDataFolder(options.dataFolder);
    if (folder.empty()) {
        error = options.dataFolder.empty()
                    ? "no iroiro/ data folder here or beside showcap: build the iroiro_data target, or give --data DIR"
                    : "no iroiro/ folder in " + options.dataFolder;
        return false;
    }
    const std::string absolute = absolutePath(folder);
    if (absolute.empty()) {
        error = "cannot resolve the data folder " + folder + ": " + unresolvableWorkingFolder;
        return false;
    }
    folder = absolute;
    return true;
}

// A data file's path in the folder holding iroiro/ ("k13.mp3" -> folder/iroiro/k13.mp3).
std::string inDataFolder(const std::string& folder, const char* file)
{
    return folder + "/" + dataFolderName + "/" + file;
}

// The pictures are checked before anything opens, with the loader's own reading and decoding: a
// picture it refuses would raise its modal notice, which nobody can dismiss in a private X server.
// The soundtrack, which ffmpeg reads, must be a regular file: a FIFO or a device would stall it.
bool checkData(const CaptureOptions& options, const std::string& folder, std::string& error)
{
    for (const ShowPicture& picture : showPictures) {
        const std::string path = inDataFolder(folder, picture.file);
        DecodedBitmap decoded;
        if (readPictureFile(path.c_str(), decoded) != PictureRead::ok) {
            error = "picture missing or unreadable: " + path;
            return false;
        }
    }
    const std::string soundtrack = inDataFolder(folder, soundtrackFile);
    struct stat info;
    if (options.mode == CaptureMode::video &&
        (stat(soundtrack.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || access(soundtrack.c_str(), R_OK) != 0)) {
        error = "no soundtrack at " + soundtrack;
        return false;
    }
    return true;
}

bool planCapture(const CaptureOptions& options, CapturePlan& plan, std::string& error)
{
    const int fps = options.framesPerSecond;
    const std::string rate = "a run at " + std::to_string(fps) + " fps";
    if (options.mode == CaptureMode::frame) {
        plan.firstFrame = firstFrameFrom(options.atMs, fps);
        plan.frameCount = 1;
        if (runFrameTime(plan.firstFrame, fps) >= std::uint32_t(showEndMs)) {
            error = rate + " has no frame from " + formatShowTime(options.atMs) + " s to the end of the show";
            return false;
        }
        return true;
    }
    plan.firstFrame = firstFrameFrom(options.fromMs, fps);
    plan.frameCount = firstFrameFrom(options.toMs, fps) - plan.firstFrame;
    if (plan.frameCount == 0) {
        error = rate + " has no frame from " + formatShowTime(options.fromMs) + " s to before " +
                formatShowTime(options.toMs) + " s";
        return false;
    }
    return true;
}

bool checkOutput(const CaptureOptions& options, std::string& error)
{
    if (options.mode == CaptureMode::frames)
        return checkFramesFolder(options.output, error);
    if (!checkOutputFile(options.output, error))
        return false;
    std::string encoder;
    return options.mode != CaptureMode::video ||
           (videoSizeSupported(options.width, options.height, error) && findVideoEncoder(encoder, error));
}

// Encodes a frame as PNG and writes it whole at `path`; `created` tells whether the name is new.
// The frame and frames modes both write through here.
bool writePngFile(const std::string& path, const CaptureOptions& options, const std::vector<std::uint8_t>& rgb,
                  std::vector<std::uint8_t>& png, bool& created, std::string& error)
{
    if (!encodePng(options.width, options.height, rgb, png)) {
        error = "cannot encode " + path;
        return false;
    }
    if (stopSignal() != 0) {
        error = interruptedMessage;
        return false;
    }
    return writeWholeFile(path, png, created, error);
}

// Draws the plan's frames in order through the show's frame path and hands each to `sink`,
// with the progress bar. A range that starts part-way first rebuilds what the run carried in.
bool renderFrames(const CaptureOptions& options, const CapturePlan& plan, const FrameSink& sink, std::string& error)
{
    const int fps = options.framesPerSecond;
    if (options.fromMs > 0)
        replayRunUntil(options.fromMs, fps);
    if (stopSignal() != 0) {
        error = interruptedMessage;
        return false;
    }
    ProgressMeter meter;
    startProgress(meter, plan.frameCount);
    std::vector<std::uint8_t> rgb;
    for (std::uint64_t done = 0; done < plan.frameCount; ++done) {
        const std::uint64_t frame = plan.firstFrame + done;
        if (stopSignal() != 0) {
            error = interruptedMessage;
        } else if (!renderOffscreenFrame(runFrameTime(frame, fps))) {
            error = "frame " + std::to_string(frame) + " could not be drawn";
        } else {
            readOffscreenPixels(rgb);
            if (sink(frame, rgb, error)) {
                reportProgress(meter, done + 1);
                continue;
            }
            if (stopSignal() != 0)
                error = interruptedMessage;
        }
        finishProgress(meter, done);
        return false;
    }
    finishProgress(meter, plan.frameCount);
    return true;
}

bool captureVideo(const CaptureOptions& options, const CapturePlan& plan, std::string& error)
{
    VideoSettings settings;
    if (!createTemporaryBeside(options.output, settings.outputPath, error))
        return false;
    leftovers.files.push_back({settings.outputPath});
    settings.soundtrackPath = dataFilePath(soundtrackFile);
    settings.width = options.width;
    settings.height = options.height;
    settings.framesPerSecond = options.framesPerSecond;
    // The soundtrack lines up with the frames' show times: from the first frame's exact time
    // (frame / fps s, of which the clock shows the whole milliseconds) to the end of the range.
    settings.audioStartSeconds = double(plan.firstFrame) / double(options.framesPerSecond);
    settings.audioSeconds = double(options.toMs) / 1000.0 - settings.audioStartSeconds;

    VideoPipe& pipe = leftovers.encoder;
    const FrameSink sendFrame = [&pipe](std::uint64_t, const std::vector<std::uint8_t>& rgb, std::string& failure) {
        return sendVideoFrame(pipe, rgb, failure);
    };
    if (!startVideoPipe(settings, pipe, error) || !renderFrames(options, plan, sendFrame, error) ||
        !finishVideoPipe(pipe, error))
        return false;
    if (stopSignal() != 0) {
        error = interruptedMessage;
        return false;
    }
    bool created = false;
    const bool placed = moveIntoPlace(settings.outputPath, options.output, created, error);
    leftovers.files.pop_back(); // renamed, or removed by the failed move
    return placed;
}

// Frames already in the folder are replaced, each whole and at once; frames of an earlier run
// beyond this one's range stay, and an unfinished run takes away only the frames it added.
bool captureFrames(const CaptureOptions& options, const CapturePlan& plan, std::string& error)
{
    bool createdFolder = false;
    if (!makeFramesFolder(options.output, createdFolder, error))
        return false;
    if (createdFolder)
        leftovers.folder = options.output;
    std::vector<std::uint8_t> png;
    const FrameSink writeFrame = [&](std::uint64_t frame, const std::vector<std::uint8_t>& rgb, std::string& failure) {
        const std::string path = framePath(options.output, frame);
        bool created = false;
        if (!writePngFile(path, options, rgb, png, created, failure))
            return false;
        struct stat written;
        if (created && lstat(path.c_str(), &written) == 0)
            leftovers.files.push_back({path, written.st_dev, written.st_ino});
        return true;
    };
    return renderFrames(options, plan, writeFrame, error);
}

bool captureFrame(const CaptureOptions& options, const CapturePlan& plan, std::string& error)
{
    const int fps = options.framesPerSecond;
    const std::uint32_t frameTime = runFrameTime(plan.firstFrame, fps);
    if (frameTime != options.atMs)
        std::fprintf(stderr, "showcap: a run at %d fps has no frame at %s s; writing its next, at %s s\n", fps,
                     formatShowTime(options.atMs).c_str(), formatShowTime(frameTime).c_str());
    replayRunUntil(options.atMs, fps);
    if (!renderOffscreenFrame(frameTime)) {
        error = "the frame at " + formatShowTime(frameTime) + " s could not be drawn";
        return false;
    }
    if (stopSignal() != 0) {
        error = interruptedMessage;
        return false;
    }
    std::vector<std::uint8_t> rgb;
    std::vector<std::uint8_t> png;
    readOffscreenPixels(rgb);
    bool created = false;
    return writePngFile(options.output, options, rgb, png, created, error);
}

bool capture(const CaptureOptions& options, const CapturePlan& plan, std::string& error)
{
    switch (options.mode) {
    case CaptureMode::video: return captureVideo(options, plan, error);
    case CaptureMode::frames: return captureFrames(options, plan, error);
    case CaptureMode::frame: return captureFrame(options, plan, error);
    case CaptureMode::help:
    case CaptureMode::version: break;
    }
    return false;
}

int run(CaptureOptions& options, const CapturePlan& plan)
{
    // Everything that can be checked without a display is checked before one is started.
    catchStopSignals();
    // "frames out/" (as tab completion writes it) names the same folder as "frames out": without
    // the slash, a link there is seen as the link it is, not as the folder it points to.
    if (options.mode == CaptureMode::frames)
        while (options.output.size() > 1 && options.output.back() == '/')
            options.output.pop_back();
    std::string error;
    std::string dataFolder;
    if (!findDataFolder(options, dataFolder, error) || !checkData(options, dataFolder, error) ||
        !checkOutput(options, error))
        return finishRun(false, error);
    const DisplayAnswer display = stopSignal() != 0 ? DisplayAnswer::stopped : checkDisplay();
    if (display == DisplayAnswer::silent)
        return finishRun(false, std::string("the X display ") + std::getenv("DISPLAY") +
                                    " does not answer (unset DISPLAY to draw without one)");
    if (display == DisplayAnswer::stopped ||
        (display == DisplayAnswer::none && !startPrivateDisplay(leftovers.display, error)))
        return finishRun(false, error);

    // The show reads ./iroiro/ from the working directory; the output stays where it was named,
    // or the run is refused before anything is drawn.
    const std::string output = absolutePath(options.output);
    if (output.empty())
        return finishRun(false, "cannot resolve " + options.output + ": " + unresolvableWorkingFolder);
    options.output = output;
    if (chdir(dataFolder.c_str()) != 0)
        return finishRun(false, "cannot enter the data folder " + dataFolder);
    XSetIOErrorHandler(onLostDisplay);
    glutInitErrorFunc(onGlutError);
    leftovers.glutFailure = "cannot open the offscreen renderer";
    bool opened = false;
    {
        // Mesa's rendering threads start here and keep the stop signals held, so that the thread
        // that checks for a stop is the one a stop interrupts.
        const StopSignalsHeld held;
        opened = openOffscreen(options.width, options.height, error);
    }
    leftovers.glutFailure = "the offscreen renderer failed";
    XSetIOErrorHandler(onLostDisplay);
    if (!opened)
        return finishRun(false, "cannot open the offscreen renderer: " + error);
    const bool captured = capture(options, plan, error);
    closeOffscreen();
    return finishRun(captured, error);
}

} // namespace

int main(int argc, char** argv)
{
    CaptureOptions options;
    std::string error;
    CapturePlan plan;
    const bool parsed = parseCaptureOptions(std::vector<std::string>(argv + 1, argv + argc), options, error);
    if (parsed && options.mode == CaptureMode::help) {
        std::fputs(captureHelp().c_str(), stdout);
        return 0;
    }
    if (parsed && options.mode == CaptureMode::version) {
        std::printf("iroiro-capture %s\n", SHOW_VERSION);
        return 0;
    }
    if (!parsed || !planCapture(options, plan, error)) {
        std::fprintf(stderr, "showcap: %s\n%s", error.c_str(), captureUsage().c_str());
        return usageStatus;
    }
    try {
        return run(options, plan);
    } catch (const std::bad_alloc&) {
        return finishRun(false, "out of memory at --size " + std::to_string(options.width) + "x" +
                                    std::to_string(options.height));
    }
}
