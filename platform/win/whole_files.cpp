// Whole-file reads of regular files, bounded, through the Windows file API's wide calls (the
// show's paths are UTF-8).
#include "platform/whole_files.h"

#include "platform/win/text.h"

#include <new>
#include <windows.h>

namespace {

// Reads exactly `size` bytes; false on an error or when the file ends early.
bool readAll(HANDLE file, std::uint8_t* into, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = DWORD(std::min<std::size_t>(size - done, 1u << 20));
        DWORD n = 0;
        if (!ReadFile(file, into + done, chunk, &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

FileRead readRegularFile(const char* path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    // Looked at before opening: a folder or a device is never opened.
    const std::wstring widePath = wideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FileRead::cannotOpen;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return FileRead::notAFile;

    const HANDLE file = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FileRead::cannotOpen;
    FileRead result = FileRead::ok;
    LARGE_INTEGER size;
    // A pipe or a console in the file's place since the look is closed unread.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        result = FileRead::notAFile;
    } else if (!GetFileSizeEx(file, &size)) {
        result = FileRead::failed;
    } else if (std::uint64_t(size.QuadPart) > maxBytes) {
        result = FileRead::tooLarge;
    } else {
        try {
            bytes.resize(std::size_t(size.QuadPart));
            // One byte more than the size would find a file that grew meanwhile.
            std::uint8_t extra;
            DWORD n = 0;
            if (!readAll(file, bytes.data(), bytes.size()) || !ReadFile(file, &extra, 1, &n, nullptr) || n != 0)
                result = FileRead::failed;
        } catch (const std::bad_alloc&) {
            result = FileRead::tooLarge;
        }
    }
    CloseHandle(file);
    if (result != FileRead::ok)
        bytes = {};
    return result;
}
