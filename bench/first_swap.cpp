// Preloaded into the real show by frame_bench: notes when glutMainLoop is entered and when the
// first frame has been swapped, and the time spent opening (or failing to open) and starting the
// soundtrack and uploading textures; writes them to the file named by FIRST_SWAP_REPORT
// (CLOCK_MONOTONIC nanoseconds) and ends the process.
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::int64_t nowNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t mainLoopNs = 0;
std::int64_t audioNs = 0;
std::int64_t uploadNs = 0;

template <typename Function>
Function realFunction(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Runs `call`, adding the time it took to `total`.
template <typename Call>
auto timeInto(std::int64_t& total, Call call)
{
    const std::int64_t start = nowNs();
    auto result = call();
    total += nowNs() - start;
    return result;
}

void writeReport(std::int64_t swapNs)
{
    const char* path = std::getenv("FIRST_SWAP_REPORT");
    if (!path)
        return;
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    char text[256];
    const int n = std::snprintf(text, sizeof text, "mainloop %lld\nswap %lld\naudio %lld\nupload %lld\n",
                                (long long)mainLoopNs, (long long)swapNs, (long long)audioNs,
                                (long long)uploadNs);
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
    writeReport(nowNs());
    _exit(0);
}

void glutMainLoop()
{
    static auto real = realFunction<void (*)()>("glutMainLoop");
    mainLoopNs = nowNs();
    real();
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const void* pixels)
{
    static auto real = realFunction<void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum,
                                             const void*)>("glTexImage2D");
    const std::int64_t start = nowNs();
    real(target, level, internalFormat, width, height, border, format, type, pixels);
    uploadNs += nowNs() - start;
}

int SDL_InitSubSystem(std::uint32_t flags)
{
    static auto real = realFunction<int (*)(std::uint32_t)>("SDL_InitSubSystem");
    return timeInto(audioNs, [&] { return real(flags); });
}

// Called when the mixer cannot open a device; SDL's ALSA driver then waits for its hot-plug
// thread, which sleeps in steps of 100 ms.
void SDL_QuitSubSystem(std::uint32_t flags)
{
    static auto real = realFunction<void (*)(std::uint32_t)>("SDL_QuitSubSystem");
    const std::int64_t start = nowNs();
    real(flags);
    audioNs += nowNs() - start;
}

int Mix_OpenAudio(int frequency, std::uint16_t format, int channels, int chunkSize)
{
    static auto real = realFunction<int (*)(int, std::uint16_t, int, int)>("Mix_OpenAudio");
    return timeInto(audioNs, [&] { return real(frequency, format, channels, chunkSize); });
}

void* Mix_LoadMUS(const char* path)
{
    static auto real = realFunction<void* (*)(const char*)>("Mix_LoadMUS");
    return timeInto(audioNs, [&] { return real(path); });
}

void* Mix_LoadMUSType_RW(void* source, int type, int freeSource)
{
    static auto real = realFunction<void* (*)(void*, int, int)>("Mix_LoadMUSType_RW");
    return timeInto(audioNs, [&] { return real(source, type, freeSource); });
}

int Mix_PlayMusic(void* music, int loops)
{
    static auto real = realFunction<int (*)(void*, int)>("Mix_PlayMusic");
    return timeInto(audioNs, [&] { return real(music, loops); });
}

} // extern "C"
