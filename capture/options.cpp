// showcap's command line: modes, options, and the rules that tie them together.
#include "capture/options.h"

#include <cstdint>

namespace {

// The offscreen renderer checks the GL's own limit; this only stops absurd requests early.
constexpr int largestSide = 16384;
// The clock counts whole milliseconds: above 1000 frames per second frames would repeat times.
constexpr int largestFramesPerSecond = 1000;

struct ModeName {
    const char* name;
    CaptureMode mode;
    const char* output; // what the positional output names, for messages
};
constexpr ModeName modeNames[] = {
    {"video", CaptureMode::video, "an output file (.mp4)"},
    {"frames", CaptureMode::frames, "an output folder"},
    {"frame", CaptureMode::frame, "an output file (.png)"},
};

// Applies one option and its value; false with `error` set when the value does not parse.
bool applyOption(const std::string& name, const std::string& value, CaptureOptions& options, std::string& error)
{
    const std::string shown = name + " " + echoed(value);
    if (name == "--size") {
        if (!parseSize(value, largestSide, options.width, options.height)) {
            error = shown + ": give WIDTHxHEIGHT, each side from 1 to " + std::to_string(largestSide) + " pixels";
            return false;
        }
    } else if (name == "--fps") {
        if (!parseCount(value, largestFramesPerSecond, options.framesPerSecond)) {
            error = shown + ": give a whole number of frames per second from 1 to " +
                    std::to_string(largestFramesPerSecond);
            return false;
        }
    } else if (name == "--from" || name == "--to") {
        std::uint32_t& field = name == "--from" ? options.fromMs : options.toMs;
        if (!parseShowTime(value, field)) {
            error = shown + ": give seconds of show time, such as 25 or 95.5 (at most three decimals)";
            return false;
        }
    } else if (name == "--aspect") {
        if (!parseAspect(value, options.aspect)) {
            error = shown + ": give stretch, square or W:H (such as 16:9)";
            return false;
        }
    } else if (isSharedOption(name)) {
        // The same rules as the show's own --at and --data.
        SharedOptions shared;
        if (!applySharedOption(name, value, shared, error))
            return false;
        if (name == "--at")
            options.atMs = shared.atMs;
        else
            options.dataFolder = shared.dataFolder;
    }
    return true;
}

bool takesValue(const std::string& name)
{
    return name == "--size" || name == "--aspect" || name == "--fps" || name == "--from" || name == "--to" || isSharedOption(name);
}

// The rules between options, once all are read.
bool checkCombination(const CaptureOptions& options, bool rangeGiven, bool atGiven, std::string& error)
{
    const std::string end = formatShowTime(showEndMs);
    if (options.mode == CaptureMode::frame) {
        if (!atGiven) {
            error = "frame needs --at SECONDS, the show time of the frame";
            return false;
        }
        if (rangeGiven) {
            error = "--from and --to are for video and frames; frame takes --at";
            return false;
        }
        return true;
    }
    if (atGiven) {
        error = "--at is for frame; video and frames take --from and --to";
        return false;
    }
    if (options.toMs > std::uint32_t(showEndMs)) {
        error = "--to " + formatShowTime(options.toMs) + " is past the end of the show (" + end + " s)";
        return false;
    }
    if (options.fromMs >= options.toMs) {
        error = "--from " + formatShowTime(options.fromMs) + " is not before --to " + formatShowTime(options.toMs);
        return false;
    }
    // libx264 stores colour at half resolution in both directions (4:2:0).
    if (options.mode == CaptureMode::video && (options.width % 2 != 0 || options.height % 2 != 0)) {
        error = "--size " + std::to_string(options.width) + "x" + std::to_string(options.height) +
                ": a video needs an even width and height";
        return false;
    }
    return true;
}

} // namespace

