// showcap's command line: what to capture (a video, a folder of frames or one frame), at which
// size, frame rate and show times. Parsing is pure so that every rule is checked without a run.
#pragma once

#include "app/show_options.h"
#include "app/timeline.h"

#include <cstdint>
#include <string>
#include <vector>

enum class CaptureMode { help, version, video, frames, frame };

struct CaptureOptions {
    CaptureMode mode = CaptureMode::help;
    std::string output;             // the MP4 file, the frames folder or the PNG file
    int width = 1920;               // pixels; the picture stretches to fill, as in the window
    int height = 1080;
    int framesPerSecond = 60;       // of the run the frames are taken from
    std::uint32_t fromMs = 0;       // range of show time, ms: frames at or after fromMs ...
    std::uint32_t toMs = showEndMs; // ... and before toMs
    std::uint32_t atMs = 0;         // frame mode: the run's first frame at or after this show time
    std::string dataFolder;         // the folder holding iroiro/; empty: look for it
    PictureAspect aspect;           // --aspect: stretched to the size unless given
};

// Parses the arguments after the program name. On failure returns false with a one-line reason
// (without the program name), leaving `options` unspecified.
bool parseCaptureOptions(const std::vector<std::string>& args, CaptureOptions& options, std::string& error);

// The command forms, shown with an error in the command line, for the program started as
// `program`.
std::string captureUsage(const std::string& program);

// The help text: the command forms, what each does, and every option.
std::string captureHelp(const std::string& program);
