// showcap's outputs on disk: checks made before rendering, temporary files renamed into place
// only when complete, and the numbered frames of a frames folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `path` made absolute against the working directory, so that it survives a change of folder.
std::string absolutePath(const std::string& path);

bool isFolder(const std::string& path);

// Whether a file can be created at `path`: its folder exists and `path` is not a folder.
bool checkOutputFile(const std::string& path, std::string& error);

// Whether `path` can serve as a frames folder: a folder already, or absent with its parent present.
bool checkFramesFolder(const std::string& path, std::string& error);

// Creates the frames folder when it is absent; `created` tells whether it did.
bool makeFramesFolder(const std::string& path, bool& created, std::string& error);

// The file of frame `frame` of the run: DIR/frame_000123.png.
std::string framePath(const std::string& folder, std::uint64_t frame);

// An empty temporary file beside `path` (same folder, hidden name ".NAME.XXXXXX"), with the
// permissions a new file gets, to be renamed over `path` when complete or removed.
bool createTemporaryBeside(const std::string& path, std::string& temporary, std::string& error);

// Renames the complete temporary file over `path`; removes it if that fails.
bool moveIntoPlace(const std::string& temporary, const std::string& path, std::string& error);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`; on any failure
// nothing is left behind and an existing `path` is untouched.
bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);
