// The five scenes. Each runs inside renderFrame on a cleared frame with the identity modelview
// matrix, places its own camera and draws its elements in a fixed order from the GL state that
// the previous frame left.
#pragma once

#include "app/timeline.h"

void drawScene1(unsigned showTimeMs, double sceneTime);
void drawScene2(unsigned showTimeMs, double sceneTime);
void drawScene3(unsigned showTimeMs, double sceneTime);
void drawScene4(unsigned showTimeMs, double sceneTime);
void drawScene5(unsigned showTimeMs, double sceneTime);

// Scene 4's 48 fixed sparkles, each row at both its depths, in their own colours with lighting
// off; lighting is on again afterwards. Drawn inside the glow pass.
void drawSparkleField();

// The scenes' own timed changes, each computed from its moment on the timeline (and taking the
// moment as a parameter, so that a check can move it and see the picture follow).
// Scene 1's fade to black, in ms of scene time: it starts at the fade's moment and is opaque
// exactly at the scene's end.
constexpr double scene1FadeStartMs(ShowMs fadeMs = fadeToBlackMs)
{
    return double(fadeMs - sceneStartMs(1));
}
constexpr double scene1FadePerMs(ShowMs fadeMs = fadeToBlackMs)
{
    return 1.0 / double(sceneSpan(1).endMs - fadeMs);
}
// Scene 5 turns light 0 white for the ripple surface once the show time exceeds this.
constexpr unsigned scene5WhiteLightAfterMs(ShowMs whiteMs = whiteLightMs)
{
    return unsigned(whiteMs);
}
