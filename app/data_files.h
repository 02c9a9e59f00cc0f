// The show's data files: the folder they are read from and each file's bare name in it. The show,
// showcap, makedata, the benchmarks and the tests all name the files through this table.
#pragma once

#include "app/show_state.h"

#include <cstdint>
#include <string>
#include <vector>

// The folder makedata writes and the show reads, relative to the working directory by default.
inline constexpr const char* dataFolderName = "iroiro";
inline constexpr const char* defaultDataFolder = "./iroiro/";
// Where an installation keeps the folder holding iroiro/, relative to its programs' folder.
inline constexpr const char* installedDataFolder = "../share/iroiro";

inline constexpr const char* soundtrackFile = "k13.mp3";

// Each picture and the texture name it fills, in the order the show loads them.
struct ShowPicture {
    const char* file;
    std::int32_t ShowState::*texture;
};
inline constexpr ShowPicture showPictures[] = {
    {"syfyd.bmp", &ShowState::glowTexture},
    {"muryw.bmp", &ShowState::skyTextureB},
    {"velvetend_loop02a(0).bmp", &ShowState::skyTextureA},
    {"wave1.bmp", &ShowState::waveTexture},
};
inline constexpr const char* glowPictureFile = showPictures[0].file;
inline constexpr const char* skyPictureBFile = showPictures[1].file;
inline constexpr const char* skyPictureAFile = showPictures[2].file;
inline constexpr const char* wavePictureFile = showPictures[3].file;

// The folder holding iroiro/: `requested` when given and it holds an iroiro/ folder. Otherwise,
// of these candidates in turn: the working directory; the running executable's folder
// (build/show finds build/iroiro/ from anywhere); the share folder of an installation,
// `installedDataFolder` from the executable's folder (P/bin/iroiro finds P/share/iroiro/iroiro/),
// the first whose iroiro/ holds at least one of the show's files (a folder of that name without
// any, such as a clone of the project named after it, is not the data). For an installed program
// (its folder not a build folder) a candidate holding all five comes before that: a stray file in
// the working folder's iroiro/ does not hide the installed data. Empty when none of these.
// `passedOver`, when given, is set to the first candidate holding some of the files that a later
// complete one was preferred to (empty when none was).
std::string locateDataFolder(const std::string& requested, std::string* passedOver = nullptr);
// The same rule from a given working folder and executable's folder.
std::string chooseDataFolder(const std::string& requested, const std::string& workingFolder,
                             const std::string& programFolder, std::string* passedOver = nullptr);

// True when `folder`/iroiro/ holds at least one of the show's five files.
bool holdsShowData(const std::string& folder);
// True when `folder`/iroiro/ holds all five.
bool holdsAllShowData(const std::string& folder);

// True when `programFolder` is a build folder (the build's own CMakeCache.txt is there) rather
// than an installation's: a missing data folder is then the build's iroiro_data target not built.
bool isBuildFolder(const std::string& programFolder);

// The pictures missing from the data folder, by bare name.
std::vector<std::string> missingPictures();

// The folder the show reads its data from, ending in '/': defaultDataFolder until set.
const std::string& dataFolder();
// Sets the folder; a '/' is appended when missing. An empty path restores the default.
void setDataFolder(const std::string& folder);
// dataFolder() followed by `file`, e.g. "./iroiro/k13.mp3".
std::string dataFilePath(const char* file);
