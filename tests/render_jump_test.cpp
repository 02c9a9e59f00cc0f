// A jump inside a running show lands on the frame a run carries into the new moment: after the
// show has drawn other moments, the jump's rebuild (the GL state put back as a fresh context has
// it, then the replay a start part-way through uses) draws, byte for byte, the frame that a fresh
// context replayed to that moment draws, which is showcap's frame there.
#include "support/offscreen_fixture.h"

#include "app/replay.h"

#include <string>

namespace {

struct JumpCase {
    const char* why;
    std::uint32_t fromMs;
    std::uint32_t toMs;
    bool staleWithoutRebuild; // what the request flags alone would show differs from the run
    bool staleWithoutReset;   // the replay alone, on the GL state the later scenes left, differs
};

class JumpRender : public OffscreenTestOf<320, 180> {
protected:
    // The jump from `fromMs` to `toMs` against a fresh run at `toMs`, and the two ways of
    // jumping that would be wrong against it.
    static void expectJumpLandsOnTheRun(const JumpCase& c)
    {
        SCOPED_TRACE(c.why);
        reopen();
        replayRunUntil(c.toMs, showReplayFramesPerSecond);
        const Image run = renderShowFrame(c.toMs);

        reopen();
        playUpTo(c.fromMs);
        const Image unbuilt = renderShowFrame(c.toMs);

        reopen();
        playUpTo(c.fromMs);
        replayShowUntil(c.toMs);
        const Image unreset = renderShowFrame(c.toMs);

        reopen();
        playUpTo(c.fromMs);
        rebuildRunAt(c.toMs);
        const Image jumped = renderShowFrame(c.toMs);

        EXPECT_TRUE(jumped.rgb == run.rgb) << "the jump did not land on the run's frame";
        EXPECT_EQ(unbuilt.rgb != run.rgb, c.staleWithoutRebuild);
        EXPECT_EQ(unreset.rgb != run.rgb, c.staleWithoutReset);
    }

    // A fresh context: the show's GL state as initDrawing leaves it, nothing carried.
    static void reopen()
    {
        closeOffscreen();
        std::string reason;
        ASSERT_TRUE(openOffscreen(frameWidth, frameHeight, reason)) << reason;
    }

    // Plays the show at 60 fps for the half second before `showTimeMs`, from a start there.
    static void playUpTo(std::uint32_t showTimeMs)
    {
        const std::uint32_t startMs = showTimeMs - 500;
        replayShowUntil(startMs);
        for (std::uint32_t t = startMs; t <= showTimeMs; t += 1000 / 60)
            renderShowFrame(t);
    }
};

// Two cases that between them show both faults run in the quick loop; the rest, each drawing
// four runs from fresh contexts, run with the end-to-end tier (JumpRenderEveryCase).
const JumpCase quickCases[] = {
    {"forward over scene 3's end: scene 4 flies from the x scene 3 left", 60000, 70000, true, false},
    {"back from scene 5 to scene 2's first frame, drawn on the lights and material scene 1 left",
     95000, 25000, true, true},
};
const JumpCase moreCases[] = {
    {"back from scene 4 into scene 3: its eye z is scene 4's travel unless rebuilt", 70000, 60000, true, false},
    {"back from the ring's end to the middle of its closing: the radius comes back", 110000, 107000, true, false},
    {"back from scene 5 to scene 3's first frame", 95000, 42000, true, false},
    {"forward from scene 1 into the ripple surface", 5000, 100000, true, false},
};

class JumpRenderEveryCase : public JumpRender {};

TEST_F(JumpRender, AJumpDrawsTheFrameAFreshRunCarriesIntoThatMoment)
{
    for (const JumpCase& c : quickCases)
        expectJumpLandsOnTheRun(c);
}

TEST_F(JumpRenderEveryCase, AJumpDrawsTheFrameAFreshRunCarriesIntoThatMoment)
{
    for (const JumpCase& c : moreCases)
        expectJumpLandsOnTheRun(c);
}

} // namespace
