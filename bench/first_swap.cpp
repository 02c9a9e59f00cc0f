// Preloaded into the real show by frame_bench: notes when glutMainLoop is entered and when the
// first frame has been swapped, and the time spent opening (or failing to open) and starting the
// soundtrack and uploading textures; writes them to the file named by FIRST_SWAP_REPORT
// (milliseconds of the monotonic clock frame_bench reads too) and ends the process.
#include "platform/clock.h"

#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

double mainLoopMs = 0;
double audioMs = 0;
double uploadMs = 0;

template <typename Function>
Function realFunction(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Runs `call`, adding the time it took to `total`.
template <typename Call>
auto timeInto(double& total, Call call)
{
    const double start = monotonicMs();
    auto result = call();
    total += monotonicMs() - start;
    return result;
}

void writeReport(double swapMs)
{
    const char* path = std::getenv("FIRST_SWAP_REPORT");
    if (!path)
        return;
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    char text[256];
    const int n = std::snprintf(text, sizeof text, "mainloop %.6f\nswap %.6f\naudio %.6f\nupload %.6f\n",
                                mainLoopMs, swapMs, audioMs, uploadMs);
    if (n > 0 && write(fd, text, std::size_t(n)) < 0)
        std::perror("first_swap");
    close(fd);
}

} // namespace

extern "C" {

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static auto real = realFunction<void (*)(Display*, GLXDrawable)>("glXSwapBuffers");
    real(display, drawable);
    writeReport(monotonicMs());
    _exit(0);
}

void glutMainLoop()
{
    static auto real = realFunction<void (*)()>("glutMainLoop");
    mainLoopMs = monotonicMs();
    real();
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const void* pixels)
{
    static auto real = realFunction<void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum,
                                             const void*)>("glTexImage2D");
    const double start = monotonicMs();
    real(target, level, internalFormat, width, height, border, format, type, pixels);
    uploadMs += monotonicMs() - start;
}

int SDL_InitSubSystem(std::uint32_t flags)
{
    static auto real = realFunction<int (*)(std::uint32_t)>("SDL_InitSubSystem");
    return timeInto(audioMs, [&] { return real(flags); });
}

// Called when the mixer cannot open a device; SDL's ALSA driver then waits for its hot-plug
// thread, which sleeps in steps of 100 ms.
void SDL_QuitSubSystem(std::uint32_t flags)
{
    static auto real = realFunction<void (*)(std::uint32_t)>("SDL_QuitSubSystem");
    const double start = monotonicMs();
    real(flags);
    audioMs += monotonicMs() - start;
}

int Mix_OpenAudio(int frequency, std::uint16_t format, int channels, int chunkSize)
{
    static auto real = realFunction<int (*)(int, std::uint16_t, int, int)>("Mix_OpenAudio");
    return timeInto(audioMs, [&] { return real(frequency, format, channels, chunkSize); });
}

void* Mix_LoadMUS(const char* path)
{
    static auto real = realFunction<void* (*)(const char*)>("Mix_LoadMUS");
    return timeInto(audioMs, [&] { return real(path); });
}

void* Mix_LoadMUSType_RW(void* source, int type, int freeSource)
{
    static auto real = realFunction<void* (*)(void*, int, int)>("Mix_LoadMUSType_RW");
    return timeInto(audioMs, [&] { return real(source, type, freeSource); });
}

int Mix_PlayMusic(void* music, int loops)
{
    static auto real = realFunction<int (*)(void*, int)>("Mix_PlayMusic");
    return timeInto(audioMs, [&] { return real(music, loops); });
}

} // extern "C"
