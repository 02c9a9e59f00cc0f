// Output files: checks, temporary names, and renaming complete files into place.
#include "capture/output_files.h"

#include "capture/system.h"

#include <cerrno>
#include <climits>
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

std::string kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISLNK(mode))
        return "a symbolic link";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

std::string notRegular(const std::string& path, mode_t mode)
{
    return "cannot write " + path + ": it is " + kindOf(mode) + ", not a regular file";
}

// Permissions for a new file under the process's umask (mkstemp gives 0600).
mode_t newFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The longest file name the folder takes.
std::size_t longestName(const std::string& folder)
{
    const long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? std::size_t(longest) : NAME_MAX;
}

// Creates the temporary file and returns it open for writing, or -1 with `error` set.
int openTemporaryBeside(const std::string& path, std::string& temporary, std::string& error)
{
    const std::string folder = folderOf(path);
    constexpr std::size_t added = 8; // the leading dot and ".XXXXXX"
    const std::size_t longest = longestName(folder);
    const std::string name = nameOf(path).substr(0, longest > added ? longest - added : 0);
    std::string pattern = folder + "/." + name + ".XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "cannot write " + path + ": " + reasonFromErrno();
        return -1;
    }
    fchmod(fd, newFileMode());
    temporary = pattern;
    return fd;
}

// The rename that never replaces: false with EEXIST when something is at `path`. Falls back to a
// hard link on file systems without it, and to a plain rename where neither exists (the name was
// free a moment before).
bool renameToFreeName(const std::string& temporary, const std::string& path)
{
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (link(temporary.c_str(), path.c_str()) == 0) {
        unlink(temporary.c_str());
        return true;
    }
    if (errno == EEXIST)
        return false;
    return std::rename(temporary.c_str(), path.c_str()) == 0;
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
    // The working folder may be gone (deleted under the process) or longer than a path can be;
    // then nothing relative to it can be named after a change of folder.
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer) || buffer[0] != '/')
        return {};
    const std::string absolute = std::string(buffer) + "/" + path;
    return absolute.size() < PATH_MAX ? absolute : std::string();
}

bool checkOutputFile(const std::string& path, std::string& error)
{
    struct stat info;
    if (lstat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            error = notRegular(path, info.st_mode);
            return false;
        }
    } else if (errno != ENOENT) {
        error = "cannot write " + path + ": " + reasonFromErrno();
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
    if (nameOf(path).size() > longestName(folder)) {
        error = "cannot write " + path + ": " + std::strerror(ENAMETOOLONG);
        return false;
    }
    return true;
}

bool checkFramesFolder(const std::string& path, std::string& error)
{
    struct stat info;
    if (lstat(path.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) {
            error = "cannot write frames into " + path + ": it is a symbolic link; name the folder itself";
            return false;
        }
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
    struct stat info;
    if (errno == EEXIST && lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
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

bool moveIntoPlace(const std::string& temporary, const std::string& path, bool& created, std::string& error)
{
    // A name taken between the look and the rename is looked at again; a few times at most.
    for (int attempt = 0; attempt < 4; ++attempt) {
        struct stat info;
        if (lstat(path.c_str(), &info) == 0) {
            if (!S_ISREG(info.st_mode)) {
                error = notRegular(path, info.st_mode);
                std::remove(temporary.c_str());
                return false;
            }
            created = false;
            // The replacement keeps the file's permissions (a private 0600 file stays private).
            chmod(temporary.c_str(), info.st_mode & 0777);
            if (std::rename(temporary.c_str(), path.c_str()) == 0)
                return true;
            break;
        }
        if (errno != ENOENT)
            break;
        created = true;
        if (renameToFreeName(temporary, path))
            return true;
        if (errno != EEXIST)
            break;
    }
    error = "cannot write " + path + ": " + reasonFromErrno();
    std::remove(temporary.c_str());
    return false;
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, bool& created,
                    std::string& error)
{
    const StopSignalsHeld held;
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
    return moveIntoPlace(temporary, path, created, error);
}
