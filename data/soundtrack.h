// The show's soundtrack, composed in code for its timeline: one theme at one tempo, slow in
// scene 1, growing through scenes 2 and 3, stated in scene 4, returning over the build from
// 105 s (the loudest part), and a closing chord at 112 s.
#pragma once

#include "data/audio.h"

// The whole soundtrack at 44.1 kHz, mixed and mastered to -14 LUFS with true peaks below
// -1 dBTP; silent after the show's end at 114.8 s.
StereoSignal composeSoundtrack();
