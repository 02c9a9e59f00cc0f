// The ffmpeg child process: its command line, the pipe of raw frames into it, and its outcome.
#include "capture/video_pipe.h"

#include "platform/children.h"
#include "platform/stop_signals.h"
#include "platform/whole_files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int largestX264Side = 16384;

std::string decimalSeconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    return text;
}

// The path ffmpeg is given for a file without a name: that file as its descriptor 3.
constexpr const char* passedFilePath = "/proc/self/fd/3";

// ffmpeg's words with the file it was given named as the user named the video: "Error closing
// file /proc/self/fd/3: No space left on device" names the output instead.
std::string inUsersWords(const VideoPipe& pipe, std::string message)
{
    if (pipe.outputName.empty())
        return message;
    const std::string given = pipe.outputFile >= 0 ? passedFilePath : pipe.output;
    if (given.empty())
        return message;
    for (std::size_t at = message.find(given); at != std::string::npos;
         at = message.find(given, at + pipe.outputName.size()))
        message.replace(at, given.size(), pipe.outputName);
    return message;
}

// Waits for ffmpeg to end; true when it exited with status 0, else `outcome` describes how it ended.
bool reapEncoder(VideoPipe& pipe, std::string& outcome)
{
    const int status = waitForChild(pipe.encoder);
    const bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (status == -1) {
        outcome = std::string("no longer to be found: ") + std::strerror(errno);
    } else if (!succeeded) {
        outcome = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                    : "killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
                                          strsignal(WTERMSIG(status)) + ")";
        const std::string message = inUsersWords(pipe, lastLine(pipe.messages));
        if (!message.empty())
            outcome += ": " + message;
    }
    close(pipe.messages);
    pipe.messages = -1;
    return succeeded;
}

void closeFrames(VideoPipe& pipe)
{
    if (pipe.frames >= 0)
        close(pipe.frames);
    pipe.frames = -1;
}

// Whether ffmpeg left an MP4 in the file: a regular file whose first box is "ftyp". A named one is
// opened without following a link or waiting on a FIFO, should anything have taken its place.
bool holdsMp4(const VideoPipe& pipe)
{
    const int fd = pipe.outputFile >= 0 ? pipe.outputFile
                                        : open(pipe.output.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    char head[8] = {};
    const bool mp4 = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && pread(fd, head, sizeof head, 0) == 8 &&
                     std::memcmp(head + 4, "ftyp", 4) == 0;
    if (fd != pipe.outputFile)
        close(fd);
    return mp4;
}

} // namespace

std::vector<std::string> videoEncoderCommand(const VideoSettings& settings)
{
    return {
        "ffmpeg", "-nostdin", "-hide_banner", "-nostats", "-loglevel", "error", "-y",
        // The frames: raw RGB from the pipe, rows bottom-up as GL reads them.
        "-f", "rawvideo", "-pix_fmt", "rgb24",
        "-video_size", std::to_string(settings.width) + "x" + std::to_string(settings.height),
        "-framerate", std::to_string(settings.framesPerSecond), "-i", "pipe:0",
        // The soundtrack from the show time of the first frame, as long as the frames last.
        "-ss", decimalSeconds(settings.audioStartSeconds), "-t", decimalSeconds(settings.audioSeconds),
        "-i", settings.soundtrackPath,
        "-map", "0:v:0", "-map", "1:a:0",
        // Flipped upright, converted to 4:2:0 with the HD colour matrix, and tagged as such, so
        // that players show the colours as rendered.
        "-vf", "vflip,scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
        // Near-transparent quality; "veryfast" keeps the encoder from costing more than the
        // drawing on a machine without a GPU (the default preset took three times as long).
        "-c:v", "libx264", "-preset", "veryfast", "-crf", "18",
        "-c:a", "aac", "-b:a", "192k",
        // The index at the front, so that a video can start playing while it downloads.
        // A file without a name is ffmpeg's descriptor 3, which it opens again by that path
        // (the front index is written by reading the file back).
        "-movflags", "+faststart", "-f", "mp4", settings.outputFile >= 0 ? passedFilePath : settings.outputPath,
    };
}

bool videoSizeSupported(int width, int height, std::string& reason)
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (width > largestX264Side || height > largestX264Side) {
        reason = "--size " + size + ": the video encoder (libx264) takes sides up to " +
                 std::to_string(largestX264Side) + " pixels";
        return false;
    }
    if ((long long)(width + 128) * (height + 128) >= INT_MAX / 8) {
        reason = "--size " + size + ": too many pixels for ffmpeg's pictures (about 268 million at most)";
        return false;
    }
    return true;
}

bool findVideoEncoder(std::string& program, std::string& error)
{
    program = findProgram("ffmpeg");
    if (program.empty())
        error = "ffmpeg not found on PATH: install it (the ffmpeg package) to write videos";
    return !program.empty();
}

bool startVideoPipe(const VideoSettings& settings, VideoPipe& pipe, std::string& error)
{
    ChildSetup setup;
    std::string program;
    if (!findVideoEncoder(program, error))
        return false;
    setup.argv = videoEncoderCommand(settings);
    setup.argv.front() = program;

    const int messages = openMessagesFile();
    int ends[2];
    if (messages < 0 || pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        if (messages >= 0)
            close(messages);
        return false;
    }
    setup.deathSignal = SIGKILL; // its partial file is useless; showcap takes it away
    setup.input = ends[0];
    setup.errors = messages;
    if (settings.outputFile >= 0)
        setup.passedFiles = {settings.outputFile};
    pid_t child = -1;
    {
        const std::lock_guard<std::recursive_mutex> hold(runLock());
        child = startChild(setup);
        pipe.encoder = child;
    }
    close(ends[0]);
    if (child < 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        close(ends[1]);
        close(messages);
        return false;
    }
    pipe.frames = ends[1];
    pipe.messages = messages;
    pipe.output = settings.outputPath;
    pipe.outputFile = settings.outputFile;
    pipe.outputName = settings.outputName;
    return true;
}

bool sendVideoFrame(VideoPipe& pipe, const std::vector<std::uint8_t>& rgb, std::string& error)
{
    if (writeAll(pipe.frames, rgb.data(), rgb.size()))
        return true;
    if (errno == EINTR) {
        error = "interrupted while ffmpeg was not taking frames";
        return false;
    }
    // Broken pipe: ffmpeg has ended or closed its input; its own words say why.
    closeFrames(pipe);
    std::string outcome;
    if (reapEncoder(pipe, outcome))
        outcome = "exit status 0";
    error = "ffmpeg stopped taking frames, " + outcome;
    return false;
}

bool finishVideoPipe(VideoPipe& pipe, std::string& error)
{
    closeFrames(pipe);
    std::string outcome;
    if (!reapEncoder(pipe, outcome)) {
        error = "ffmpeg failed, " + outcome;
        return false;
    }
    if (!holdsMp4(pipe)) {
        error = "ffmpeg exited with status 0 but wrote no video";
        return false;
    }
    return true;
}

void abortVideoPipe(VideoPipe& pipe)
{
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    closeFrames(pipe);
    if (pipe.encoder > 0)
        stopChild(pipe.encoder, SIGKILL, 0);
    pipe.encoder = -1;
    if (pipe.messages >= 0)
        close(pipe.messages);
    pipe.messages = -1;
}
