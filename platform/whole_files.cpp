// Whole-file reads within a bound, on each system's opening and reading of a regular file.
#include "platform/whole_files.h"

#include <new>

FileRead readRegularFile(const char* path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    ReadHandle file = 0;
    std::uint64_t size = 0;
    const FileRead opened = openRegularFile(path, file, size);
    if (opened != FileRead::ok)
        return opened;
    FileRead result = FileRead::ok;
    if (size > maxBytes) {
        result = FileRead::tooLarge;
    } else {
        try {
            bytes.resize(std::size_t(size));
            // One byte more than the size finds a file that grew meanwhile.
            if (!readExactly(file, bytes.data(), bytes.size()) || !atEndOfFile(file))
                result = FileRead::failed;
        } catch (const std::bad_alloc&) {
            result = FileRead::tooLarge;
        }
    }
    closeReadHandle(file);
    if (result != FileRead::ok)
        bytes = {};
    return result;
}
