// Preloaded into the real show by the end-to-end tests: at the swap numbered FRAME_GRAB_AFTER
// (1 = the first frame) it reads the frame's pixels back from the back buffer, writes them to
// FRAME_GRAB_FILE ("WIDTH HEIGHT\n" then RGB rows, bottom row first) and ends the process with
// status 0. Without FRAME_GRAB_FILE it only ends the process at that swap.
#include "back_buffer.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <dlfcn.h>

#include <cstdlib>

namespace {

using SwapBuffers = void (*)(Display*, GLXDrawable);

long swapsSeen = 0;

} // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    const char* after = std::getenv("FRAME_GRAB_AFTER");
    const long last = after ? std::atol(after) : 1;
    if (++swapsSeen >= last) {
        if (const char* path = std::getenv("FRAME_GRAB_FILE"))
            writeBackBuffer(path);
        std::exit(0); // through exit, so that a tracer preloaded beside this one writes its trace
    }
    static const SwapBuffers realSwap = reinterpret_cast<SwapBuffers>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    realSwap(display, drawable);
}
