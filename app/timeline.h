// The show's timeline, in ms of show time: when each scene plays, when the show ends, and the
// moments within the scenes that the picture and the music share. The schedule, the scenes, the
// light ring, the capture's replay, the benchmarks and the soundtrack all read it.
#pragma once

#include <cstdint>

// A moment or a stretch of show time, in ms. The clock's own reading of the elapsed time is the
// one unsigned form (it wraps with the timer); every moment on the timeline is one of these.
using ShowMs = std::int32_t;

struct SceneSpan {
    int scene;
    ShowMs startMs; // first show time of the scene
    ShowMs endMs;   // first show time after it
};

inline constexpr SceneSpan sceneSpans[] = {
    {1, 0, 25000}, {2, 25000, 42000}, {3, 42000, 67000}, {4, 67000, 92000}, {5, 92000, 114800},
};
inline constexpr int sceneCount = int(sizeof sceneSpans / sizeof sceneSpans[0]);

// 114800, not 115000: the frame that reaches it ends the show.
inline constexpr ShowMs showEndMs = sceneSpans[sceneCount - 1].endMs;

// The scene number the schedule gives from showEndMs on: the show has ended.
inline constexpr int endScene = sceneCount + 1;

constexpr const SceneSpan& sceneSpan(int scene) { return sceneSpans[scene - 1]; }
constexpr ShowMs sceneStartMs(int scene) { return sceneSpan(scene).startMs; }

// Whether a moment lies within a scene's span.
constexpr bool withinScene(ShowMs ms, int scene)
{
    return ms >= sceneSpan(scene).startMs && ms < sceneSpan(scene).endMs;
}

// The moments within the scenes that the picture and the music share, each typed once here.
// Scene 1's fade, the ring's closing and the white light are timed by these constants (scenes/,
// the light ring); the reveal, the rush and the sphere's going are where the camera paths put
// them, noted here for the music (app/visual_events.h lists them for the soundtrack).

// Scene 1 starts fading to black; the fade is opaque at the scene's end.
inline constexpr ShowMs fadeToBlackMs = 20000;
// Scene 3: the sphere draws back and the nebula opens around it (43.5-44 s).
inline constexpr ShowMs revealMs = 44000;
// Scene 4: the camera rushes through the spirals, the largest motion of the show.
inline constexpr ShowMs rushStartMs = 76000;
inline constexpr ShowMs rushEndMs = 81000;
// Scene 5: the light ring starts closing in on the sphere, and has shrunk to nothing (the lights
// are gone inside) at ringClosedMs.
inline constexpr ShowMs ringClosingMs = 105000;
inline constexpr ShowMs ringClosedMs = 109000;
// Scene 5: the sphere's sharp dark disc is gone from the ripple's centre.
inline constexpr ShowMs sphereGoneMs = 111300;
// Scene 5: light 0 turns white for the ripple surface after this moment.
inline constexpr ShowMs whiteLightMs = 112000;

namespace timelineChecks {
constexpr bool contiguous()
{
    if (sceneSpans[0].startMs != 0)
        return false;
    for (int i = 0; i < sceneCount; ++i) {
        if (sceneSpans[i].scene != i + 1 || sceneSpans[i].endMs <= sceneSpans[i].startMs)
            return false;
        if (i > 0 && sceneSpans[i].startMs != sceneSpans[i - 1].endMs)
            return false;
    }
    return true;
}
static_assert(contiguous(), "scenes follow one another from 0 with no gap");
} // namespace timelineChecks
