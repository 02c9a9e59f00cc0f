// Output files: checks, temporary names, and renaming complete files into place.
#include "platform/output_files.h"

#include "platform/paths.h"
#include "platform/stop_signals.h"
#include "platform/whole_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

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

// The longest file name the folder takes.
std::size_t longestName(int folder)
{
    const long longest = fpathconf(folder, _PC_NAME_MAX);
    return longest > 0 ? std::size_t(longest) : NAME_MAX;
}

std::size_t longestName(const std::string& folder)
{
    const long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? std::size_t(longest) : NAME_MAX;
}

// Whether this user may replace the file `info` in the folder `folderInfo`: in a sticky folder
// (such as /tmp) only the file's owner, the folder's owner and root may.
bool mayReplace(const struct stat& info, const struct stat& folderInfo)
{
    const uid_t user = geteuid();
    return !(folderInfo.st_mode & S_ISVTX) || user == 0 || info.st_uid == user || folderInfo.st_uid == user;
}

// Whether the nameless files are set aside for the hidden fallback (IROIRO_HIDDEN_TEMPORARIES=1),
// so that the fallback can be tried on a file system that has nameless files.
bool hiddenTemporariesOnly()
{
    const char* setting = std::getenv("IROIRO_HIDDEN_TEMPORARIES");
    return setting && std::strcmp(setting, "1") == 0;
}

// A fresh hidden name beside `name`: ".NAME.XXXXXX" with six random letters; empty if the system
// gives no random bytes.
std::string hiddenName(int folder, const std::string& name)
{
    constexpr std::size_t added = 8; // the leading dot and ".XXXXXX"
    const std::size_t longest = longestName(folder);
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) at "." + a temporary string in C++20.
    std::string hidden = ".";
    hidden += name.substr(0, longest > added ? longest - added : 0);
    hidden += ".";
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[6];
    if (getrandom(random, sizeof random, 0) != ssize_t(sizeof random))
        return {};
    for (unsigned char byte : random)
        hidden += letters[byte % (sizeof letters - 1)];
    return hidden;
}

// Makes something at a fresh hidden name beside `name` with `make`, which fails with EEXIST when
// the name is taken; a few other names are tried then. False with errno set.
template <typename Make>
bool atHiddenName(int folder, const std::string& name, std::string& hidden, Make make)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        hidden = hiddenName(folder, name);
        if (hidden.empty())
            return false;
        if (make(hidden))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Gives the unnamed file `fd` the name `name` in the folder, never replacing: false with EEXIST
// when the name is taken. Through /proc, as any user may; AT_EMPTY_PATH where /proc is missing.
bool linkUnnamed(int fd, int folder, const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != ENOENT)
        return false;
    return linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0;
}

