// showcap: renders the show offscreen on a virtual clock, with the show's own drawing code, to an
// MP4 with the soundtrack, a folder of PNG frames, or one PNG; the same output on every run.
#include "capture/offscreen.h"
#include "capture/options.h"
#include "capture/png_writer.h"
#include "capture/progress.h"
#include "capture/video_pipe.h"
#include "platform/children.h"
#include "platform/output_files.h"
#include "platform/paths.h"
#include "platform/stop_signals.h"
#include "platform/whole_files.h"
#include "platform/x_server.h"

#include "app/data_files.h"
#include "app/replay.h"
#include "platform/paths.h"
#include "textures/picture_file.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int failureStatus = 1;
constexpr int usageStatus = 2;
constexpr const char* interruptedMessage = "interrupted; the partial output is removed";
// Open files a run holds at most, with its private X server and ffmpeg (which inherit the limit):
// about 20, with room to spare.
constexpr int openFilesNeeded = 32;
constexpr const char* installedName = "iroiro-capture";
// The name showcap calls itself by in its messages: the one it was started as.
std::string program = installedName;
constexpr const char* unresolvableWorkingFolder =
    "the working folder is gone or its path is too long (give an absolute path)";

// The private X server drawn in when there is no display. The frames are drawn into a
// framebuffer object at any size; the screen only holds a hidden 16x16 window, so a small one
// will do. Only showcap itself is admitted.
PrivateDisplaySetup privateDisplaySetup()
{
    PrivateDisplaySetup setup;
    setup.screen = "640x480x24";
    setup.admitThisProcessOnly = true;
    return setup;
}

// What the run has made so far and takes away unless it completes. At file level because the X
// connection's and GLUT's fatal error handlers, which end the process, take it away too, and so
// does the ending of a stopped run, from a thread of its own; all of it is changed only with
// runLock() held.
// A frame the run added: removed when the run does not complete, and then only while it is still
// the file this run wrote (same device and inode), so that a frame another run has since put
// under the same name stays.
struct MadeFile {
    std::string name; // in the output folder
    FileIdentity identity;
};

struct RunLeftovers {
    OutputFolder folder;          // the output's folder (the frames folder), opened once
    std::vector<MadeFile> files;  // the frames this run added
    TemporaryFile video;          // the video while ffmpeg writes it
    std::string madeFolder;       // the frames folder, when this run made it
    bool completed = false;       // the output is in place
    VideoPipe encoder;
    PrivateDisplay display;
    const char* glutFailure = "the offscreen renderer failed"; // what a GLUT error means now
    bool fatalError = false; // ending from Xlib's or GLUT's fatal error handler
};

RunLeftovers leftovers;

// Ends ffmpeg and removes what the run made; frames that replaced an earlier run's stay.
void takeLeftoversAway()
{
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    abortVideoPipe(leftovers.encoder);
    discardTemporary(leftovers.folder, leftovers.video);
    for (auto file = leftovers.files.rbegin(); file != leftovers.files.rend(); ++file)
        removeIfSame(leftovers.folder, file->name, file->identity);
    // The folder this run made goes if it is still that folder, and empty.
    removeFolderIfSame(leftovers.madeFolder, leftovers.folder);
    leftovers.files.clear();
    leftovers.madeFolder.clear();
}

// Ends a run that a stop signal asked to end: takes its output away (unless it is complete),
// ends ffmpeg and the private X server, and ends the process as the signal would. Runs on the
// thread that waits for a stop, at once, whatever the drawing thread is doing (waiting on a
// frozen display, or drawing a frame that takes seconds), and on the drawing thread when it
// notices the stop first; whichever takes the lock first ends the process.
[[noreturn]] void endStopped()
{
    runLock().lock(); // for good
    const bool partial = !leftovers.completed;
    if (partial)
        takeLeftoversAway();
    abortVideoPipe(leftovers.encoder);
    stopPrivateDisplay(leftovers.display);
    if (partial) {
        const std::string line = program + ": " + interruptedMessage + "\n";
        [[maybe_unused]] const ssize_t ignored = write(STDERR_FILENO, line.data(), line.size());
    }
    endByStopSignal();
    std::_Exit(failureStatus);
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
    std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
    return failureStatus;
}

