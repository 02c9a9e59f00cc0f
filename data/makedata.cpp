// makedata: writes the show's five data files (four pictures and the soundtrack) into a folder;
// with --icons the program's icons, with --stems the soundtrack's mix and each instrument group's
// track as WAV files. Usage: makedata <output folder> | makedata --icons <folder> |
// makedata --stems <folder>. Silent on success; one line on standard error on failure.
#include "app/data_files.h"
#include "platform/output_files.h"
#include "platform/stop_signals.h"
#include "platform/whole_files.h"
#include "capture/png_writer.h"
#include "data/bmp_writer.h"
#include "data/icon.h"
#include "data/mp3_encoder.h"
#include "data/pictures.h"
#include "data/soundtrack.h"
#include "data/wav_writer.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A set of files being written (the stems and their mix), until it is placed: a stopped run
// takes their temporary files away. Changed only with runLock() held.
struct SetInProgress {
    OutputFolder folder;
    std::vector<TemporaryFile> files;
};

SetInProgress setInProgress;

// Ends a run that a stop signal asked to end, at once, whatever it is doing (composing the
// soundtrack takes seconds): what it has half written goes, and it ends as the signal would.
// Runs on the thread that waits for a stop; a file being placed is placed first.
[[noreturn]] void endStopped()
{
    runLock().lock(); // for good
    for (TemporaryFile& file : setInProgress.files)
        discardTemporary(setInProgress.folder, file);
    endByStopSignal();
    std::_Exit(1);
}

// Each file is written under a temporary name of its own (made with mkstemp beside it) and renamed
// into place, so that a failed or interrupted run never leaves a half-written file under the name
// the show reads, concurrent runs into one folder never share a file, and nothing at the name but
// a regular file is ever replaced.
void writeFileAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    std::string error;
    bool created = false;
    if (!writeWholeFile(path.string(), bytes, created, error))
        throw std::runtime_error(error);
}

struct NamedBytes {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Writes files that belong together (the stems and their mix) as one set: each whole to a
// temporary file first, and only when all are written are they placed at their names, so that a
// failed or stopped run never leaves a new file beside an earlier run's others. A stop while they
// are written takes the temporary files away; the placing, a moment, is finished first. On any
// failure the temporary files go.
void writeFileSet(const fs::path& path, const std::vector<NamedBytes>& files)
{
    std::string error;
    {
        const std::lock_guard<std::recursive_mutex> hold(runLock());
        if (!openOutputFolder(path.string(), false, setInProgress.folder, error)) {
            throw std::runtime_error(error);
        }
        setInProgress.files.assign(files.size(), TemporaryFile{});
    }
    const auto fail = [&](const std::string& reason) {
        if (stopSignal() != 0) {
            endStopped();
        }
        const std::lock_guard<std::recursive_mutex> hold(runLock());
        for (TemporaryFile& file : setInProgress.files) {
            discardTemporary(setInProgress.folder, file);
        }
        setInProgress.files.clear();
        closeOutputFolder(setInProgress.folder);
        throw std::runtime_error(reason);
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        bool made = false;
        {
            const std::lock_guard<std::recursive_mutex> hold(runLock());
            made = createTemporary(setInProgress.folder, files[i].name, setInProgress.files[i], error);
        }
        if (!made) {
            fail(error);
        }
        if (!writeAll(setInProgress.files[i].fd, files[i].bytes.data(), files[i].bytes.size())) {
            fail("cannot write " + inFolder(setInProgress.folder, files[i].name) + ": " + std::strerror(errno));
        }
    }
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    for (std::size_t i = 0; i < files.size(); ++i) {
        bool created = false;
        if (!placeTemporary(setInProgress.folder, setInProgress.files[i], files[i].name, created, error)) {
            fail(error);
        }
    }
    setInProgress.files.clear();
    closeOutputFolder(setInProgress.folder);
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
    // A link to nowhere would be reported as "File exists": say what is there.
    std::error_code error;
    struct stat link, target;
    if (lstat(folder.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && stat(folder.c_str(), &target) != 0 &&
        errno == ENOENT) {
        throw std::runtime_error("cannot create folder " + folder.string() +
                                 ": it is a dangling symbolic link (to " + fs::read_symlink(folder, error).string() +
                                 ")");
    }
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
    std::vector<NamedBytes> set = {{stemMixFile, encodeWav(mix)}};
    for (std::size_t i = 0; i < stems.size(); ++i) {
        if (std::string(stems[i].name) != stemNames[i])
            throw std::logic_error("the soundtrack's groups and the stems' names differ");
        set.push_back({std::string(stemNames[i]) + ".wav", encodeWav(stems[i].signal)});
    }
    writeFileSet(folder, set);
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
    // A folder is never taken from something that looks like an option ("--stems --icons"): a
    // folder of such a name is given as ./--icons.
    if (!(argc == 2 || icons || stems) || argv[argc - 1][0] == '\0' || argv[argc - 1][0] == '-') {
        std::fprintf(stderr, "usage: makedata <output folder> | makedata --icons <folder> | makedata --stems <folder>\n");
        return 2;
    }
    catchStopSignals();
    endOnStop(endStopped);
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
