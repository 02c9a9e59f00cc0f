// The private X server: the check for a display, and the run of showcap under xvfb-run.
#include "capture/headless.h"

#include "capture/video_pipe.h"

#include <X11/Xlib.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* rerunMark = "SHOWCAP_IN_PRIVATE_X_SERVER";
// A screen of the size the tests use; the frames are drawn offscreen at any size regardless.
constexpr const char* serverArguments = "-screen 0 1280x1024x24";

} // namespace

std::string ownExecutable()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self);
    return length > 0 && std::size_t(length) < sizeof self ? std::string(self, std::size_t(length)) : std::string();
}

bool inPrivateXServer()
{
    const char* mark = std::getenv(rerunMark);
    return mark && std::strcmp(mark, "1") == 0;
}

bool displayReachable()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return false;
    // An X server resets when its last client leaves and refuses connections meanwhile, so a
    // refusal is tried again briefly before the display counts as unreachable.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr)) {
            XCloseDisplay(display);
            return true;
        }
        usleep(50000);
    }
    return false;
}

std::string rerunInPrivateXServer(int argc, char** argv)
{
    const std::string xvfbRun = findProgram("xvfb-run");
    if (xvfbRun.empty())
        return "no X display, and no xvfb-run to start a private one: install xvfb and xauth, or set DISPLAY";
    const std::string self = ownExecutable();
    if (self.empty())
        return std::string("no X display, and showcap cannot find itself to run again: ") + std::strerror(errno);

    std::vector<const char*> command = {"xvfb-run", "-a", "-s", serverArguments, self.c_str()};
    for (int i = 1; i < argc; ++i)
        command.push_back(argv[i]);
    command.push_back(nullptr);
    setenv(rerunMark, "1", 1);
    execv(xvfbRun.c_str(), const_cast<char* const*>(command.data()));
    return std::string("no X display, and xvfb-run could not be started: ") + std::strerror(errno);
}
