// New PNG files, created with O_EXCL so that nothing already at a name (a file, a link) is
// written or followed.
#include "platform/picture_file.h"

#include "capture/png_writer.h"
#include "platform/whole_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Names tried before giving up: far more than anyone saves of one moment.
constexpr int largestCounter = 9999;

} // namespace

bool writeNewPicture(const std::string& folder, const std::string& stem, int width, int height,
                     const std::vector<std::uint8_t>& rgbBottomUp, std::string& written, std::string& error)
{
    std::vector<std::uint8_t> png;
    if (!encodePng(width, height, rgbBottomUp, png)) {
        error = "the picture could not be encoded";
        return false;
    }
    const std::string prefix = folder.empty() ? std::string() : folder + "/";
    for (int counter = 1; counter <= largestCounter; ++counter) {
        std::string path = prefix + stem;
        if (counter > 1) {
            path += '-';
            path += std::to_string(counter);
        }
        path += ".png";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            error = path + ": " + std::strerror(errno);
            return false;
        }
        const bool complete = writeAll(fd, png.data(), png.size());
        const int writeErrno = errno;
        const bool closed = close(fd) == 0;
        if (complete && closed) {
            written = path;
            return true;
        }
        unlink(path.c_str()); // this call's own file, just created
        error = path + ": " + std::strerror(complete ? errno : writeErrno);
        return false;
    }
    error = prefix + stem + ".png: every name up to -" + std::to_string(largestCounter) + " is taken";
    return false;
}