bool parseCaptureOptions(const std::vector<std::string>& args, CaptureOptions& options, std::string& error)
{
    options = CaptureOptions{};
    std::vector<std::string> positional;
    bool rangeGiven = false;
    bool atGiven = false;
    // Asking for help is answered whatever else the line holds.
    for (const std::string& arg : args) {
        if (endsOptions(arg))
            break;
        if (arg == "--help" || arg == "-h") {
            options.mode = CaptureMode::help;
            return true;
        }
        if (arg == "--version") {
            options.mode = CaptureMode::version;
            return true;
        }
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (endsOptions(arg)) {
            positional.insert(positional.end(), args.begin() + long(i) + 1, args.end());
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        // --name value, or --name=value
        const std::string name = arg.substr(0, arg.find('='));
        if (!takesValue(name)) {
            error = "unknown option " + echoed(name);
            return false;
        }
        std::string value;
        if (!optionValue(args, i, value, error))
            return false;
        if (!applyOption(name, value, options, error))
            return false;
        rangeGiven = rangeGiven || name == "--from" || name == "--to";
        atGiven = atGiven || name == "--at";
    }

    if (positional.empty()) {
        error = "no mode given: video, frames or frame";
        return false;
    }
    const ModeName* mode = nullptr;
    for (const ModeName& candidate : modeNames)
        if (positional[0] == candidate.name)
            mode = &candidate;
    if (!mode) {
        error = "unknown mode '" + echoed(positional[0]) + "': video, frames or frame";
        return false;
    }
    options.mode = mode->mode;
    if (positional.size() < 2 || positional[1].empty()) {
        error = std::string(mode->name) + " needs " + mode->output;
        return false;
    }
    if (positional.size() > 2) {
        error = "unexpected argument '" + echoed(positional[2]) + "'";
        return false;
    }
    options.output = positional[1];
    return checkCombination(options, rangeGiven, atGiven, error);
}

std::string captureUsage(const std::string& program)
{
    const std::string p = "  " + program;
    return "Usage:\n" +
           p + " video OUT.mp4 [--size WxH] [--fps N] [--from SECONDS] [--to SECONDS] [--data DIR]\n" +
           p + " frames DIR    [--size WxH] [--fps N] [--from SECONDS] [--to SECONDS] [--data DIR]\n" +
           p + " frame OUT.png --at SECONDS [--size WxH] [--fps N] [--data DIR]\n" +
           p + " --help | --version\n";
}

std::string captureHelp(const std::string& program)
{
    const std::string end = formatShowTime(showEndMs);
    return captureUsage(program) +
           "\n"
           "Renders the show without a display, on a virtual clock: frame n of a run at N frames\n"
           "per second shows show time floor(n * 1000 / N) ms, so every run gives the same frames.\n"
           "\n"
           "  video    an MP4 (H.264, with the soundtrack in AAC) of the show or a range of it\n"
           "  frames   PNG frames in DIR, named frame_NNNNNN.png by their number n in the run\n"
           "           (a range from 25 s at 60 fps starts with frame_001500.png)\n"
           "  frame    one PNG: the run's first frame at or after --at, with everything the\n"
           "           earlier frames of that run handed on to it\n"
           "\n"
           "  --size WxH       picture size in pixels (default 1920x1080; even sides for video);\n"
           "                   the picture stretches to fill it, as in the show's window\n"
           "  --aspect A       stretch (the default), square (round spheres, black bars) or W:H:\n"
           "                   the picture in the largest centred box of that shape, as the show's\n"
           "                   --aspect draws it\n"
           "  --fps N          frames per second of the run, 1 to 1000 (default 60)\n"
           "  --from SECONDS   start of the range of show time (default 0)\n"
           "  --to SECONDS     end of the range, not included (default " + end + ", the end of the show)\n"
           "  --at SECONDS     the show time of the frame, for frame\n"
           "  --data DIR       the folder holding iroiro/ (default: the working directory when its\n"
           "                   iroiro/ holds the show's files, else the program's own folder, else\n"
           "                   the installed ../share/iroiro beside its bin/ folder)\n"
           "\n"
           "Without a display, it starts a private X server (Xvfb) of its own.\n";
}
