// Multimedia commands carried out with SDL2_mixer: one music device, addressed by its path.
#include "platform/multimedia_device.h"

#include "platform/multimedia_command.h"

#include <SDL.h>
#include <alsa/asoundlib.h>
#include <SDL_mixer.h>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <mpg123.h>
#include <string>
#include <vector>

// SDL_mixer hands MP3s to libmpg123 with its default flags, under which the decoder writes notes,
// warnings and errors about damaged frames to standard error, from the audio thread while the
// show plays. A failed soundtrack must stay silent, and no check short of decoding the whole file
// finds such a file in advance: frames with sound headers and garbage inside, or a few bytes of
// junk after the last frame, make it complain. So every decoder handle made in this process is
// told to be quiet. This definition takes the library's place for SDL_mixer (the dynamic linker
// binds a library's calls to the program's own definition first) and makes the handle through
// the library's. Only the decoder's messages go: the show's own still reach standard error.
extern "C" mpg123_handle* mpg123_new(const char* decoder, int* error)
{
    using Create = mpg123_handle* (*)(const char*, int*);
    static const Create create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "mpg123_new"));
    if (!create) {
        if (error)
            *error = MPG123_ERR;
        return nullptr;
    }
    mpg123_handle* handle = create(decoder, error);
    if (handle)
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    return handle;
}

namespace {

bool audioOpen = false;
std::string devicePath;
Mix_Music* music = nullptr;
std::vector<std::uint8_t> musicBytes; // the open device's file; the decoder reads it while playing

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
    // The audio subsystem starts SDL's event subsystem, which would catch SIGINT and SIGTERM
    // and only queue a quit event that nothing reads: the show could not be stopped. Without
    // its handlers both signals keep their default action and end the process.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
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

} // namespace

bool soundDeviceReady()
{
    return openAudio();
}

void openSoundtrack(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    SDL_RWops* file = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (!file)
        return;
    Mix_Music* opened = Mix_LoadMUSType_RW(file, MUS_MP3, SDL_TRUE); // closes the file, also on failure
    if (!opened)
        return;
    if (music)
        Mix_FreeMusic(music);
    music = opened;
    musicBytes.swap(bytes); // the buffer moves, its bytes stay where the decoder reads them
    devicePath = path;
}

void playSoundtrack(const std::string& path, int fromMs, bool)
{
    if (!music || devicePath != path)
        return;
    if (fromMs == 0)
        Mix_PlayMusic(music, 0); // 0: once, no repeat
    else
        Mix_FadeInMusicPos(music, 0, 0, fromMs / 1000.0); // no fade: straight in at the position
}

void pauseSoundtrack(const std::string& path)
{
    if (music && devicePath == path)
        Mix_PauseMusic();
}

void resumeSoundtrack(const std::string& path)
{
    if (music && devicePath == path)
        Mix_ResumeMusic();
}

void setSoundtrackVolume(const std::string& path, int level)
{
    // The mixer's music volume holds for every later play of the music.
    if (music && devicePath == path)
        Mix_VolumeMusic((level * MIX_MAX_VOLUME + fullVolumeLevel / 2) / fullVolumeLevel);
}
