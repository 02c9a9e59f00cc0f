// Multimedia commands carried out by the Windows multimedia command strings (mciSendStringA),
// with no reply buffer and no notification window, the result discarded: failures are silent.
#include "app/platform/multimedia.h"

#include "app/platform/file_read.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

namespace {

// Far more than any soundtrack of a few minutes takes, even at the highest bit rate.
constexpr std::size_t maxSoundtrackBytes = std::size_t(64) << 20;

std::string openedDevice; // the device opened last, closed before the process ends

void sendCommandString(const std::string& command)
{
    mciSendStringA(command.c_str(), nullptr, 0, nullptr);
}

// Ending the process while MCI plays can crash it inside the player's threads: the soundtrack is
// closed on the way out, however the show ends through exit.
void closeSoundtrack()
{
    if (!openedDevice.empty())
        sendCommandString("close " + openedDevice);
    openedDevice.clear();
}

// MCI takes a command's first word as the device: a path holding a space is quoted. Any other
// path stays as it was given, so the command strings are the show's own.
std::string deviceName(const std::string& path)
{
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

// Only a regular file of a bounded size that starts as an MP3 does (an ID3v2 tag or an MPEG
// audio frame header) is handed to MCI: a FIFO or a device in the soundtrack's place never is.
bool isSoundtrackFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    if (readRegularFile(path.c_str(), maxSoundtrackBytes, bytes) != FileRead::ok || bytes.size() < 4)
        return false;
    if (bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3')
        return true;
    return bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0 && (bytes[1] & 0x06) != 0 && (bytes[2] & 0xF0) != 0xF0 &&
           (bytes[2] & 0x0C) != 0x0C;
}

// Splits " from <ms>" off the end of a play command's argument into `suffix`; a suffix that is
// not a plain count of milliseconds belongs to the path.
void splitFrom(std::string& path, std::string& suffix)
{
    const std::size_t marker = path.rfind(" from ");
    if (marker == std::string::npos)
        return;
    const std::string digits = path.substr(marker + 6);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return;
    suffix = path.substr(marker);
    path.resize(marker);
}

} // namespace

void sendMultimediaCommand(const char* command)
{
    if (!command)
        return;
    const char* space = std::strchr(command, ' ');
    if (!space)
        return;
    const std::string verb(command, space);
    std::string path = space + 1;
    std::string suffix;
    if (verb == "Open") {
        if (!isSoundtrackFile(path))
            return;
        closeSoundtrack();
        sendCommandString(verb + " " + deviceName(path));
        // Positions in "play ... from" are milliseconds.
        sendCommandString("set " + deviceName(path) + " time format milliseconds");
        openedDevice = deviceName(path);
        static const bool registered = std::atexit(closeSoundtrack) == 0;
        (void)registered;
        return;
    }
    if (verb == "Play")
        splitFrom(path, suffix);
    else if (verb != "Pause" && verb != "Resume" && verb != "Close")
        return;
    sendCommandString(verb + " " + deviceName(path) + suffix);
}
