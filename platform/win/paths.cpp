// Path queries through the Windows file API's wide calls: the show's paths are UTF-8.
#include "platform/paths.h"

#include "platform/win/text.h"

#include <vector>
#include <windows.h>

bool pathExists(const std::string& path)
{
    return GetFileAttributesW(wideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(wideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isReadableFile(const std::string& path)
{
    // Told from its attributes alone, so that nothing is opened (a pipe's name would connect):
    // a file that is not a folder or a device. Whether this process may read it, the read tells.
    const DWORD attributes = GetFileAttributesW(wideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::string executableFolder()
{
    // A path longer than the buffer comes back cut short (the length equals the size): the
    // buffer grows until it is whole. The wide call, so that a folder named outside the ANSI
    // code page comes back whole.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            const std::string path = utf8FromWide(std::wstring(buffer.data(), length));
            const std::size_t separator = path.find_last_of("\\/");
            return separator == std::string::npos ? std::string() : path.substr(0, separator);
        }
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}