// Ends the run: on failure takes its output away, ends the private X server, and reports. A stop
// request ends the process as its signal would (a complete output stays).
int finishRun(bool succeeded, const std::string& error)
{
    if (stopSignal() != 0)
        endStopped();
    {
        const std::lock_guard<std::recursive_mutex> hold(runLock());
        if (succeeded) {
            leftovers.files.clear();
            leftovers.madeFolder.clear();
        } else {
            takeLeftoversAway();
        }
        closeOutputFolder(leftovers.folder);
    }
    // GLUT's connection closes before the private server ends, which would otherwise take it
    // down as a lost display on the way out; not after a fatal error, where it is broken.
    if (!leftovers.fatalError && glutGet(GLUT_INIT_STATE))
        glutExit();
    stopPrivateDisplay(leftovers.display);
    if (stopSignal() != 0)
        endStopped();
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
// else the folder the program is in (the build folder), so that `build/showcap ...` works from
// anywhere.
bool findDataFolder(const CaptureOptions& options, std::string& folder, std::string& error)
{
    std::string passedOver;
    folder = locateDataFolder(options.dataFolder, &passedOver);
    if (folder.empty()) {
        const std::string programFolder = executableFolder();
        if (!options.dataFolder.empty())
            error = "no iroiro/ folder in " + options.dataFolder;
        else if (isBuildFolder(programFolder))
            error = "no iroiro/ data folder here or beside " + program +
                    ": build the iroiro_data target, or give --data DIR";
        else if (programFolder.empty())
            error = "no iroiro/ data folder in the working folder: give --data DIR, the folder holding iroiro/";
        else
            error = "no iroiro/ data folder in the working folder, in " + programFolder + " or in " +
                    programFolder + "/" + installedDataFolder + ": give --data DIR, the folder holding iroiro/";
        return false;
    }
    if (!passedOver.empty())
        std::fprintf(stderr, "%s: reading the data from %s/%s/ (%s/%s/ holds only some of the files)\n",
                     program.c_str(), folder.c_str(), dataFolderName, passedOver.c_str(), dataFolderName);
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
    if (options.mode == CaptureMode::video && !isReadableFile(soundtrack)) {
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

// Encodes a frame as PNG and writes it whole at `name` in the output folder. The frame and frames
// modes both write through here: a new frame of a frames run is recorded as the run's own, and a
// single frame completes its run.
bool writePngFile(const std::string& name, const CaptureOptions& options, const std::vector<std::uint8_t>& rgb,
                  std::vector<std::uint8_t>& png, std::string& error)
{
    if (!encodePng(options.width, options.height, rgb, png)) {
        error = "cannot encode " + inFolder(leftovers.folder, name);
        return false;
    }
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    if (stopSignal() != 0) {
        error = interruptedMessage;
        return false;
    }
    bool created = false;
    if (!writeWholeFile(leftovers.folder, name, png, created, error))
        return false;
    FileIdentity written;
    if (options.mode == CaptureMode::frame)
        leftovers.completed = true;
    else if (created && identityIn(leftovers.folder, name, written))
        leftovers.files.push_back({name, written});
    return true;
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
    const OutputFolder& folder = leftovers.folder;
    const std::string name = nameOf(options.output);
    VideoSettings settings;
    {
        const std::lock_guard<std::recursive_mutex> hold(runLock());
        if (!createTemporary(folder, name, leftovers.video, error))
            return false;
    }
    if (leftovers.video.name.empty())
        settings.outputFile = leftovers.video.fd;
    else
        settings.outputPath = inFolder(folder, leftovers.video.name);
    settings.outputName = options.output;
    settings.soundtrackPath = dataFilePath(soundtrackFile);
    settings.width = options.width;
    settings.height = options.height;
    settings.framesPerSecond = options.framesPerSecond;
    // The soundtrack lines up with the frames' show times: from the first frame's exact time
    // (frame / fps s, of which the clock shows the whole milliseconds) to the end of the range.
    settings.audioStartSeconds = double(plan.firstFrame) / double(options.framesPerSecond);
    settings.audioSeconds = double(options.toMs) / 1000.0 - settings.audioStartSeconds;

    VideoPipe& pipe = leftovers.encoder;
    const FrameSink sendFrame = [&](std::uint64_t, const std::vector<std::uint8_t>& rgb, std::string& failure) {
        // A folder removed under the run is said at once, rather than after the whole render.
        if (folderRemoved(folder)) {
            failure = removedFolderMessage(folder);
            return false;
        }
        return sendVideoFrame(pipe, rgb, failure);
    };
    if (!startVideoPipe(settings, pipe, error) || !renderFrames(options, plan, sendFrame, error))
        return false;
    if (!finishVideoPipe(pipe, error)) {
        if (folderRemoved(folder))
            error = removedFolderMessage(folder);
        return false;
    }
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    if (stopSignal() != 0) {
        error = interruptedMessage;
        return false;
    }
    bool created = false;
    leftovers.completed = placeTemporary(folder, leftovers.video, name, created, error);
    return leftovers.completed;
}

// Frames already in the folder are replaced, each whole and at once; frames of an earlier run
// beyond this one's range stay, and an unfinished run takes away only the frames it added. The
// folder is opened once and written relative to it: swapped for a link meanwhile, it is not
// followed.
bool captureFrames(const CaptureOptions& options, const CapturePlan& plan, std::string& error)
{
    {
        const std::lock_guard<std::recursive_mutex> hold(runLock());
        bool createdFolder = false;
        if (!makeFramesFolder(options.output, leftovers.folder, createdFolder, error))
            return false;
        if (createdFolder)
            leftovers.madeFolder = options.output;
        else
            removeStaleFrameTemporaries(leftovers.folder);
    }
    std::vector<std::uint8_t> png;
    const FrameSink writeFrame = [&](std::uint64_t frame, const std::vector<std::uint8_t>& rgb, std::string& failure) {
        if (writePngFile(frameFileName(frame), options, rgb, png, failure))
            return true;
        if (folderRemoved(leftovers.folder))
            failure = removedFolderMessage(leftovers.folder);
        return false;
    };
    if (!renderFrames(options, plan, writeFrame, error))
        return false;
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    leftovers.completed = true;
    return true;
}

bool captureFrame(const CaptureOptions& options, const CapturePlan& plan, std::string& error)
{
    const int fps = options.framesPerSecond;
    const std::uint32_t frameTime = runFrameTime(plan.firstFrame, fps);
    if (frameTime != options.atMs)
        std::fprintf(stderr, "%s: a run at %d fps has no frame at %s s; writing its next, at %s s\n",
                     program.c_str(), fps, formatShowTime(options.atMs).c_str(), formatShowTime(frameTime).c_str());
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
    if (writePngFile(nameOf(options.output), options, rgb, png, error))
        return true;
    if (folderRemoved(leftovers.folder))
        error = removedFolderMessage(leftovers.folder);
    return false;
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
    endOnStop(endStopped);
    // "frames out/" (as tab completion writes it) names the same folder as "frames out": without
    // the slash, a link there is seen as the link it is, not as the folder it points to.
    if (options.mode == CaptureMode::frames)
        while (options.output.size() > 1 && options.output.back() == '/')
            options.output.pop_back();
    std::string error;
    std::string dataFolder;
    if (!allowOpenFiles(openFilesNeeded, error) || !findDataFolder(options, dataFolder, error) ||
        !checkData(options, dataFolder, error) || !checkOutput(options, error))
        return finishRun(false, error);
    const DisplayAnswer display = stopSignal() != 0 ? DisplayAnswer::stopped : checkDisplay();
    if (display == DisplayAnswer::silent)
        return finishRun(false, std::string("the X display ") + std::getenv("DISPLAY") +
                                    " does not answer (unset DISPLAY to draw without one)");
    if (display == DisplayAnswer::stopped ||
        (display == DisplayAnswer::none && !startPrivateDisplay(privateDisplaySetup(), leftovers.display, error)))
        return finishRun(false, error);

    // The show reads ./iroiro/ from the working directory; the output stays where it was named,
    // or the run is refused before anything is drawn.
    const std::string output = absolutePath(options.output);
    if (output.empty())
        return finishRun(false, "cannot resolve " + options.output + ": " + unresolvableWorkingFolder);
    options.output = output;
    if (options.mode != CaptureMode::frames) {
        const std::lock_guard<std::recursive_mutex> hold(runLock());
        if (!openOutputFolder(folderOf(output), false, leftovers.folder, error))
            return finishRun(false, error);
        // What a run of the same output killed outright left under a hidden name goes.
        removeStaleTemporaries(leftovers.folder, nameOf(output));
    }
    if (chdir(dataFolder.c_str()) != 0)
        return finishRun(false, "cannot enter the data folder " + dataFolder);
    XSetIOErrorHandler(onLostDisplay);
    glutInitErrorFunc(onGlutError);
    leftovers.glutFailure = "cannot open the offscreen renderer";
    setOffscreenAspect(options.aspect);
    const bool opened = openOffscreen(options.width, options.height, error);
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
    program = commandName(argc > 0 ? argv[0] : nullptr, installedName);
    CaptureOptions options;
    std::string error;
    CapturePlan plan;
    const bool parsed =
        parseCaptureOptions(std::vector<std::string>(argv + (argc > 0), argv + argc), options, error);
    if (parsed && options.mode == CaptureMode::help) {
        std::fputs(captureHelp(program).c_str(), stdout);
        return 0;
    }
    if (parsed && options.mode == CaptureMode::version) {
        std::fputs(versionLine(program, installedName, SHOW_VERSION).c_str(), stdout);
        return 0;
    }
    if (!parsed || !planCapture(options, plan, error)) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), error.c_str(), captureUsage(program).c_str());
        return usageStatus;
    }
    try {
        return run(options, plan);
    } catch (const std::bad_alloc&) {
        return finishRun(false, "out of memory at --size " + std::to_string(options.width) + "x" +
                                    std::to_string(options.height));
    }
}
