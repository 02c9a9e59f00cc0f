// The soundtrack's commands, formatted with the soundtrack's path in the data folder.
#include "app/music.h"

#include "app/data_files.h"
#include "app/run.h"
#include "platform/multimedia.h"

#include <cstdio>
#include <string>

namespace {

// Sends "<verb> <soundtrack path><suffix>".
void sendSoundtrackCommand(const char* verb, const char* suffix = "")
{
    const std::string path = dataFilePath(soundtrackFile);
    char command[64];
    const int length = std::snprintf(command, sizeof command, "%s %s%s", verb, path.c_str(), suffix);
    if (length >= 0 && std::size_t(length) < sizeof command) {
        sendMultimediaCommand(command);
        return;
    }
    // A data folder named on the command line can make the command longer than the buffer: it
    // is sent whole rather than cut short into the path of some other file.
    sendMultimediaCommand((std::string(verb) + " " + path + suffix).c_str());
}

} // namespace

namespace {

int currentLevel = 1000; // the level last asked for; the soundtrack opens at the full one
bool levelChanged = false;

void sendVolume()
{
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, " volume to %d", currentLevel);
    sendSoundtrackCommand("setaudio", suffix);
}

bool opened = false;

} // namespace

int volumeLevel(int percent, bool muted)
{
    if (muted || percent <= 0)
        return 0;
    if (percent >= 100)
        return 1000;
    const double share = percent / 100.0;
    return int(share * share * share * 1000.0 + 0.5);
}

void setMusicVolume(int percent, bool muted)
{
    currentLevel = volumeLevel(percent, muted);
    levelChanged = true;
    if (opened)
        sendVolume();
}

void openMusic()
{
    sendSoundtrackCommand("Open");
    opened = true;
    if (levelChanged)
        sendVolume();
}

void playMusic()
{
    // The soundtrack from the moment the first frame shows, so that picture and sound stay
    // together.
    playMusicFrom(firstFrameTime());
}

void playMusicFrom(std::uint32_t showTimeMs)
{
    if (showTimeMs == 0) {
        sendSoundtrackCommand("Play");
        return;
    }
    char from[32];
    std::snprintf(from, sizeof from, " from %u", unsigned(showTimeMs));
    sendSoundtrackCommand("Play", from);
}

void pauseMusic()
{
    sendSoundtrackCommand("Pause");
}

void resumeMusic()
{
    sendSoundtrackCommand("Resume");
}
