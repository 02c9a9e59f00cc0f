// showcap: renders the show offscreen on a virtual clock, with the show's own drawing code, to an
// MP4 with the soundtrack, a folder of PNG frames, or one PNG; the same output on every run.
#include "capture/headless.h"
#include "capture/offscreen.h"
#include "capture/options.h"
#include "capture/output_files.h"
#include "capture/png_writer.h"
#include "capture/progress.h"
#include "capture/video_pipe.h"

#include "app/data_files.h"
#include "app/replay.h"
#include "textures/picture_file.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int failureStatus = 1;
constexpr int usageStatus = 2;

// Set by SIGINT, SIGTERM or SIGHUP; the capture stops at the next frame and removes its output.
volatile std::sig_atomic_t stopSignal = 0;

void requestStop(int signalNumber)
{
    stopSignal = signalNumber;
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
    folder = absolutePath(folder);
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
    std::string encoder;
    return checkOutputFile(options.output, error) &&
           (options.mode != CaptureMode::video || findVideoEncoder(encoder, error));
}

void installSignalHandlers()
{
    // Write errors come back as EPIPE (ffmpeg gone) or EFBIG (file size limit) instead.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // Restarted system calls keep a frame's write whole; a second signal ends showcap at once.
    struct sigaction action {};
    action.sa_handler = requestStop;
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signalNumber, &action, nullptr);
}

// Draws the plan's frames in order through the show's frame path and hands each to `sink`,
// with the progress bar. A range that starts part-way first rebuilds what the run carried in.
bool renderFrames(const CaptureOptions& options, const CapturePlan& plan, const FrameSink& sink, std::string& error)
{
    const int fps = options.framesPerSecond;
    if (options.fromMs > 0)
        replayRunUntil(options.fromMs, fps);
    ProgressMeter meter;
    startProgress(meter, plan.frameCount);
    std::vector<std::uint8_t> rgb;
    for (std::uint64_t done = 0; done < plan.frameCount; ++done) {
        const std::uint64_t frame = plan.firstFrame + done;
        if (stopSignal != 0) {
            error = "interrupted; the partial output is removed";
        } else if (!renderOffscreenFrame(runFrameTime(frame, fps))) {
            error = "frame " + std::to_string(frame) + " could not be drawn";
        } else {
            readOffscreenPixels(rgb);
            if (sink(frame, rgb, error)) {
                reportProgress(meter, done + 1);
                continue;
            }
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
    settings.soundtrackPath = dataFilePath(soundtrackFile);
    settings.width = options.width;
    settings.height = options.height;
    settings.framesPerSecond = options.framesPerSecond;
    // The soundtrack lines up with the frames' show times: from the first frame's exact time
    // (frame / fps s, of which the clock shows the whole milliseconds) to the end of the range.
    settings.audioStartSeconds = double(plan.firstFrame) / double(options.framesPerSecond);
    settings.audioSeconds = double(options.toMs) / 1000.0 - settings.audioStartSeconds;

    VideoPipe pipe;
    const FrameSink sendFrame = [&pipe](std::uint64_t, const std::vector<std::uint8_t>& rgb, std::string& failure) {
        return sendVideoFrame(pipe, rgb, failure);
    };
    if (startVideoPipe(settings, pipe, error) && renderFrames(options, plan, sendFrame, error) &&
        finishVideoPipe(pipe, error))
        return moveIntoPlace(settings.outputPath, options.output, error);
    abortVideoPipe(pipe);
    std::remove(settings.outputPath.c_str());
    return false;
}

bool captureFrames(const CaptureOptions& options, const CapturePlan& plan, std::string& error)
{
    bool createdFolder = false;
    if (!makeFramesFolder(options.output, createdFolder, error))
        return false;
    std::vector<std::string> written;
    std::vector<std::uint8_t> png;
    const FrameSink writeFrame = [&](std::uint64_t frame, const std::vector<std::uint8_t>& rgb, std::string& failure) {
        const std::string path = framePath(options.output, frame);
        if (!encodePng(options.width, options.height, rgb, png)) {
            failure = "cannot encode " + path;
            return false;
        }
        if (!writeWholeFile(path, png, failure))
            return false;
        written.push_back(path);
        return true;
    };
    if (renderFrames(options, plan, writeFrame, error))
        return true;
    for (const std::string& path : written)
        std::remove(path.c_str());
    if (createdFolder)
        rmdir(options.output.c_str());
    return false;
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
    std::vector<std::uint8_t> rgb;
    std::vector<std::uint8_t> png;
    readOffscreenPixels(rgb);
    if (!encodePng(options.width, options.height, rgb, png)) {
        error = "cannot encode " + options.output;
        return false;
    }
    return writeWholeFile(options.output, png, error);
}

bool capture(const CaptureOptions& options, const CapturePlan& plan, std::string& error)
{
    switch (options.mode) {
    case CaptureMode::video: return captureVideo(options, plan, error);
    case CaptureMode::frames: return captureFrames(options, plan, error);
    case CaptureMode::frame: return captureFrame(options, plan, error);
    case CaptureMode::help: break;
    }
    return false;
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
    if (!parsed || !planCapture(options, plan, error)) {
        std::fprintf(stderr, "showcap: %s\n%s", error.c_str(), captureUsage().c_str());
        return usageStatus;
    }

    // Everything that can be checked without a display is checked before one is started.
    std::string dataFolder;
    if (!findDataFolder(options, dataFolder, error) || !checkData(options, dataFolder, error) ||
        !checkOutput(options, error))
        return fail(error);
    if (!inPrivateXServer() && !displayReachable())
        return fail(rerunInPrivateXServer(argc, argv));

    // The show reads ./iroiro/ from the working directory; the output stays where it was named.
    options.output = absolutePath(options.output);
    if (chdir(dataFolder.c_str()) != 0)
        return fail("cannot enter the data folder " + dataFolder);
    installSignalHandlers();
    if (!openOffscreen(options.width, options.height, error))
        return fail(std::string("cannot open the offscreen renderer") +
                    (inPrivateXServer() ? " in a private X server" : "") + ": " + error);
    const bool captured = capture(options, plan, error);
    closeOffscreen();
    if (!captured) {
        fail(error);
        if (stopSignal != 0)
            std::raise(stopSignal); // the handler is spent: ends the process as the signal would
        return failureStatus;
    }
    return 0;
}
