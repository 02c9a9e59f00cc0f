// What the picture does and when, beside the timeline: the cuts between scenes and the moments
// within them that the eye follows. The soundtrack is edited to this list (data/soundtrack.cpp
// places its sections, dynamics and accents by it), so a change of timing here moves the music
// with the picture. Times in ms of show time.
#pragma once

#include "app/timeline.h"
#include "elements/light_ring.h"

#include <cstddef>

enum class VisualEventKind {
    cut,            // one scene gives way to the next
    reveal,         // a new backdrop comes into view
    rushStart,      // the camera's fastest motion begins
    rushEnd,
    ringClosing,    // the light ring starts closing in on the sphere
    ringClosed,     // the ring has shrunk to nothing: the lights are gone inside
    sphereVanishes, // the sphere has sunk under the ripple surface
    whiteLight,     // the surface's light turns white
};

struct VisualEvent {
    VisualEventKind kind;
    int ms;
    // Whether the whole frame changes at once, several times as much as in the seconds around
    // it (a visible cut): only such moments, and the reveal, take a cymbal.
    bool frameChanges;
};

inline constexpr VisualEvent visualEvents[] = {
    // From black to scene 2's sky and cubes.
    {VisualEventKind::cut, sceneStartMs(2), true},
    // From scene 2's fade to black to a sphere that fills the screen.
    {VisualEventKind::cut, sceneStartMs(3), true},
    // The sphere draws back and the nebula opens around it (43.5-44 s).
    {VisualEventKind::reveal, 44000, false},
    // Scene 4 opens on the view scene 3 ended on: a cut nobody sees.
    {VisualEventKind::cut, sceneStartMs(4), false},
    // The camera rushes through the spirals, the largest motion of the show.
    {VisualEventKind::rushStart, 76000, false},
    {VisualEventKind::rushEnd, 81000, false},
    // Scene 5 opens dark, as scene 4 ended: not seen either.
    {VisualEventKind::cut, sceneStartMs(5), false},
    {VisualEventKind::ringClosing, ringShrinkStartMs, false},
    // The ring loses one unit of its radius every 16 ms.
    {VisualEventKind::ringClosed, ringShrinkStartMs + int(fullRingRadius) * 16, false},
    // The sphere's sharp dark disc is gone from the ripple's centre.
    {VisualEventKind::sphereVanishes, 111300, false},
    {VisualEventKind::whiteLight, 112000, false},
};

// The time of the first event of a kind (every kind is listed).
constexpr int visualEventMs(VisualEventKind kind)
{
    for (const VisualEvent& event : visualEvents) {
        if (event.kind == kind) {
            return event.ms;
        }
    }
    return -1;
}

namespace visualEventChecks {
constexpr bool inOrderWithinTheShow()
{
    for (std::size_t i = 0; i < sizeof visualEvents / sizeof visualEvents[0]; ++i) {
        if (visualEvents[i].ms < 0 || visualEvents[i].ms >= showEndMs)
            return false;
        if (i > 0 && visualEvents[i].ms < visualEvents[i - 1].ms)
            return false;
    }
    return true;
}
static_assert(inOrderWithinTheShow(), "visual events lie within the show, in order");
} // namespace visualEventChecks
