// The moments the picture and the music share: the scenes and the soundtrack compute where they
// turn from the same moment on the timeline, so moving that moment moves both.
#include "app/visual_events.h"
#include "data/soundtrack.h"
#include "scenes/scenes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Where each side turns for a given moment, in ms of show time.
struct SharedTurn {
    const char* what;
    ShowMs moment;                    // its place on the timeline
    double (*pictureTurnsAt)(ShowMs); // as the scene computes it
    double (*musicTurnsAt)(ShowMs);   // as the soundtrack computes it
};

const SharedTurn sharedTurns[] = {
    {"scene 1's fade to black", fadeToBlackMs,
     [](ShowMs moment) { return sceneStartMs(1) + scene1FadeStartMs(moment); },
     [](ShowMs moment) { return openingFadeStart(moment) * 1000.0; }},
    {"the white light", whiteLightMs,
     [](ShowMs moment) { return double(scene5WhiteLightAfterMs(moment)); },
     [](ShowMs moment) { return whiteLightBloomStart(moment) * 1000.0; }},
};

} // namespace

TEST(SharedMoments, PictureAndMusicTurnTogetherWhereverTheMomentLies)
{
    // The moment as it stands, and moved either way within its scene: a side that typed its own
    // time would stay behind.
    for (const SharedTurn& turn : sharedTurns) {
        for (ShowMs shift : {0, -1500, 700}) {
            const ShowMs moment = turn.moment + shift;
            EXPECT_EQ(turn.pictureTurnsAt(moment), double(moment)) << turn.what << " moved by " << shift << " ms";
            EXPECT_EQ(turn.musicTurnsAt(moment), double(moment)) << turn.what << " moved by " << shift << " ms";
        }
    }
}

TEST(SharedMoments, SceneOnesFadeIsOpaqueExactlyAtTheCutWhereverItStarts)
{
    // The music fades to a tenth by the same cut; the picture must be black there, not before
    // (a hard edge) or after (scene 2 would open on a grey veil).
    for (ShowMs shift : {0, -1500, 700}) {
        const ShowMs moment = fadeToBlackMs + shift;
        const double opaqueAt = scene1FadeStartMs(moment) + 1.0 / scene1FadePerMs(moment);
        EXPECT_NEAR(opaqueAt, double(sceneSpan(1).endMs - sceneStartMs(1)), 1e-9) << "fade from " << moment << " ms";
    }
}
