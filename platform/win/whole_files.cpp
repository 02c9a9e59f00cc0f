// Opening and reading a regular file for the bounded whole reads, through the Windows file API's wide calls (the
// show's paths are UTF-8).
#include "platform/whole_files.h"

#include "platform/win/text.h"

#include <algorithm>
#include <windows.h>

FileRead openRegularFile(const char* path, ReadHandle& file, std::uint64_t& size)
{
    // Looked at before opening: a folder or a device is never opened.
    const std::wstring widePath = wideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FileRead::cannotOpen;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return FileRead::notAFile;
    const HANDLE opened = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return FileRead::cannotOpen;
    LARGE_INTEGER length;
    // A pipe or a console in the file's place since the look is closed unread.
    const FileRead result = GetFileType(opened) != FILE_TYPE_DISK ? FileRead::notAFile
                            : !GetFileSizeEx(opened, &length)     ? FileRead::failed
                                                                  : FileRead::ok;
    if (result != FileRead::ok) {
        CloseHandle(opened);
        return result;
    }
    file = ReadHandle(opened);
    size = std::uint64_t(length.QuadPart);
    return FileRead::ok;
}

bool readExactly(ReadHandle file, std::uint8_t* into, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = DWORD(std::min<std::size_t>(size - done, 1u << 20));
        DWORD n = 0;
        if (!ReadFile(HANDLE(file), into + done, chunk, &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return true;
}

bool atEndOfFile(ReadHandle file)
{
    std::uint8_t extra;
    DWORD n = 0;
    return ReadFile(HANDLE(file), &extra, 1, &n, nullptr) && n == 0;
}

void closeReadHandle(ReadHandle file)
{
    CloseHandle(HANDLE(file));
}
