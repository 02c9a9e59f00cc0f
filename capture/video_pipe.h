// The video encoder: the ffmpeg program, fed raw RGB frames through a pipe, muxing in the
// soundtrack to write an MP4 (H.264 and AAC).
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct VideoSettings {
    std::string outputPath;     // the file ffmpeg writes (MP4, whatever its name)
    int outputFile = -1;        // that file open, when it has no name: ffmpeg writes it as its
                                // descriptor 3, and outputPath is then unused
    std::string outputName;     // the video's name as the user knows it, for messages: ffmpeg's
                                // words name the file it writes (a temporary one) by this
    std::string soundtrackPath; // the MP3
    int width = 0;
    int height = 0;
    int framesPerSecond = 0;
    double audioStartSeconds = 0; // show time of the first frame: the soundtrack is cut from here
    double audioSeconds = 0;      // ... for this long
};

// The ffmpeg command line for these settings, program name first.
std::vector<std::string> videoEncoderCommand(const VideoSettings& settings);

// Whether the encoder takes frames of this size: libx264 takes sides up to 16384 pixels, and
// ffmpeg any picture with (width + 128) * (height + 128) below INT_MAX / 8. A reason when not.
bool videoSizeSupported(int width, int height, std::string& reason);

// The ffmpeg program on PATH; false with `error` set when there is none.
bool findVideoEncoder(std::string& program, std::string& error);

struct VideoPipe {
    pid_t encoder = -1; // the ffmpeg process
    int frames = -1;    // the pipe's write end
    int messages = -1;  // an anonymous in-memory file holding ffmpeg's standard error
    std::string output; // the file ffmpeg writes, when it has a name
    int outputFile = -1; // ... or that file open (not owned here)
    std::string outputName; // the video's name in messages
};

// Starts ffmpeg writing settings.outputPath (or outputFile). False with `error` set when it cannot
// be started.
bool startVideoPipe(const VideoSettings& settings, VideoPipe& pipe, std::string& error);

// Hands ffmpeg one frame: width * height * 3 bytes, rows bottom-up. False with `error` set when
// ffmpeg has stopped reading (it died, or gave up; the pipe is then closed), or when a stop is
// asked for while ffmpeg is not reading.
bool sendVideoFrame(VideoPipe& pipe, const std::vector<std::uint8_t>& rgb, std::string& error);

// Ends the input and waits for ffmpeg to finish the file. False with `error` set unless it
// exited with status 0 and the file starts as an MP4 does; a stop asked for meanwhile ends ffmpeg.
bool finishVideoPipe(VideoPipe& pipe, std::string& error);

// Stops ffmpeg at once (its whole process group), for a capture that failed or was interrupted.
void abortVideoPipe(VideoPipe& pipe);
