// Path queries through the Windows file API.
#include "app/platform/paths.h"

#include <windows.h>
#include <vector>

bool pathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string executableFolder()
{
    // A path longer than the buffer comes back cut short (the length equals the size): the
    // buffer grows until it is whole.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            const std::string path(buffer.data(), length);
            const std::size_t separator = path.find_last_of("\\/");
            return separator == std::string::npos ? std::string() : path.substr(0, separator);
        }
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}
