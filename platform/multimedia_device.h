// What each system's sound device does for the multimedia commands (multimedia.h). The shared
// dispatch (multimedia_command.cpp) reads the command strings and checks the soundtrack's file;
// these only act, each on one device addressed by the soundtrack's path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Readies the sound output where the system needs that before a file is opened; false when there
// is none, and the "Open" is dropped.
bool soundDeviceReady();

// Opens the soundtrack at `path`, whose whole file `bytes` holds (a regular file of a bounded
// size that starts as an MP3 does); the device may take the bytes over.
void openSoundtrack(const std::string& path, std::vector<std::uint8_t>& bytes);

// Plays the device from `fromMs`; `positioned` tells whether the command named the position.
void playSoundtrack(const std::string& path, int fromMs, bool positioned);

void pauseSoundtrack(const std::string& path);
void resumeSoundtrack(const std::string& path);

// Scales the device's sound by `level` / fullVolumeLevel (0: silent, fullVolumeLevel: as the file
// has it), from now on and for every later play, until the next level.
void setSoundtrackVolume(const std::string& path, int level);
