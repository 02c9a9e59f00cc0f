// The show's timeline: when each scene plays and when the show ends, in ms of show time. The
// schedule, the capture's replay, the benchmarks and the soundtrack's sections all read it.
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
