// Mastering of the finished mix: loudness measured as BS.1770 does (K-weighting, gated 400 ms
// blocks), true peaks estimated by 4x oversampling, and a look-ahead limiter that holds them.
#pragma once

#include "data/audio.h"

// Scales the signal to `targetLufs` integrated loudness, keeping its true peaks at or below
// `ceilingDbtp` with a smooth look-ahead gain rather than clipping. Returns the gain applied
// ahead of the limiter: the signal times it is what the limiter received.
double masterToLoudness(StereoSignal& signal, double targetLufs, double ceilingDbtp);
