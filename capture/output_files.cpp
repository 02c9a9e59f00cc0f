// Output files: checks, temporary names, and renaming complete files into place.
#include "capture/output_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string reasonFromErrno()
{
    return std::strerror(errno);
}

// Permissions for a new file under the process's umask (mkstemp gives 0600).
mode_t newFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

// Creates the temporary file and returns it open for writing, or -1 with `error` set.
int openTemporaryBeside(const std::string& path, std::string& temporary, std::string& error)
{
    std::string pattern = folderOf(path) + "/." + nameOf(path) + ".XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "cannot write " + path + ": " + reasonFromErrno();
        return -1;
    }
    fchmod(fd, newFileMode());
    temporary = pattern;
    return fd;
}

} // namespace

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string absolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer))
        return path;
    return std::string(buffer) + "/" + path;
}

bool checkOutputFile(const std::string& path, std::string& error)
{
    if (isFolder(path)) {
        error = "cannot write " + path + ": it is a folder";
        return false;
    }
    const std::string folder = folderOf(path);
    if (!isFolder(folder)) {
        error = "cannot write " + path + ": no folder " + folder;
        return false;
    }
    if (access(folder.c_str(), W_OK) != 0) {
        error = "cannot write " + path + ": " + reasonFromErrno();
        return false;
    }
    return true;
}

bool checkFramesFolder(const std::string& path, std::string& error)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) {
            error = "cannot write frames into " + path + ": it is not a folder";
            return false;
        }
        if (access(path.c_str(), W_OK) != 0) {
            error = "cannot write frames into " + path + ": " + reasonFromErrno();
            return false;
        }
        return true;
    }
    const std::string parent = folderOf(path);
    if (!isFolder(parent)) {
        error = "cannot create the frames folder " + path + ": no folder " + parent;
        return false;
    }
    return true;
}

bool makeFramesFolder(const std::string& path, bool& created, std::string& error)
{
    created = false;
    if (mkdir(path.c_str(), 0777) == 0) {
        created = true;
        return true;
    }
    if (errno == EEXIST && isFolder(path))
        return true;
    error = "cannot create the frames folder " + path + ": " + reasonFromErrno();
    return false;
}

std::string framePath(const std::string& folder, std::uint64_t frame)
{
    char name[40];
    std::snprintf(name, sizeof name, "/frame_%06llu.png", static_cast<unsigned long long>(frame));
    return folder + name;
}

bool createTemporaryBeside(const std::string& path, std::string& temporary, std::string& error)
{
    const int fd = openTemporaryBeside(path, temporary, error);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

bool moveIntoPlace(const std::string& temporary, const std::string& path, std::string& error)
{
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + reasonFromErrno();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::string temporary;
    const int fd = openTemporaryBeside(path, temporary, error);
    if (fd < 0)
        return false;
    bool written = writeAll(fd, bytes.data(), bytes.size());
    int failure = written ? 0 : errno;
    // A full disk may only show when the file is closed.
    if (close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (!written) {
        error = "cannot write " + path + ": " + std::strerror(failure);
        std::remove(temporary.c_str());
        return false;
    }
    return moveIntoPlace(temporary, path, error);
}
