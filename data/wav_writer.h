// Encoding a signal as a WAV file of 32-bit float samples, for the soundtrack's stems.
#pragma once

#include "data/audio.h"

#include <cstdint>
#include <vector>

// The bytes of a stereo WAV at sampleRate holding the signal as 32-bit IEEE floats, full scale
// at +/-1 and nothing clipped: RIFF header, "fmt " chunk (format 3), "fact" and "data" chunks.
std::vector<std::uint8_t> encodeWav(const StereoSignal& signal);
