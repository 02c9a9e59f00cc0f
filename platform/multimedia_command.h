// Reading the multimedia command strings (multimedia.h): shared by the platforms' layers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Far more than any soundtrack of a few minutes takes, even at the highest bit rate.
constexpr std::size_t maxSoundtrackBytes = std::size_t(64) << 20;

// True when the bytes start as an MP3 does: an ID3v2 tag, or an MPEG audio frame header (sync
// bits, a layer, a usable bit rate and sampling rate).
bool startsLikeMp3(const std::vector<std::uint8_t>& head);

// Splits "<path> from <ms>" into the path and the position; without the suffix (or with one that
// is not a plain count of milliseconds, which then belongs to the path) it plays from 0. Returns
// whether there was a position.
bool splitPlayArgument(const char* argument, std::string& path, int& fromMs);

// The loudest level of "setaudio <path> volume to <level>": levels run from 0 (silent) to this,
// the sound as the file has it, as in the Windows multimedia command strings.
constexpr int fullVolumeLevel = 1000;

// Splits "<path> volume to <level>" into the path and a level in [0, fullVolumeLevel]; false (the
// command is dropped) without that suffix or with a level that is not a count in that range.
bool splitVolumeArgument(const char* argument, std::string& path, int& level);

// The argument after "<word> ", or null when the command starts with another word.
const char* argumentOf(const char* command, const char* word);
