// Multimedia commands carried out with SDL2_mixer: one music device, addressed by its path.
#include "app/platform/multimedia.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool audioOpen = false;
std::string devicePath;
Mix_Music* music = nullptr;

// Stops the mixer's thread before the process's other exit work, so that nothing is still
// writing sound while the runtime tears down.
void closeAudio()
{
    if (!audioOpen)
        return;
    Mix_HaltMusic();
    if (music)
        Mix_FreeMusic(music);
    music = nullptr;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioOpen = false;
}

bool openAudio()
{
    if (audioOpen)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    audioOpen = true;
    static bool registered = false;
    if (!registered)
        registered = std::atexit(closeAudio) == 0;
    return true;
}

void openDevice(const char* path)
{
    if (!openAudio())
        return;
    Mix_Music* opened = Mix_LoadMUS(path);
    if (!opened)
        return;
    if (music)
        Mix_FreeMusic(music);
    music = opened;
    devicePath = path;
}

void playDevice(const char* path)
{
    if (music && devicePath == path)
        Mix_PlayMusic(music, 0); // 0: once, no repeat
}

// The argument after "<word> ", or null when the command starts with another word.
const char* argumentOf(const char* command, const char* word)
{
    const std::size_t n = std::strlen(word);
    if (std::strncmp(command, word, n) != 0 || command[n] != ' ')
        return nullptr;
    return command + n + 1;
}

} // namespace

void sendMultimediaCommand(const char* command)
{
    if (!command)
        return;
    if (const char* path = argumentOf(command, "Open"))
        openDevice(path);
    else if (const char* path = argumentOf(command, "Play"))
        playDevice(path);
}
