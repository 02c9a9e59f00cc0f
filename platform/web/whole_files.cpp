// Opening and reading a file of the page's packed file system for the bounded whole reads; a
// page writes no files.
#include "platform/whole_files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileRead openRegularFile(const char* path, ReadHandle& file, std::uint64_t& size)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return FileRead::cannotOpen;
    if (!S_ISREG(info.st_mode))
        return FileRead::notAFile;
    const int fd = open(path, O_RDONLY);
    if (fd < 0)
        return FileRead::cannotOpen;
    file = fd;
    size = std::uint64_t(info.st_size);
    return FileRead::ok;
}

bool readExactly(ReadHandle file, std::uint8_t* into, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = read(int(file), into + done, size - done);
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

bool atEndOfFile(ReadHandle file)
{
    std::uint8_t extra;
    return read(int(file), &extra, 1) == 0;
}

void closeReadHandle(ReadHandle file)
{
    close(int(file));
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
