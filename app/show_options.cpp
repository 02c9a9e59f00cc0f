// The show's command line and the options it shares with showcap.
#include "app/show_options.h"

#include "platform/command_line.h"
#include "app/timeline.h"

#include <iterator>

namespace {

// Sides of a window the show will ask GLUT for.
constexpr int largestWindowSide = 16384;

// GLUT's own command-line options, handed to glutInit unchanged; the first two take a value.
constexpr const char* glutOptionsWithValue[] = {"-display", "-geometry"};
constexpr const char* glutFlags[] = {"-iconic", "-indirect", "-direct", "-gldebug", "-sync"};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool listed(const std::string& name, const char* const* names, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (name == names[i])
            return true;
    return false;
}

} // namespace

bool parseCount(const std::string& text, int largest, int& value)
{
    if (text.empty() || text.size() > 6)
        return false;
    int parsed = 0;
    for (char c : text) {
        if (!isDigit(c))
            return false;
        parsed = parsed * 10 + (c - '0');
    }
    if (parsed < 1 || parsed > largest)
        return false;
    value = parsed;
    return true;
}

bool parseSize(const std::string& text, int largestSide, int& width, int& height)
{
    const std::size_t x = text.find_first_of("xX");
    return x != std::string::npos && parseCount(text.substr(0, x), largestSide, width) &&
           parseCount(text.substr(x + 1), largestSide, height);
}

bool parseShowTime(const std::string& text, std::uint32_t& ms)
{
    const std::size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    // Leading zeros say nothing; at least one digit stays.
    while (whole.size() > 1 && whole[0] == '0')
        whole.erase(0, 1);
    const std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 7 || fraction.size() > 3 || (dot != std::string::npos && fraction.empty()))
        return false;
    std::uint64_t value = 0;
    for (char c : whole) {
        if (!isDigit(c))
            return false;
        value = value * 10 + std::uint64_t(c - '0');
    }
    std::uint64_t thousandths = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const char c = i < fraction.size() ? fraction[i] : '0';
        if (!isDigit(c))
            return false;
        thousandths = thousandths * 10 + std::uint64_t(c - '0');
    }
    value = value * 1000 + thousandths;
    if (value > UINT32_MAX)
        return false;
    ms = std::uint32_t(value);
    return true;
}

std::string formatShowTime(std::uint32_t ms)
{
    std::string text = std::to_string(ms / 1000);
    std::uint32_t rest = ms % 1000;
    if (rest == 0)
        return text;
    std::string decimals = std::to_string(1000 + rest).substr(1);
    while (decimals.back() == '0')
        decimals.pop_back();
    return text + "." + decimals;
}

std::string echoed(const std::string& text)
{
    constexpr std::size_t longest = 64;
    if (text.size() <= longest)
        return text;
    return text.substr(0, longest) + "... (" + std::to_string(text.size()) + " characters)";
}

bool isSharedOption(const std::string& name)
{
    return name == "--at" || name == "--data";
}

bool applySharedOption(const std::string& name, const std::string& value, SharedOptions& options,
                       std::string& error)
{
    if (name == "--at") {
        if (!parseShowTime(value, options.atMs)) {
            error = "--at " + echoed(value) + ": give seconds of show time, such as 25 or 95.5 (at most three decimals)";
            return false;
        }
        if (options.atMs >= std::uint32_t(showEndMs)) {
            error = "--at " + formatShowTime(options.atMs) + " is at or past the end of the show (" +
                    formatShowTime(showEndMs) + " s)";
            return false;
        }
        options.atGiven = true;
        return true;
    }
    if (value.empty()) {
        error = "--data needs a folder";
        return false;
    }
    options.dataFolder = value;
    return true;
}

bool optionValue(const std::vector<std::string>& args, std::size_t& i, std::string& value, std::string& error)
{
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
        return true;
    }
    if (i + 1 < args.size()) {
        value = args[++i];
        return true;
    }
    error = echoed(arg) + " needs a value";
    return false;
}

