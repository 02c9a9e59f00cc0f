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

// The argument after "<word> ", or null when the command starts with another word.
const char* argumentOf(const char* command, const char* word);
