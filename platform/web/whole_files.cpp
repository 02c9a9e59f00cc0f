// Whole-file reads in the page's file system, bounded; a page writes no files.
#include "platform/whole_files.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

FileRead readRegularFile(const char* path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    struct stat info;
    if (stat(path, &info) != 0)
        return FileRead::cannotOpen;
    if (!S_ISREG(info.st_mode))
        return FileRead::notAFile;
    if (std::uint64_t(info.st_size) > maxBytes)
        return FileRead::tooLarge;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return FileRead::cannotOpen;
    bytes.resize(std::size_t(info.st_size));
    const bool whole = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fgetc(file) == EOF;
    std::fclose(file);
    if (!whole) {
        bytes.clear();
        return FileRead::failed;
    }
    return FileRead::ok;
}

bool writeAll(int, const void*, std::size_t)
{
    errno = EROFS;
    return false;
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>&, bool& created, std::string& error)
{
    created = false;
    error = path + ": a page writes no files";
    return false;
}
