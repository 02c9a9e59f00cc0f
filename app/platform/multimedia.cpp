// Multimedia commands carried out with SDL2_mixer: one music device, addressed by its path.
#include "app/platform/multimedia.h"

#include <SDL.h>
#include <alsa/asoundlib.h>
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

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

bool openAudio()
{
    if (audioOpen)
        return true;
    // ALSA reports a missing sound card on standard error; a failed soundtrack stays silent.
    snd_lib_error_set_handler(ignoreAlsaError);
    // On failure the audio subsystem is left initialised: shutting it down waits for SDL's
    // device-watching thread, which sleeps in steps of 100 ms, and would delay the first frame.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0)
        return false;
    audioOpen = true;
    static bool registered = false;
    if (!registered)
        registered = std::atexit(closeAudio) == 0;
    return true;
}

// True when the stream starts as an MP3 does: an ID3v2 tag, or an MPEG audio frame header
// (sync bits, a layer, a usable bit rate and sampling rate). Leaves the stream at its start.
bool startsLikeMp3(SDL_RWops* file)
{
    Uint8 head[4] = {};
    const bool read = SDL_RWread(file, head, 1, sizeof head) == sizeof head;
    SDL_RWseek(file, 0, RW_SEEK_SET);
    if (!read)
        return false;
    if (head[0] == 'I' && head[1] == 'D' && head[2] == '3')
        return true;
    return head[0] == 0xFF && (head[1] & 0xE0) == 0xE0 && (head[1] & 0x06) != 0 && (head[2] & 0xF0) != 0xF0 &&
           (head[2] & 0x0C) != 0x0C;
}

void openDevice(const char* path)
{
    if (!openAudio())
        return;
    // Anything that is not an MP3 is refused here, before the decoder: it would write its
    // complaints to standard error, and a failed soundtrack must stay silent.
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    if (!file)
        return;
    if (!startsLikeMp3(file)) {
        SDL_RWclose(file);
        return;
    }
    Mix_Music* opened = Mix_LoadMUSType_RW(file, MUS_MP3, SDL_TRUE); // closes the file, also on failure
    if (!opened)
        return;
    if (music)
        Mix_FreeMusic(music);
    music = opened;
    devicePath = path;
}

void playDevice(const std::string& path, int fromMs)
{
    if (!music || devicePath != path)
        return;
    if (fromMs == 0)
        Mix_PlayMusic(music, 0); // 0: once, no repeat
    else
        Mix_FadeInMusicPos(music, 0, 0, fromMs / 1000.0); // no fade: straight in at the position
}

// Splits "<path> from <ms>" into the path and the position; without the suffix (or with one that
// is not a plain count of milliseconds, which then belongs to the path) it plays from 0.
void splitPlayArgument(const char* argument, std::string& path, int& fromMs)
{
    path = argument;
    fromMs = 0;
    const std::size_t marker = path.rfind(" from ");
    if (marker == std::string::npos)
        return;
    const std::string digits = path.substr(marker + 6);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return;
    fromMs = std::stoi(digits);
    path.resize(marker);
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
    else if (const char* argument = argumentOf(command, "Play")) {
        std::string path;
        int fromMs = 0;
        splitPlayArgument(argument, path, fromMs);
        playDevice(path, fromMs);
    }
}
