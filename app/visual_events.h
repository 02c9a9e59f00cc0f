// The moments of the timeline (app/timeline.h) as the music follows them: the cuts between scenes
// and the moments within them that the eye follows, with whether each changes the whole frame.
// The soundtrack is edited to this list (data/soundtrack.cpp places its sections, dynamics and
// accents by it), so a change of timing on the timeline moves the music with the picture.
#pragma once

#include "app/timeline.h"

#include <cstddef>

enum class VisualEventKind {
    cut,            // one scene gives way to the next
    fadeToBlack,    // the picture starts fading to black
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
    int scene; // the scene it happens in; a cut belongs to the scene it opens
    ShowMs ms;
    // Whether the whole frame changes at once, several times as much as in the seconds around
    // it (a visible cut): only such moments, and the reveal, take a cymbal.
    bool frameChanges;
};

inline constexpr VisualEvent visualEvents[] = {
    // Scene 1's white sparkles fade out: the picture changes slowly.
    {VisualEventKind::fadeToBlack, 1, fadeToBlackMs, false},
    // From black to scene 2's sky and cubes.
    {VisualEventKind::cut, 2, sceneStartMs(2), true},
    // From scene 2's fade to black to a sphere that fills the screen.
    {VisualEventKind::cut, 3, sceneStartMs(3), true},
    {VisualEventKind::reveal, 3, revealMs, false},
    // Scene 4 opens on the view scene 3 ended on: a cut nobody sees.
    {VisualEventKind::cut, 4, sceneStartMs(4), false},
    {VisualEventKind::rushStart, 4, rushStartMs, false},
    {VisualEventKind::rushEnd, 4, rushEndMs, false},
    // Scene 5 opens dark, as scene 4 ended: not seen either.
    {VisualEventKind::cut, 5, sceneStartMs(5), false},
    {VisualEventKind::ringClosing, 5, ringClosingMs, false},
    {VisualEventKind::ringClosed, 5, ringClosedMs, false},
    {VisualEventKind::sphereVanishes, 5, sphereGoneMs, false},
    {VisualEventKind::whiteLight, 5, whiteLightMs, false},
};

namespace visualEventChecks {
constexpr bool inOrderEachWithinItsScene()
{
    for (std::size_t i = 0; i < sizeof visualEvents / sizeof visualEvents[0]; ++i) {
        const VisualEvent& event = visualEvents[i];
        if (event.scene < 1 || event.scene > sceneCount || !withinScene(event.ms, event.scene))
            return false;
        if (event.kind == VisualEventKind::cut && event.ms != sceneStartMs(event.scene))
            return false;
        if (i > 0 && event.ms < visualEvents[i - 1].ms)
            return false;
    }
    return true;
}
static_assert(inOrderEachWithinItsScene(),
              "visual events lie within their scenes, in order, and every cut opens its scene");
} // namespace visualEventChecks
