// Multimedia commands carried out by the Windows multimedia command strings (mciSendStringA),
// with no reply buffer and no notification window, the result discarded: failures are silent.
#include "platform/multimedia_device.h"

#include "platform/win/text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

namespace {

std::string openedPath;   // the soundtrack's path as the show names it (UTF-8)
std::string openedDevice; // the device it was opened as, closed before the process ends
bool playedSinceOpen = false;

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
std::string quoted(const std::string& path)
{
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

// The device a path names in the command strings: the path in the ANSI code page, as it was.
// A path the code page cannot hold (a folder named in Japanese on a Western Windows) cannot go
// through mciSendStringA whole: the working folder is then moved to the file's folder (the wide
// call takes any name) and the device is the file's own name, which the show's data files keep
// in plain ASCII. The working folder rather than the folder's 8.3 short name, which Windows
// does not make on volumes where short names are switched off.
std::string deviceFor(const std::string& path)
{
    std::string ansi;
    if (ansiFromUtf8(path, ansi))
        return quoted(ansi);
    const std::size_t separator = path.find_last_of("\\/");
    std::string name;
    if (separator == std::string::npos || !ansiFromUtf8(path.substr(separator + 1), name) ||
        !SetCurrentDirectoryW(wideFromUtf8(path.substr(0, separator + 1)).c_str()))
        return quoted(ansi);
    return quoted(name);
}

std::string deviceName(const std::string& path)
{
    if (!openedDevice.empty() && path == openedPath)
        return openedDevice;
    std::string ansi;
    ansiFromUtf8(path, ansi);
    return quoted(ansi);
}

} // namespace

bool soundDeviceReady()
{
    return true;
}

// MCI opens the file by its path: the dispatch has already checked it is a regular file of a
// bounded size that starts as an MP3 does, so a FIFO or a device in its place never reaches MCI.
void openSoundtrack(const std::string& path, std::vector<std::uint8_t>&)
{
    closeSoundtrack();
    const std::string device = deviceFor(path);
    sendCommandString("Open " + device);
    // Positions in "play ... from" are milliseconds.
    sendCommandString("set " + device + " time format milliseconds");
    openedPath = path;
    openedDevice = device;
    playedSinceOpen = false;
    static const bool registered = std::atexit(closeSoundtrack) == 0;
    (void)registered;
}

void playSoundtrack(const std::string& path, int fromMs, bool positioned)
{
    // The first play after the open goes as it came. A later "Play <path>" (back to the start, a
    // loop) plays from the start as the interface says, where MCI's bare play would go on from
    // the device's position.
    const bool from = positioned || playedSinceOpen;
    sendCommandString("Play " + deviceName(path) + (from ? " from " + std::to_string(fromMs) : ""));
    playedSinceOpen = true;
}

void pauseSoundtrack(const std::string& path)
{
    sendCommandString("Pause " + deviceName(path));
}

void resumeSoundtrack(const std::string& path)
{
    sendCommandString("Resume " + deviceName(path));
}

// MCI's own command, with its own scale of 0 to 1000 (the MPEG player's devices take it; others
// ignore it, and the sound stays as it was).
void setSoundtrackVolume(const std::string& path, int level)
{
    sendCommandString("setaudio " + deviceName(path) + " volume to " + std::to_string(level));
}
