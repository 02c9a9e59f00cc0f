// Path queries in the page's file system (the data files are packed into it at /iroiro/).
#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

bool pathExists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isReadableFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The program lives at the file system's root, beside iroiro/.
std::string executableFolder()
{
    return "/";
}
