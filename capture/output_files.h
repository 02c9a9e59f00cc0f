// Output files on disk, for showcap and makedata: checks made before the work, temporary files
// renamed into place only when complete, and the numbered frames of a frames folder. Only a
// regular file is ever replaced: a symbolic link, FIFO, device or socket at an output's name is
// refused, and nothing is written through one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `path` made absolute against the working directory, so that it survives a change of folder;
// empty when the working directory cannot be resolved (deleted, or its path too long).
std::string absolutePath(const std::string& path);

bool isFolder(const std::string& path);

// Whether a file can be written at `path`: its folder exists and is writable, and `path` is
// absent or a regular file (not a folder, link, FIFO, device or socket) with a name not too long.
bool checkOutputFile(const std::string& path, std::string& error);

// Whether `path` can serve as a frames folder: a folder already (not a link to one), or absent
// with its parent present.
bool checkFramesFolder(const std::string& path, std::string& error);

// Creates the frames folder when it is absent; `created` tells whether it did.
bool makeFramesFolder(const std::string& path, bool& created, std::string& error);

// The file of frame `frame` of the run: DIR/frame_000123.png.
std::string framePath(const std::string& folder, std::uint64_t frame);

// An empty temporary file beside `path` (same folder, hidden name ".NAME.XXXXXX", NAME shortened
// when the whole would pass the folder's longest name), created exclusively with the permissions
// a new file gets, to be renamed into place when complete or removed.
bool createTemporaryBeside(const std::string& path, std::string& temporary, std::string& error);

// Renames the complete temporary file to `path`: over a regular file there (keeping that file's
// permissions), or to a name that is
// free (never over something that appeared there meanwhile). Anything else at `path` is refused
// and the temporary file removed. `created` tells whether the name is new.
bool moveIntoPlace(const std::string& temporary, const std::string& path, bool& created, std::string& error);

// Writes `bytes` to a temporary file beside `path` and moves it into place as moveIntoPlace does;
// on any failure nothing is left behind and what was at `path` is untouched. The stop signals are
// held meanwhile, so that a process they end never leaves the temporary file.
bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, bool& created,
                    std::string& error);
