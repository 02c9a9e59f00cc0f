// makedata: writes the show's five data files (four pictures and the soundtrack) into a folder.
// Usage: makedata <output folder>. Silent on success; one line on standard error on failure.
#include "data/bmp_writer.h"
#include "data/mp3_encoder.h"
#include "data/pictures.h"
#include "data/soundtrack.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Writes under a temporary name and renames it into place, so that a failed or interrupted run
// never leaves a half-written file under the name the show reads.
void writeFileAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    const fs::path partial = path.string() + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file) {
        throw std::runtime_error("cannot create " + partial.string() + ": " + std::strerror(errno));
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        const std::string reason = std::strerror(errno);
        std::remove(partial.c_str());
        throw std::runtime_error("cannot write " + partial.string() + ": " + reason);
    }
    std::error_code error;
    fs::rename(partial, path, error);
    if (error) {
        std::remove(partial.c_str());
        throw std::runtime_error("cannot rename " + partial.string() + ": " + error.message());
    }
}

struct PictureFile {
    const char* name;
    Picture (*make)();
};

constexpr PictureFile kPictures[] = {
    {"syfyd.bmp", makeGlowSprite},
    {"muryw.bmp", makeNebulaSky},
    {"velvetend_loop02a(0).bmp", makeVelvetSky},
    {"wave1.bmp", makeWaveMap},
};

void makeData(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        throw std::runtime_error("cannot create folder " + folder.string() + ": " + error.message());
    }
    for (const PictureFile& picture : kPictures) {
        writeFileAtomically(folder / picture.name, encodeBmp(picture.make()));
    }
    writeFileAtomically(folder / "k13.mp3", encodeMp3(composeSoundtrack()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: makedata <output folder>\n");
        return 2;
    }
    try {
        makeData(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "makedata: %s\n", e.what());
        return 1;
    }
    return 0;
}
