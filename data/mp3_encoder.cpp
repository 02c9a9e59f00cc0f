// Encoding the soundtrack as an MP3 through libmp3lame.
#include "data/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct LameCloser {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

void check(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(std::string("mp3 encoder: ") + what + " failed");
}

} // namespace

std::vector<std::uint8_t> encodeMp3(const StereoSignal& signal)
{
    std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    check(lame != nullptr, "lame_init");
    lame_global_flags* flags = lame.get();
    lame_set_num_channels(flags, 2);
    lame_set_in_samplerate(flags, sampleRate);
    lame_set_out_samplerate(flags, sampleRate);
    lame_set_brate(flags, 192);
    lame_set_VBR(flags, vbr_off);
    lame_set_mode(flags, JOINT_STEREO);
    lame_set_quality(flags, 2);
    // The tag frame is written by us below; an automatic ID3 tag would push it off the start.
    lame_set_write_id3tag_automatic(flags, 0);
    lame_set_bWriteVbrTag(flags, 1);
    check(lame_init_params(flags) >= 0, "lame_init_params");

    constexpr int chunk = 8192;
    std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
    std::vector<std::uint8_t> out;
    const std::size_t frames = signal.left.size();
    for (std::size_t first = 0; first < frames; first += chunk) {
        const int count = int(std::min<std::size_t>(chunk, frames - first));
        const int written = lame_encode_buffer_ieee_double(flags, &signal.left[first], &signal.right[first], count,
                                                           buffer.data(), int(buffer.size()));
        check(written >= 0, "lame_encode_buffer_ieee_double");
        out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    }
    const int flushed = lame_encode_flush(flags, buffer.data(), int(buffer.size()));
    check(flushed >= 0, "lame_encode_flush");
    out.insert(out.end(), buffer.begin(), buffer.begin() + flushed);

    // LAME opened the stream with a placeholder frame of the tag's size; the final tag, with
    // the frame count and the encoder delay and padding, goes over it.
    const std::size_t tagSize = lame_get_lametag_frame(flags, buffer.data(), buffer.size());
    check(tagSize > 0 && tagSize <= buffer.size() && tagSize <= out.size(), "lame_get_lametag_frame");
    std::copy(buffer.begin(), buffer.begin() + std::ptrdiff_t(tagSize), out.begin());
    return out;
}
