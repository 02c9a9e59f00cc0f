// The show's data files: the folder they are read from and each file's bare name in it. The show,
// showcap, makedata, the benchmarks and the tests all name the files through this table.
#pragma once

#include "app/show_state.h"

#include <cstdint>
#include <string>

// The folder makedata writes and the show reads, relative to the working directory by default.
inline constexpr const char* dataFolderName = "iroiro";
inline constexpr const char* defaultDataFolder = "./iroiro/";

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

// The folder holding iroiro/: `requested` when given and it holds an iroiro/ folder; otherwise
// the working directory when ./iroiro exists at all (a broken one then gives the loader's
// notices), or else the folder of the running executable when it holds an iroiro/ folder (so
// that build/show and build/showcap find build/iroiro/ from anywhere). Empty when none of these.
std::string locateDataFolder(const std::string& requested);

// The folder the show reads its data from, ending in '/': defaultDataFolder until set.
const std::string& dataFolder();
// Sets the folder; a '/' is appended when missing. An empty path restores the default.
void setDataFolder(const std::string& folder);
// dataFolder() followed by `file`, e.g. "./iroiro/k13.mp3".
std::string dataFilePath(const char* file);
