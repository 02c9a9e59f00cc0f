// Encoding a signal as a WAV file of 32-bit float samples.
#include "data/wav_writer.h"

#include <cstring>
#include <stdexcept>

namespace {

void putLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

void putTag(std::vector<std::uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

std::vector<std::uint8_t> encodeWav(const StereoSignal& signal)
{
    const std::size_t frames = signal.left.size();
    if (signal.right.size() != frames || frames > (0xFFFFFFFFu - 64u) / 8u)
        throw std::invalid_argument("signal not encodable as a stereo WAV file");
    const std::uint32_t dataBytes = std::uint32_t(frames * 8);
    constexpr std::uint32_t headerBytes = 12 + 26 + 12 + 8;
    std::vector<std::uint8_t> out;
    out.reserve(headerBytes + dataBytes);
    putTag(out, "RIFF");
    putLittleEndian(out, headerBytes - 8 + dataBytes, 4);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putLittleEndian(out, 18, 4);
    putLittleEndian(out, 3, 2); // IEEE float
    putLittleEndian(out, 2, 2); // channels
    putLittleEndian(out, sampleRate, 4);
    putLittleEndian(out, sampleRate * 8, 4); // bytes a second
    putLittleEndian(out, 8, 2);              // bytes a frame
    putLittleEndian(out, 32, 2);             // bits a sample
    putLittleEndian(out, 0, 2);              // no extension
    putTag(out, "fact");
    putLittleEndian(out, 4, 4);
    putLittleEndian(out, std::uint32_t(frames), 4);
    putTag(out, "data");
    putLittleEndian(out, dataBytes, 4);
    for (std::size_t n = 0; n < frames; ++n) {
        for (const double value : {signal.left[n], signal.right[n]}) {
            const float sample = float(value);
            std::uint32_t bits;
            std::memcpy(&bits, &sample, sizeof bits);
            putLittleEndian(out, bits, 4);
        }
    }
    return out;
}
