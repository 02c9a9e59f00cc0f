// The show's soundtrack, composed in code for its timeline and edited to what the picture does
// (app/visual_events.h): one theme at one tempo, heard at once as a hook, then slow in scene 1
// and rising into the drop where scene 2 lands with it, growing through scene 3, stated in
// scene 4 with the band stopping for a fill before the cut and before the rush, returning over
// the build while the light ring closes in (the loudest part), and a closing chord as the
// sphere sinks out of sight.
#pragma once

#include "app/visual_events.h"
#include "data/audio.h"

#include <vector>

// One instrument group's track: its notes with their own reverb and echo, shaped by the show's
// arc and scaled by the master's gain, as it reaches the master's limiter.
struct SoundtrackStem {
    const char* name; // drums, pads, bass, arpeggio, melody
    StereoSignal signal;
};

// The whole soundtrack at 44.1 kHz, mixed and mastered to -14 LUFS with true peaks below
// -1 dBTP; silent after the show's end. With `stems`, also each instrument group's
// track: they add up to the mix as it enters the limiter, so the mix divided by their sum is
// the limiter's gain.
StereoSignal composeSoundtrack(std::vector<SoundtrackStem>* stems = nullptr);

// Where the music turns with the picture, in seconds of show time, each computed from its moment
// on the timeline (and taking the moment as a parameter, so that a check can move it and hear
// the music follow). Scene 1's music starts fading with its picture; the closing chord's ninth
// blooms as the light turns white.
constexpr double openingFadeStart(ShowMs fadeMs = fadeToBlackMs)
{
    return fadeMs / 1000.0;
}
constexpr double whiteLightBloomStart(ShowMs whiteMs = whiteLightMs)
{
    return whiteMs / 1000.0;
}
