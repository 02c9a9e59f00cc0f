// The modal notice, through SDL's simple message box, shown from a process that ends with the show.
#include "platform/notice.h"

#include "platform/children.h"

#include <SDL.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// In the notice's process: the show has ended, so the notice goes, with SDL's own process for
// its box (which stays in this process group).
void endNoticeGroup(int)
{
    kill(0, SIGKILL);
}

bool showMessageBox(const char* text)
{
    // "Error" stands where the original platform showed its default caption.
    return SDL_ShowSimpleMessageBox(0, "Error", text, nullptr) == 0;
}

} // namespace

void showNotice(const char* text)
{
    // SDL shows the box from a forked copy of the caller, which a show ended by a signal would
    // leave on screen for good. So the box is shown from a process group of our own, told by the
    // kernel when the show ends, however it ends.
    ChildSetup setup;
    setup.deathSignal = SIGTERM;
    setup.body = [text] {
        std::signal(SIGTERM, endNoticeGroup);
        return showMessageBox(text) ? 0 : 1;
    };
    const pid_t notice = startChild(setup);
    bool shown = false;
    if (notice < 0) {
        shown = showMessageBox(text);
    } else {
        int status = 0;
        while (waitpid(notice, &status, 0) == -1 && errno == EINTR) {
        }
        shown = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    if (!shown)
        std::fprintf(stderr, "%s\n", text);
}
