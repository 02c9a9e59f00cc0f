// Whole-file reads of regular files, opened without blocking; whole writes, resumed until done.
#include "platform/whole_files.h"

#include "platform/output_files.h"
#include "platform/stop_signals.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileRead openRegularFile(const char* path, ReadHandle& file, std::uint64_t& size)
{
    // Looked at before opening: opening a device can itself have effects (a tape rewinds, a
    // watchdog arms), and a FIFO without a writer would block a plain open.
    struct stat info;
    if (stat(path, &info) != 0)
        return FileRead::cannotOpen;
    if (!S_ISREG(info.st_mode))
        return FileRead::notAFile;
    // O_NONBLOCK in case the path was swapped for a FIFO since the look; fstat then tells.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return FileRead::cannotOpen;
    const FileRead result = fstat(fd, &info) != 0 ? FileRead::failed
                            : !S_ISREG(info.st_mode) ? FileRead::notAFile
                                                     : FileRead::ok;
    if (result != FileRead::ok) {
        close(fd);
        return result;
    }
    file = fd;
    size = std::uint64_t(info.st_size);
    return FileRead::ok;
}

bool readExactly(ReadHandle file, std::uint8_t* into, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = read(int(file), into + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

bool atEndOfFile(ReadHandle file)
{
    std::uint8_t extra;
    ssize_t n;
    do
        n = read(int(file), &extra, 1);
    while (n < 0 && errno == EINTR);
    return n == 0;
}

void closeReadHandle(ReadHandle file)
{
    close(int(file));
}

bool writeAll(int fd, const void* data, std::size_t size)
{
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        if (stopSignal() != 0) {
            errno = EINTR;
            return false;
        }
        const ssize_t written = write(fd, next, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        next += written;
        size -= std::size_t(written);
    }
    return true;
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, bool& created,
                    std::string& error)
{
    OutputFolder folder;
    folder.path = folderOf(path);
    folder.fd = open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = writeWholeFile(folder, nameOf(path), bytes, created, error);
    closeOutputFolder(folder);
    return written;
}