bool parseShowOptions(const std::vector<std::string>& args, ShowOptions& options, std::string& error)
{
    options = ShowOptions{};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (endsOptions(arg)) {
            // The show takes no arguments beside its options.
            if (i + 1 < args.size()) {
                error = "unexpected argument " + echoed(args[i + 1]);
                return false;
            }
            return true;
        }
        const std::string name = arg.substr(0, arg.find('='));
        if (name == "--help" || name == "-h" || (arg == "/?" && helpWords().slashQuestionMark)) {
            options.help = true;
            return true;
        }
        if (name == "--version") {
            options.version = true;
            return true;
        }
        if (name == "--window") {
            options.window = true;
            if (name.size() < arg.size()) {
                const std::string size = arg.substr(name.size() + 1);
                if (!parseSize(size, largestWindowSide, options.width, options.height)) {
                    error = echoed(arg) + ": give --window=WIDTHxHEIGHT, each side from 1 to " +
                            std::to_string(largestWindowSide) + " pixels";
                    return false;
                }
            }
        } else if (arg == "--loop") {
            options.loop = true;
        } else if (name == "--msaa") {
            std::string value;
            if (!optionValue(args, i, value, error))
                return false;
            if (value != "0" && value != "2" && value != "4" && value != "8") {
                error = "--msaa " + echoed(value) + ": give 2, 4 or 8 samples per pixel, or 0 for none";
                return false;
            }
            options.msaa = value[0] - '0';
        } else if (name == "--aspect") {
            std::string value;
            if (!optionValue(args, i, value, error))
                return false;
            if (!parseAspect(value, options.aspect)) {
                error = "--aspect " + echoed(value) + ": give stretch, square or W:H (such as 16:9)";
                return false;
            }
        } else if (name == "--shots") {
            if (!optionValue(args, i, options.shotsFolder, error))
                return false;
            if (options.shotsFolder.empty()) {
                error = "--shots needs a folder";
                return false;
            }
        } else if (name == "--volume") {
            std::string value;
            if (!optionValue(args, i, value, error))
                return false;
            if (value != "0" && !parseCount(value, 100, options.volumePercent)) {
                error = "--volume " + echoed(value) + ": give a volume from 0 to 100 (%)";
                return false;
            }
            if (value == "0")
                options.volumePercent = 0;
        } else if (isSharedOption(name)) {
            std::string value;
            if (!optionValue(args, i, value, error) || !applySharedOption(name, value, options.shared, error))
                return false;
        } else if (listed(arg, glutOptionsWithValue, std::size(glutOptionsWithValue))) {
            if (i + 1 >= args.size()) {
                error = echoed(arg) + " needs a value";
                return false;
            }
            options.glutArgs.push_back(arg);
            options.glutArgs.push_back(args[++i]);
        } else if (listed(arg, glutFlags, std::size(glutFlags))) {
            options.glutArgs.push_back(arg);
        } else {
            error = (arg.size() > 1 && arg[0] == '-' ? "unknown option " : "unexpected argument ") + echoed(arg);
            // "--window 800x450": the size belongs to the option only after '='.
            int width = 0, height = 0;
            if (i > 0 && args[i - 1] == "--window" && parseSize(arg, largestWindowSide, width, height))
                error += " (for a window of that size, write --window=" + echoed(arg) + ")";
            return false;
        }
    }
    return true;
}

std::string commandName(const char* path, const char* installedName)
{
    std::string name = path ? path : "";
    const std::size_t separator = name.find_last_of("/\\");
    if (separator != std::string::npos)
        name.erase(0, separator + 1);
    // Windows starts "iroiro" as iroiro.exe; the command typed is the name without it.
    const std::string exe = ".exe";
    if (name.size() > exe.size()) {
        std::string ending = name.substr(name.size() - exe.size());
        for (char& c : ending)
            c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (ending == exe)
            name.erase(name.size() - exe.size());
    }
    return name.empty() ? installedName : name;
}

std::string versionLine(const std::string& program, const char* installedName, const char* version)
{
    if (program == installedName)
        return program + " " + version + "\n";
    return program + " (iroiro) " + version + "\n";
}

std::string showUsage(const std::string& program)
{
    return "Usage: " + program + " [--window[=WxH]] [--at SECONDS] [--loop] [--msaa N] [--aspect A] [--volume N] [--shots DIR] [--data DIR] [--help] [--version]\n";
}

std::string showHelp(const std::string& program)
{
    const std::string end = formatShowTime(showEndMs);
    return showUsage(program) +
           "\n"
           "Plays the show: five scenes over " + end + " s with the soundtrack, then ends. Escape ends it\n"
           "at once; the keys below pause, jump and loop it.\n"
           "\n"
           "  --window[=WxH]  a normal window, " + std::to_string(defaultWindowWidth) + "x" +
           std::to_string(defaultWindowHeight) + " unless given, instead of full screen\n"
           "  --at SECONDS    start at that show time (up to three decimals, below " + end + "): the\n"
           "                  picture as a run carries it into that moment, the soundtrack from\n"
           "                  the same position\n"
           "  --loop          at the end, start again from 0 s instead of ending\n"
           "  --msaa N        smooth edges: a multisampled window of N samples (2, 4 or 8) where the\n"
           "                  system offers one (0, the default: none)\n"
           "  --aspect A      the picture's shape: stretch (to the window, the default), square\n"
           "                  (round spheres, black bars) or W:H (the largest centred W:H box)\n"
           "  --volume N      the soundtrack's volume, 0 to 100 % (100 unless given)\n"
           "  --shots DIR     the folder the s key saves screenshots into (the working folder\n"
           "                  unless given)\n" +
           helpWords().dataFolders + helpWords().helpOption +
           "  --version       the show's version\n"
           "\n"
           "Keys while the show plays:\n"
           "  Space           pause and resume, picture and sound together\n"
           "  Right / Left    10 s ahead / back\n"
           "  Page Down / Up  the next / previous scene's start\n"
           "  Home            back to the start\n"
           "  . / ,           while paused: one frame (1/60 s) on / back\n"
           "  f or F11        full screen or a window (the --window size)\n"
           "  l               loop on or off\n"
           "  a               the picture stretched or square (round spheres)\n"
           "  s               save the frame on screen as iroiro-MMmSS.mmms.png\n"
           "  m               mute and unmute the soundtrack\n"
           "  9 / 0, - / +    the soundtrack 10 % quieter / louder\n"
           "  q or Escape     end the show\n" +
           helpWords().windowSystemOptions;
}
