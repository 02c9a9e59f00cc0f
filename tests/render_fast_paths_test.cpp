// The show's fast paths against the plain forms they replace, on whole frames drawn by the real
// frame path: every pixel must be the same, or the speed-up has changed the picture.
#include "support/offscreen_fixture.h"

#include "capture/replay.h"
#include "elements/ripple_surface.h"

#include <cstdint>

namespace {

class FastPathPixels : public OffscreenTest {
protected:
    void TearDown() override { setRippleComputation(RippleComputation::sharedHeights); }

    // The frame at `showTimeMs` of a 60 fps run, drawn with the ripple computed as given.
    static Image frameWith(RippleComputation computation, std::uint32_t showTimeMs)
    {
        setRippleComputation(computation);
        EXPECT_TRUE(replayRunUntil(showTimeMs, 60));
        return renderShowFrame(showTimeMs);
    }
};

TEST_F(FastPathPixels, SharedRippleHeightsChangeAPixelOfScene5)
{
    // The sheet far below, the sphere sinking through it, the ring closing in, light 0 turned
    // white, and the last frame of the show.
    for (std::uint32_t showTimeMs : {92000u, 101234u, 107777u, 110600u, 112001u, 114799u}) {
        const Image plain = frameWith(RippleComputation::byStrips, showTimeMs);
        const Image fast = frameWith(RippleComputation::sharedHeights, showTimeMs);
        ASSERT_GT(plain.totalBrightness(), 0) << "nothing drawn at " << showTimeMs;
        std::size_t differing = 0;
        for (std::size_t i = 0; i < plain.rgb.size(); ++i)
            differing += plain.rgb[i] != fast.rgb[i];
        EXPECT_EQ(differing, 0u) << "bytes differing at " << showTimeMs;
    }
}

} // namespace
