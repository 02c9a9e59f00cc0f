// The command line on Windows: the wide command line read as UTF-8, the console of the program
// that started the show, and the help's Windows words (backslash paths, no X11 options, /?).
#include "platform/command_line.h"

#include <cstdio>
#include <windows.h>

namespace {

struct StartupInfo {
    int newMode;
};

} // namespace

// The C runtime's own split of the wide command line, the one argv comes from.
extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** env, int expandWildcards, StartupInfo* info);

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    int wideCount = 0;
    wchar_t** wide = nullptr;
    wchar_t** environment = nullptr;
    StartupInfo info{0};
    if (__wgetmainargs(&wideCount, &wide, &environment, 0, &info) < 0 || !wide || wideCount != argc)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < wideCount; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? std::size_t(size) : 1, '\0');
        if (size > 0)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
        arg.resize(arg.size() - 1);
        args.push_back(arg);
    }
    return args;
}

namespace {

// True when the standard handle leads somewhere: a file, a pipe or a console handed down.
bool leadsSomewhere(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void useParentConsole()
{
    const bool output = leadsSomewhere(STD_OUTPUT_HANDLE);
    const bool error = leadsSomewhere(STD_ERROR_HANDLE);
    if ((output && error) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!output)
        std::freopen("CONOUT$", "w", stdout);
    if (!error)
        std::freopen("CONOUT$", "w", stderr);
}

const HelpWords& helpWords()
{
    static const HelpWords words{
        "  --help, /?      this text\n",
        "  --data DIR      read the data from DIR\\iroiro\\ (default: .\\iroiro\\ when it holds\n"
        "                  the show's files, else the iroiro\\ folder beside iroiro.exe, else\n"
        "                  ..\\share\\iroiro\\iroiro\\ beside the folder of iroiro.exe)\n",
        "",
        true,
    };
    return words;
}
