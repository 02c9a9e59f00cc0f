// The ffmpeg child process: its command line, the pipe of raw frames into it, and its outcome.
#include "capture/video_pipe.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string decimalSeconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    return text;
}

// The last non-empty line ffmpeg wrote to its standard error: with -loglevel error, the reason.
std::string lastMessage(int messages)
{
    struct stat info;
    if (messages < 0 || fstat(messages, &info) != 0 || info.st_size == 0)
        return {};
    const off_t length = std::min<off_t>(info.st_size, 4096);
    std::string text(std::size_t(length), '\0');
    const ssize_t got = pread(messages, text.data(), text.size(), info.st_size - length);
    text.resize(got > 0 ? std::size_t(got) : 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    const std::size_t lineStart = text.find_last_of("\r\n");
    return lineStart == std::string::npos ? text : text.substr(lineStart + 1);
}

// Waits for ffmpeg to end; true when it exited with status 0, else `outcome` describes how it ended.
bool reapEncoder(VideoPipe& pipe, std::string& outcome)
{
    int status = 0;
    while (waitpid(pipe.encoder, &status, 0) < 0 && errno == EINTR) {
    }
    pipe.encoder = -1;
    const bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!succeeded) {
        outcome = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                    : "killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
                                          strsignal(WTERMSIG(status)) + ")";
        const std::string message = lastMessage(pipe.messages);
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

// A file for ffmpeg's standard error, unlinked at once so that nothing is left behind.
int openMessagesFile()
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/showcap-ffmpeg-XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0)
        unlink(pattern.c_str());
    return fd;
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
        "-movflags", "+faststart", "-f", "mp4", settings.outputPath,
    };
}

std::string findProgram(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + program;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
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
    std::string program;
    if (!findVideoEncoder(program, error))
        return false;
    std::vector<std::string> command = videoEncoderCommand(settings);
    std::vector<char*> argv;
    for (std::string& word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const int messages = openMessagesFile();
    int ends[2];
    if (messages < 0 || pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        if (messages >= 0)
            close(messages);
        return false;
    }
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        close(ends[0]);
        close(ends[1]);
        close(messages);
        return false;
    }
    if (child == 0) {
        // A group of its own keeps a terminal's Ctrl-C for showcap, which then stops ffmpeg
        // itself; and ffmpeg goes if showcap is killed outright.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(1);
        signal(SIGPIPE, SIG_DFL);
        signal(SIGXFSZ, SIG_DFL);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(ends[0], STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(messages, STDERR_FILENO);
        close_range(3, ~0U, 0);
        execv(program.c_str(), argv.data());
        const char failed[] = "cannot run ffmpeg\n";
        (void)!write(STDERR_FILENO, failed, sizeof failed - 1);
        _exit(127);
    }
    close(ends[0]);
    pipe.encoder = child;
    pipe.frames = ends[1];
    pipe.messages = messages;
    return true;
}

bool sendVideoFrame(VideoPipe& pipe, const std::vector<std::uint8_t>& rgb, std::string& error)
{
    const std::uint8_t* data = rgb.data();
    std::size_t left = rgb.size();
    while (left > 0) {
        const ssize_t written = write(pipe.frames, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0) {
            // Broken pipe: ffmpeg has ended or closed its input; its own words say why.
            closeFrames(pipe);
            std::string outcome;
            if (reapEncoder(pipe, outcome))
                outcome = "exit status 0";
            error = "ffmpeg stopped taking frames, " + outcome;
            return false;
        }
        data += written;
        left -= std::size_t(written);
    }
    return true;
}

bool finishVideoPipe(VideoPipe& pipe, std::string& error)
{
    closeFrames(pipe);
    std::string outcome;
    if (!reapEncoder(pipe, outcome)) {
        error = "ffmpeg failed, " + outcome;
        return false;
    }
    return true;
}

void abortVideoPipe(VideoPipe& pipe)
{
    closeFrames(pipe);
    if (pipe.encoder > 0) {
        kill(pipe.encoder, SIGKILL);
        std::string outcome;
        reapEncoder(pipe, outcome);
    }
    if (pipe.messages >= 0)
        close(pipe.messages);
    pipe.messages = -1;
}
