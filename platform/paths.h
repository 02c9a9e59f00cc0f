// What the programs ask of the file system about paths: whether one exists, whether it is a folder,
// and the folder its own executable lies in.
#pragma once

#include <string>

// True when something (of any kind, a dangling link included) is at `path`.
bool pathExists(const std::string& path);

// True when `path` is a folder, or a link to one.
bool isFolder(const std::string& path);

// True when `path` is a regular file (or a link to one) that this process may read.
bool isReadableFile(const std::string& path);

// The folder holding the running executable, without a trailing '/'; empty when unknown.
std::string executableFolder();
