// Encoding the soundtrack as an MP3 through libmp3lame.
#pragma once

#include "data/audio.h"

#include <cstdint>
#include <vector>

// The bytes of a 192 kbit/s constant-bit-rate MP3 of the signal, opening with the LAME tag
// frame so that decoders know the exact length and the encoder delay to trim.
std::vector<std::uint8_t> encodeMp3(const StereoSignal& signal);
