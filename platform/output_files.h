// Output files on disk, for showcap and makedata: checks made before the work, nameless (or
// hidden) temporary files placed at their names only when complete, and the numbered frames of a
// frames folder. Only a
// regular file is ever replaced: a symbolic link, FIFO, device or socket at an output's name is
// refused, and nothing is written through one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `path` made absolute against the working directory, so that it survives a change of folder;
// empty when the working directory cannot be resolved (deleted, or its path too long).
std::string absolutePath(const std::string& path);

// The folder part of `path` ("." when it has none) and its last part.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// Whether a file can be written at `path`: its folder exists and is writable, and `path` is
// absent or a regular file (not a folder, link, FIFO, device or socket) with a name not too long,
// that this user may replace (not another user's file in a sticky folder such as /tmp).
bool checkOutputFile(const std::string& path, std::string& error);

// Whether `path` can serve as a frames folder: a folder already (not a link to one), or absent
// with its parent present.
bool checkFramesFolder(const std::string& path, std::string& error);


// The file name of frame `frame` of the run, frame_000123.png, and its path in DIR.
std::string frameFileName(std::uint64_t frame);
std::string framePath(const std::string& folder, std::uint64_t frame);

// An output's folder, opened once: files are made, placed and removed relative to it, so that a
// folder swapped for a link during a run is not followed, and one removed is noticed.
struct OutputFolder {
    int fd = -1;
    std::string path; // as the user named it, for messages
};

// Opens the folder at `path`; with `refuseLink`, a symbolic link there is refused (the frames
// folder). False with `error` set.
bool openOutputFolder(const std::string& path, bool refuseLink, OutputFolder& folder, std::string& error);
void closeOutputFolder(OutputFolder& folder);

// Which file an entry of a folder is: another file put under the same name later is another.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// The identity of the entry `name` in the folder itself (a link is not followed); false if none.
bool identityIn(const OutputFolder& folder, const std::string& name, FileIdentity& identity);

// Removes `name` from the folder while it is still the file `identity` names.
void removeIfSame(const OutputFolder& folder, const std::string& name, const FileIdentity& identity);

// Removes the folder at `path` while it is still the opened `folder` (not something put in its
// place) and empty.
void removeFolderIfSame(const std::string& path, const OutputFolder& folder);

// Creates the frames folder when it is absent (`created` tells whether it did) and opens it,
// refusing a link.
bool makeFramesFolder(const std::string& path, OutputFolder& folder, bool& created, std::string& error);

// Whether the folder has been removed since it was opened; and the line that says so.
bool folderRemoved(const OutputFolder& folder);
std::string removedFolderMessage(const OutputFolder& folder);

// The folder's path joined with a name in it, for messages.
std::string inFolder(const OutputFolder& folder, const std::string& name);

// A file being written in a folder, until it is placed at its name. Where the file system allows
// it has no name at all (O_TMPFILE), so that nothing is left should the process be killed
// outright; elsewhere a hidden name, ".NAME.XXXXXX" (NAME shortened when the whole would pass the
// folder's longest name), created exclusively.
struct TemporaryFile {
    int fd = -1;
    std::string name; // the hidden name, or empty for a file without one
};

// Creates the temporary file for `name` in the folder, with the permissions a new file gets. It
// is locked (flock) while open, so that a later run can tell it from one a killed run left.
// IROIRO_HIDDEN_TEMPORARIES=1 in the environment makes every temporary file take a hidden name,
// as on a file system without nameless files: for tests of that fallback.
bool createTemporary(const OutputFolder& folder, const std::string& name, TemporaryFile& file, std::string& error);

// How old a hidden temporary file must be before a later run takes it for a killed run's: past
// the moment between a run's creating it and locking it, which a run that is live holds for as
// long as it writes.
constexpr long staleTemporaryAgeSeconds = 60;

// Removes the hidden temporary files that earlier runs writing `name` in the folder left when
// they were killed outright (SIGKILL), where the file system has no nameless files: only entries
// named exactly as createTemporary names them, regular files with one name (no links), this
// user's own, older than staleTemporaryAgeSeconds and not locked by a live run. Returns how many.
int removeStaleTemporaries(const OutputFolder& folder, const std::string& name);

// The same for the frames of a frames folder (frame_NNNNNN.png).
int removeStaleFrameTemporaries(const OutputFolder& folder);

// Closes and removes a temporary file that will not be placed.
void discardTemporary(const OutputFolder& folder, TemporaryFile& file);

// Places the complete temporary file at `name`: over a regular file there (keeping that file's
// permissions), or at a name that is free (never over something that appeared there meanwhile).
// Anything else at `name` is refused. The temporary file is closed, and removed on failure.
// `created` tells whether the name is new.
bool placeTemporary(const OutputFolder& folder, TemporaryFile& file, const std::string& name, bool& created,
                    std::string& error);

// Writes `bytes` to a temporary file in the folder and places it at `name` as placeTemporary
// does; on any failure nothing is left behind and what was at `name` is untouched. The stop
// signals are held meanwhile, so that a process they end never leaves the temporary file.
bool writeWholeFile(const OutputFolder& folder, const std::string& name, const std::vector<std::uint8_t>& bytes,
                    bool& created, std::string& error);

