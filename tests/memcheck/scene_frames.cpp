// Draws one small frame of each scene through the offscreen renderer and exits: the program that
// scripts/memcheck.sh runs under valgrind, where every frame of llvmpipe is slow. Run from the
// folder holding iroiro/; needs an X display.
#include "app/frame.h"
#include "capture/offscreen.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// One show time inside each scene, in order, so each scene starts from what the one before
// handed on; scene 5's is past 112 s, where every one of its elements is drawn.
constexpr std::uint32_t frameTimesMs[] = {
    12000, sceneStartMs(2) + 8000, sceneStartMs(3) + 12000, sceneStartMs(4) + 12000, 113000};

} // namespace

int main()
{
    std::string reason;
    if (!openOffscreen(80, 64, reason)) {
        std::fprintf(stderr, "memcheck_frames: %s\n", reason.c_str());
        return 1;
    }
    std::vector<std::uint8_t> rgb;
    for (std::uint32_t ms : frameTimesMs) {
        if (!renderOffscreenFrame(ms)) {
            std::fprintf(stderr, "memcheck_frames: frame at %u ms not drawn\n", unsigned(ms));
            closeOffscreen();
            return 1;
        }
        readOffscreenPixels(rgb);
    }
    closeOffscreen();
    return 0;
}
