// The show's soundtrack, composed in code for its schedule: pads and bells over scene 1, the
// beat from scene 2, new layers at each scene change, a build from 105 s and a climax at 112 s.
#pragma once

#include "data/audio.h"

// The whole soundtrack at 44.1 kHz, mixed and mastered to -14 LUFS with true peaks below
// -1 dBTP; silent after the show's end at 114.8 s.
StereoSignal composeSoundtrack();
