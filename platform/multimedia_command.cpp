// Reading the multimedia command strings, and handing each to the system's sound device.
#include "platform/multimedia_command.h"

#include "platform/multimedia.h"
#include "platform/multimedia_device.h"
#include "platform/whole_files.h"

#include <cstring>

bool startsLikeMp3(const std::vector<std::uint8_t>& head)
{
    if (head.size() < 4)
        return false;
    if (head[0] == 'I' && head[1] == 'D' && head[2] == '3')
        return true;
    return head[0] == 0xFF && (head[1] & 0xE0) == 0xE0 && (head[1] & 0x06) != 0 && (head[2] & 0xF0) != 0xF0 &&
           (head[2] & 0x0C) != 0x0C;
}

bool splitPlayArgument(const char* argument, std::string& path, int& fromMs)
{
    path = argument;
    fromMs = 0;
    const std::size_t marker = path.rfind(" from ");
    if (marker == std::string::npos)
        return false;
    const std::string digits = path.substr(marker + 6);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    fromMs = std::stoi(digits);
    path.resize(marker);
    return true;
}

bool splitVolumeArgument(const char* argument, std::string& path, int& level)
{
    path = argument;
    const std::string marker = " volume to ";
    const std::size_t at = path.rfind(marker);
    if (at == std::string::npos || at == 0)
        return false;
    const std::string digits = path.substr(at + marker.size());
    if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    level = std::stoi(digits);
    if (level > fullVolumeLevel)
        return false;
    path.resize(at);
    return true;
}

const char* argumentOf(const char* command, const char* word)
{
    const std::size_t n = std::strlen(word);
    if (std::strncmp(command, word, n) != 0 || command[n] != ' ')
        return nullptr;
    return command + n + 1;
}

void sendMultimediaCommand(const char* command)
{
    if (!command)
        return;
    if (const char* path = argumentOf(command, "Open")) {
        if (!soundDeviceReady())
            return;
        // Only a regular file is read, whole and bounded: a FIFO in the soundtrack's place would
        // block start-up in open(), and a device would never end. Anything that does not even
        // start as an MP3 is refused before the device.
        std::vector<std::uint8_t> bytes;
        if (readRegularFile(path, maxSoundtrackBytes, bytes) != FileRead::ok || !startsLikeMp3(bytes))
            return;
        openSoundtrack(path, bytes);
    } else if (const char* argument = argumentOf(command, "Play")) {
        std::string path;
        int fromMs = 0;
        const bool positioned = splitPlayArgument(argument, path, fromMs);
        playSoundtrack(path, fromMs, positioned);
    } else if (const char* path = argumentOf(command, "Pause")) {
        pauseSoundtrack(path);
    } else if (const char* path = argumentOf(command, "Resume")) {
        resumeSoundtrack(path);
    } else if (const char* argument = argumentOf(command, "setaudio")) {
        std::string path;
        int level = 0;
        if (splitVolumeArgument(argument, path, level))
            setSoundtrackVolume(path, level);
    }
}