// The rename that never replaces: false with EEXIST when something is at `name`. Falls back to a
// hard link on file systems without it, and to a plain rename where neither exists (the name was
// free a moment before).
bool renameToFreeName(int folder, const std::string& temporary, const std::string& name)
{
    if (renameat2(folder, temporary.c_str(), folder, name.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (linkat(folder, temporary.c_str(), folder, name.c_str(), 0) == 0) {
        unlinkat(folder, temporary.c_str(), 0);
        return true;
    }
    if (errno == EEXIST)
        return false;
    return renameat(folder, temporary.c_str(), folder, name.c_str()) == 0;
}

} // namespace

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
    const bool present = lstat(path.c_str(), &info) == 0;
    if (present) {
        if (!S_ISREG(info.st_mode)) {
            error = notRegular(path, info.st_mode);
            return false;
        }
    } else if (errno != ENOENT) {
        error = "cannot write " + path + ": " + reasonFromErrno();
        return false;
    }
    const std::string folder = folderOf(path);
    struct stat folderInfo;
    if (stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)) {
        error = "cannot write " + path + ": no folder " + folder;
        return false;
    }
    if (access(folder.c_str(), W_OK) != 0) {
        error = "cannot write " + path + ": " + reasonFromErrno();
        return false;
    }
    if (present && !mayReplace(info, folderInfo)) {
        error = "cannot replace " + path + ": it belongs to another user and its folder " + folder +
                " is sticky (only the file's owner may replace it)";
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

bool makeFramesFolder(const std::string& path, OutputFolder& folder, bool& created, std::string& error)
{
    created = mkdir(path.c_str(), 0777) == 0;
    if (!created && errno != EEXIST) {
        error = "cannot create the frames folder " + path + ": " + reasonFromErrno();
        return false;
    }
    if (openOutputFolder(path, true, folder, error))
        return true;
    if (created)
        rmdir(path.c_str());
    created = false;
    return false;
}

std::string frameFileName(std::uint64_t frame)
{
    char name[40];
    std::snprintf(name, sizeof name, "frame_%06llu.png", static_cast<unsigned long long>(frame));
    return name;
}

std::string framePath(const std::string& folder, std::uint64_t frame)
{
    return folder + "/" + frameFileName(frame);
}

bool openOutputFolder(const std::string& path, bool refuseLink, OutputFolder& folder, std::string& error)
{
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (refuseLink ? O_NOFOLLOW : 0));
    if (fd < 0) {
        struct stat info;
        if (refuseLink && lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
            error = "cannot write into " + path + ": it is a symbolic link; name the folder itself";
        else
            error = "cannot open the folder " + path + ": " + reasonFromErrno();
        return false;
    }
    closeOutputFolder(folder);
    folder.fd = fd;
    folder.path = path;
    return true;
}

void closeOutputFolder(OutputFolder& folder)
{
    if (folder.fd >= 0)
        close(folder.fd);
    folder.fd = -1;
}

bool folderRemoved(const OutputFolder& folder)
{
    struct stat info;
    return folder.fd >= 0 && fstat(folder.fd, &info) == 0 && info.st_nlink == 0;
}

std::string removedFolderMessage(const OutputFolder& folder)
{
    return "the folder " + folder.path + " was removed during the run";
}

std::string inFolder(const OutputFolder& folder, const std::string& name)
{
    return folder.path == "/" ? "/" + name : folder.path + "/" + name;
}

bool createTemporary(const OutputFolder& folder, const std::string& name, TemporaryFile& file, std::string& error)
{
    // Opened with the permissions a new file gets under the process's umask.
    file.name.clear();
    file.fd = hiddenTemporariesOnly() ? -1 : openat(folder.fd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    // A file without a name is placed through /proc; without /proc only root could place it.
    if (file.fd >= 0 && access("/proc/self/fd", X_OK) != 0 && geteuid() != 0) {
        close(file.fd);
        file.fd = -1;
    }
    if (file.fd < 0)
        atHiddenName(folder.fd, name, file.name, [&](const std::string& hidden) {
            file.fd = openat(folder.fd, hidden.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            return file.fd >= 0;
        });
    if (file.fd < 0) {
        error = folderRemoved(folder) ? removedFolderMessage(folder)
                                      : "cannot write " + inFolder(folder, name) + ": " + reasonFromErrno();
        return false;
    }
    // Held for as long as the file is open: a later run tells a live run's file from one that a
    // killed run left (removeStaleTemporaries). Where the file system has no locks, none is held.
    flock(file.fd, LOCK_EX | LOCK_NB);
    return true;
}

namespace {

// Whether `entry` is a hidden temporary name as hiddenName makes them, ".NAME.XXXXXX" with six
// letters or digits, for a NAME that `isOutput` accepts (as shown in the hidden name).
template <typename IsOutput>
bool isHiddenTemporary(const std::string& entry, IsOutput isOutput)
{
    constexpr std::size_t letters = 6;
    if (entry.size() < 3 + letters || entry[0] != '.' || entry[entry.size() - letters - 1] != '.')
        return false;
    for (std::size_t at = entry.size() - letters; at < entry.size(); ++at) {
        const char c = entry[at];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return isOutput(entry.substr(1, entry.size() - letters - 2));
}

template <typename IsOutput>
int removeStaleTemporariesOf(const OutputFolder& folder, IsOutput isOutput)
{
    const int listed = openat(folder.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0)
        return 0;
    DIR* entries = fdopendir(listed);
    if (!entries) {
        close(listed);
        return 0;
    }
    const uid_t user = geteuid();
    const time_t now = time(nullptr);
    int removed = 0;
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        if (!isHiddenTemporary(name, isOutput))
            continue;
        // This user's own regular file with one name, not a link, and older than the moment
        // between a run's creating its temporary file and locking it.
        struct stat seen;
        if (fstatat(folder.fd, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode) ||
            seen.st_uid != user || seen.st_nlink != 1 || now - seen.st_mtime < staleTemporaryAgeSeconds)
            continue;
        // A regular file opens at once (no FIFO waits, no device acts); it must be the one looked at.
        const int fd = openat(folder.fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened;
        // The lock is free only when no run has the file open: its run has ended without placing
        // or removing it (killed outright).
        if (fstat(fd, &opened) == 0 && opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino &&
            S_ISREG(opened.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0) {
            FileIdentity identity{std::uint64_t(opened.st_dev), std::uint64_t(opened.st_ino)};
            FileIdentity now;
            if (identityIn(folder, name, now) && now.device == identity.device && now.inode == identity.inode &&
                unlinkat(folder.fd, name.c_str(), 0) == 0)
                ++removed;
        }
        close(fd);
    }
    closedir(entries);
    return removed;
}

} // namespace

int removeStaleTemporaries(const OutputFolder& folder, const std::string& name)
{
    // The name as hiddenName shows it, shortened to fit the folder.
    constexpr std::size_t added = 8;
    const std::size_t longest = longestName(folder.fd);
    const std::string shown = name.substr(0, longest > added ? longest - added : 0);
    return removeStaleTemporariesOf(folder, [&](const std::string& entry) { return entry == shown; });
}

int removeStaleFrameTemporaries(const OutputFolder& folder)
{
    // frame_NNNNNN.png, six digits or more.
    return removeStaleTemporariesOf(folder, [](const std::string& entry) {
        constexpr std::size_t prefix = 6, suffix = 4; // "frame_", ".png"
        if (entry.size() < prefix + 6 + suffix || entry.compare(0, prefix, "frame_") != 0 ||
            entry.compare(entry.size() - suffix, suffix, ".png") != 0)
            return false;
        for (std::size_t at = prefix; at < entry.size() - suffix; ++at)
            if (entry[at] < '0' || entry[at] > '9')
                return false;
        return true;
    });
}

void discardTemporary(const OutputFolder& folder, TemporaryFile& file)
{
    if (file.fd >= 0)
        close(file.fd);
    if (!file.name.empty())
        unlinkat(folder.fd, file.name.c_str(), 0);
    file = TemporaryFile{};
}

bool placeTemporary(const OutputFolder& folder, TemporaryFile& file, const std::string& name, bool& created,
                    std::string& error)
{
    const std::string path = inFolder(folder, name);
    const int failure = [&] {
        // A name taken between the look and the placing is looked at again; a few times at most.
        for (int attempt = 0; attempt < 4; ++attempt) {
            struct stat info;
            if (fstatat(folder.fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
                if (!S_ISREG(info.st_mode)) {
                    error = notRegular(path, info.st_mode);
                    return 0;
                }
                created = false;
                // The replacement keeps the file's permissions (a private 0600 file stays private).
                fchmod(file.fd, info.st_mode & 07777);
                // A file without a name takes a hidden one first: only a rename replaces at once.
                std::string hidden = file.name;
                if (hidden.empty()) {
                    if (!atHiddenName(folder.fd, name, hidden, [&](const std::string& free) {
                            return linkUnnamed(file.fd, folder.fd, free);
                        }))
                        return errno;
                    file.name = hidden;
                }
                if (renameat(folder.fd, hidden.c_str(), folder.fd, name.c_str()) == 0) {
                    file.name.clear();
                    return -1;
                }
                return errno;
            }
            if (errno != ENOENT)
                return errno;
            created = true;
            const bool placed = file.name.empty() ? linkUnnamed(file.fd, folder.fd, name)
                                                  : renameToFreeName(folder.fd, file.name, name);
            if (placed) {
                file.name.clear();
                return -1;
            }
            if (errno != EEXIST)
                return errno;
        }
        return errno;
    }();
    if (failure > 0)
        error = folderRemoved(folder) ? removedFolderMessage(folder)
                                      : "cannot write " + path + ": " + std::strerror(failure);
    discardTemporary(folder, file);
    return failure < 0;
}

bool writeWholeFile(const OutputFolder& folder, const std::string& name, const std::vector<std::uint8_t>& bytes,
                    bool& created, std::string& error)
{
    const StopSignalsHeld held;
    TemporaryFile file;
    if (!createTemporary(folder, name, file, error))
        return false;
    if (!writeAll(file.fd, bytes.data(), bytes.size())) {
        error = "cannot write " + inFolder(folder, name) + ": " + reasonFromErrno();
        discardTemporary(folder, file);
        return false;
    }
    return placeTemporary(folder, file, name, created, error);
}

bool identityIn(const OutputFolder& folder, const std::string& name, FileIdentity& identity)
{
    struct stat info;
    if (fstatat(folder.fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    identity = {std::uint64_t(info.st_dev), std::uint64_t(info.st_ino)};
    return true;
}

void removeIfSame(const OutputFolder& folder, const std::string& name, const FileIdentity& identity)
{
    FileIdentity now;
    if (identityIn(folder, name, now) && now.device == identity.device && now.inode == identity.inode)
        unlinkat(folder.fd, name.c_str(), 0);
}

void removeFolderIfSame(const std::string& path, const OutputFolder& folder)
{
    struct stat named, opened;
    if (!path.empty() && lstat(path.c_str(), &named) == 0 && fstat(folder.fd, &opened) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
        rmdir(path.c_str());
}
