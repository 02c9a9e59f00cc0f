// makedata: writes the show's five data files (four pictures and the soundtrack) into a folder;
// with --icons the program's icons, with --stems the soundtrack's mix and each instrument group's
// track as WAV files. Usage: makedata <output folder> | makedata --icons <folder> |
// makedata --stems <folder>. Silent on success; one line on standard error on failure.
#include "app/data_files.h"
#include "platform/output_files.h"
#include "platform/whole_files.h"
#include "capture/png_writer.h"
#include "data/bmp_writer.h"
#include "data/icon.h"
#include "data/mp3_encoder.h"
#include "data/pictures.h"
#include "data/soundtrack.h"
#include "data/wav_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Each file is written under a temporary name of its own (made with mkstemp beside it) and renamed
// into place, so that a failed or interrupted run never leaves a half-written file under the name
// the show reads, concurrent runs into one folder never share a file, and nothing at the name but
// a regular file is ever replaced.
void writeFileAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::string error;
    bool created = false;
    if (!writeWholeFile(path.string(), bytes, created, error))
        throw std::runtime_error(error);
}

// Which function makes each of the show's pictures, in the order of the show's table.
struct PictureMaker {
    const char* file;
    Picture (*make)();
};

constexpr PictureMaker pictureMakers[] = {
    {glowPictureFile, makeGlowPicture},
    {skyPictureBFile, makeNebulaSky},
    {skyPictureAFile, makeVelvetSky},
    {wavePictureFile, makeWaveMap},
};

constexpr bool makesEveryPicture()
{
    if (std::size(pictureMakers) != std::size(showPictures))
        return false;
    for (std::size_t i = 0; i < std::size(showPictures); ++i) {
        if (pictureMakers[i].file != showPictures[i].file)
            return false;
    }
    return true;
}
static_assert(makesEveryPicture(), "one maker for each picture the show loads");

void makeFolder(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw std::runtime_error("cannot create folder " + folder.string() + ": " + error.message());
}

// A name taken by anything but a regular file is refused before the work that takes seconds.
void checkOutputFiles(const std::vector<fs::path>& paths)
{
    for (const fs::path& path : paths) {
        std::string refusal;
        if (!checkOutputFile(path.string(), refusal))
            throw std::runtime_error(refusal);
    }
}

void makeData(const fs::path& folder)
{
    makeFolder(folder);
    std::vector<fs::path> paths = {folder / soundtrackFile};
    for (const PictureMaker& picture : pictureMakers)
        paths.push_back(folder / picture.file);
    checkOutputFiles(paths);
    for (const PictureMaker& picture : pictureMakers)
        writeFileAtomically(folder / picture.file, encodeBmp(picture.make()));
    writeFileAtomically(folder / soundtrackFile, encodeMp3(composeSoundtrack()));
}

// The program's icon at the sizes a desktop asks for, as DIR/iroiro-SIZE.png.
void makeIcons(const fs::path& folder)
{
    makeFolder(folder);
    const Picture sky = makeNebulaSky();
    const Picture glow = makeGlowPicture();
    for (int size : {256, 48}) {
        const Picture icon = makeIcon(sky, glow, size);
        // The PNG writer takes rows bottom-up, as GL reads them back.
        std::vector<std::uint8_t> bottomUp;
        const std::size_t row = std::size_t(size) * 3;
        for (int y = size - 1; y >= 0; --y) {
            bottomUp.insert(bottomUp.end(), icon.rgb.begin() + std::ptrdiff_t(y * row),
                            icon.rgb.begin() + std::ptrdiff_t((y + 1) * row));
        }
        std::vector<std::uint8_t> png;
        if (!encodePng(size, size, bottomUp, png))
            throw std::runtime_error("cannot encode the icon");
        const fs::path path = folder / ("iroiro-" + std::to_string(size) + ".png");
        checkOutputFiles({path});
        writeFileAtomically(path, png);
    }
}

// The names the stems are written under, beside the mastered mix.
constexpr const char* stemMixFile = "mix.wav";
constexpr const char* stemNames[] = {"drums", "pads", "bass", "arpeggio", "melody"};

void makeStems(const fs::path& folder)
{
    makeFolder(folder);
    std::vector<fs::path> paths = {folder / stemMixFile};
    for (const char* name : stemNames)
        paths.push_back(folder / (std::string(name) + ".wav"));
    checkOutputFiles(paths);
    std::vector<SoundtrackStem> stems;
    const StereoSignal mix = composeSoundtrack(&stems);
    if (stems.size() != std::size(stemNames))
        throw std::logic_error("the soundtrack's groups and the stems' names differ");
    writeFileAtomically(folder / stemMixFile, encodeWav(mix));
    for (std::size_t i = 0; i < stems.size(); ++i) {
        if (std::string(stems[i].name) != stemNames[i])
            throw std::logic_error("the soundtrack's groups and the stems' names differ");
        writeFileAtomically(folder / (std::string(stemNames[i]) + ".wav"), encodeWav(stems[i].signal));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("makedata (iroiro) %s\n", SHOW_VERSION);
        return 0;
    }
    const bool icons = argc == 3 && std::strcmp(argv[1], "--icons") == 0;
    const bool stems = argc == 3 && std::strcmp(argv[1], "--stems") == 0;
    if (!(argc == 2 || icons || stems) || argv[argc - 1][0] == '\0' || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: makedata <output folder> | makedata --icons <folder> | makedata --stems <folder>\n");
        return 2;
    }
    try {
        if (icons)
            makeIcons(argv[2]);
        else if (stems)
            makeStems(argv[2]);
        else
            makeData(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "makedata: %s\n", e.what());
        return 1;
    }
    return 0;
}
