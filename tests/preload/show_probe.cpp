// Preloaded into the real show by end-to-end tests of its keys. Two things:
//
// - It drives the show's own timer from a file. Every reading of the monotonic clock that the
//   show's code takes (calls from the executable itself; the libraries' readings, GLUT's and
//   SDL's, stay real) is the first such reading plus the milliseconds written in the file named
//   by SHOW_TIMER_FILE (0 while it is missing). The show time of every frame is then known
//   exactly, and moves only when the test writes a new value.
// - After each key the show's keyboard or special-key callback has handled, it writes the first
//   and the second frame swapped after it to SHOW_GRAB_FILE.1 and .2, as frame_grab writes them
//   (back_buffer.h), so that a test waits for the file and reads it whole.
#include "back_buffer.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

template <typename Function>
Function realFunction(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// ---- the show's timer ----

struct AddressRange {
    std::uintptr_t begin = UINTPTR_MAX;
    std::uintptr_t end = 0;
};

// The program's own loaded segments: the first object the dynamic linker lists.
int findProgram(dl_phdr_info* info, std::size_t, void* data)
{
    AddressRange& range = *static_cast<AddressRange*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD)
            continue;
        const std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        if (begin < range.begin)
            range.begin = begin;
        if (begin + segment.p_memsz > range.end)
            range.end = begin + segment.p_memsz;
    }
    return 1;
}

long offsetMs()
{
    const char* path = std::getenv("SHOW_TIMER_FILE");
    if (!path)
        return 0;
    const int fd = open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[32] = {};
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    return n > 0 ? std::atol(text) : 0;
}

// ---- frames after a key ----

using KeyboardCallback = void (*)(unsigned char, int, int);
using SpecialCallback = void (*)(int, int, int);

KeyboardCallback showKeyboard = nullptr;
SpecialCallback showSpecial = nullptr;
long swapsSeen = 0;
long swapsAtKey = -1; // swaps seen when the last key was handled; -1 before any

void keyHandled()
{
    swapsAtKey = swapsSeen;
}

void keyboardAndGrab(unsigned char key, int x, int y)
{
    showKeyboard(key, x, y);
    keyHandled();
}

void specialAndGrab(int key, int x, int y)
{
    showSpecial(key, x, y);
    keyHandled();
}

} // namespace

extern "C" {

int clock_gettime(clockid_t clock, timespec* time)
{
    static const auto real = realFunction<int (*)(clockid_t, timespec*)>("clock_gettime");
    const int result = real(clock, time);
    if (result != 0 || clock != CLOCK_MONOTONIC)
        return result;
    static const AddressRange program = [] {
        AddressRange range;
        dl_iterate_phdr(findProgram, &range);
        return range;
    }();
    const std::uintptr_t caller = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
    if (caller < program.begin || caller >= program.end)
        return result;
    static const timespec first = *time;
    const long long ns = (long long)first.tv_nsec + (long long)offsetMs() * 1000000LL;
    time->tv_sec = first.tv_sec + time_t(ns / 1000000000LL);
    time->tv_nsec = long(ns % 1000000000LL);
    return 0;
}

void glutKeyboardFunc(KeyboardCallback callback)
{
    static const auto real = realFunction<void (*)(KeyboardCallback)>("glutKeyboardFunc");
    showKeyboard = callback;
    real(callback ? keyboardAndGrab : nullptr);
}

void glutSpecialFunc(SpecialCallback callback)
{
    static const auto real = realFunction<void (*)(SpecialCallback)>("glutSpecialFunc");
    showSpecial = callback;
    real(callback ? specialAndGrab : nullptr);
}

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static const auto real = realFunction<void (*)(Display*, GLXDrawable)>("glXSwapBuffers");
    ++swapsSeen;
    const char* grab = std::getenv("SHOW_GRAB_FILE");
    if (grab && swapsAtKey >= 0 && swapsSeen - swapsAtKey <= 2)
        writeBackBuffer((std::string(grab) + "." + std::to_string(swapsSeen - swapsAtKey)).c_str());
    real(display, drawable);
}

} // extern "C"
