// The show's command line, and the options it shares with showcap (--at, --data): show times read
// exactly to the millisecond. Parsing is pure, so that every rule is checked without a run.
#pragma once

#include "app/aspect.h"

#include <cstdint>
#include <string>
#include <vector>

// A whole number in [1, largest], digits only (no sign, no spaces).
bool parseCount(const std::string& text, int largest, int& value);

// "WIDTHxHEIGHT" (or with 'X'), each side a count in [1, largestSide].
bool parseSize(const std::string& text, int largestSide, int& width, int& height);

// Seconds of show time written as a decimal ("95.5", "25", "0.125") to whole milliseconds. The
// text is read digit by digit so that no binary rounding moves a time to the millisecond before.
// Leading zeros are fine ("0005" is 5 s). More than three decimals, signs, exponents or anything
// else are refused.
bool parseShowTime(const std::string& text, std::uint32_t& ms);

// Milliseconds as seconds with the decimals they need: 95500 -> "95.5", 25000 -> "25".
std::string formatShowTime(std::uint32_t ms);

// The options the show and showcap both take.
struct SharedOptions {
    bool atGiven = false;
    std::uint32_t atMs = 0;  // --at: a show time before the end of the show
    std::string dataFolder;  // --data: the folder holding iroiro/; empty: look for it
};

// True for --at and --data, which take a value.
bool isSharedOption(const std::string& name);

// Applies --at or --data with its value. False with a one-line reason when the value is refused.
bool applySharedOption(const std::string& name, const std::string& value, SharedOptions& options,
                       std::string& error);

// "--" ends the options, as for other programs: what follows is arguments, even if it starts with
// '-'.
inline bool endsOptions(const std::string& arg)
{
    return arg == "--";
}

// `text` as a message repeats it: whole when short, else its start and how long it was, so that a
// mistyped huge argument does not fill the terminal.
std::string echoed(const std::string& text);

// The value of the option at args[i]: after '=' in "--name=value", else the next argument (i is
// moved past it). False with a reason when there is none.
bool optionValue(const std::vector<std::string>& args, std::size_t& i, std::string& value, std::string& error);

// The size of the window --window opens (and a toggle out of full screen goes to) unless given.
inline constexpr int defaultWindowWidth = 1280;
inline constexpr int defaultWindowHeight = 720;

// What the show was asked to do.
struct ShowOptions {
    bool help = false;
    bool version = false; // --version: print the version and end
    bool window = false; // a normal window of width x height instead of full screen
    int width = defaultWindowWidth;
    int height = defaultWindowHeight;
    bool loop = false;   // start again from 0 s at the end instead of ending
    int volumePercent = 100; // --volume: the soundtrack's volume, 0 to 100 %
    int msaa = 0;            // --msaa: samples per pixel asked of the window (2, 4, 8); 0: none
    PictureAspect aspect;    // --aspect: the picture's shape in the window, stretch unless given
    std::string shotsFolder; // --shots: where s writes screenshots; "" for the working folder
    SharedOptions shared;
    std::vector<std::string> glutArgs; // GLUT's own options (-display NAME, -geometry ..., -sync ...)
};

// Parses the arguments after the program name. False with a one-line reason on any unknown option
// or bad value, leaving `options` unspecified.
bool parseShowOptions(const std::vector<std::string>& args, ShowOptions& options, std::string& error);

// The name a program calls itself by in its usage, messages and version: the last part of the
// path it was started as ("show" for "build/show", "iroiro" for "/usr/bin/iroiro" or
// C:\Shows\iroiro.exe), or `installedName` when the path gives none.
std::string commandName(const char* path, const char* installedName);

// "iroiro 1.0.0" under the installed name; "show (iroiro) 1.0.0" under another (the build's).
std::string versionLine(const std::string& program, const char* installedName, const char* version);

// The usage line and the help text, for the program started as `program`.
std::string showUsage(const std::string& program);
std::string showHelp(const std::string& program);
