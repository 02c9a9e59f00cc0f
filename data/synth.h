// The soundtrack's instruments: note voices with envelopes and filters, synthesised drums and a
// noise riser, all writing into a mix bus whose reverb and delay sends are processed at the end.
#pragma once

#include "data/audio.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The dry stereo mix plus the stereo sends of the two effects; voices add into it.
struct MixBus {
    explicit MixBus(std::size_t frames);
    std::size_t frames() const { return dry.left.size(); }
    // Adds one frame of a voice to the dry mix and, scaled by the two levels, to the sends.
    void add(std::size_t frame, double left, double right, double reverbLevel, double delayLevel);
    StereoSignal dry;
    StereoSignal reverbSend;
    StereoSignal delaySend;
};

// A gain that moves over time (a fade, the ducking under the kick), one value every
// controlFrames samples, read with linear interpolation.
constexpr std::size_t controlFrames = 64;
struct GainCurve {
    std::vector<double> values;
    double at(std::size_t frame) const;
};

enum class Waveform { saw, square, bell };

// One instrument's sound. Times in seconds, frequencies in hertz, pitches in MIDI semitones.
struct Patch {
    Waveform waveform = Waveform::saw;
    int unison = 1;            // oscillators per note, detuned and spread across the stereo field
    double detuneCents = 0.0;  // spread between the outermost oscillators
    double width = 0.0;        // 1 puts the outermost oscillators hard left and right
    double subLevel = 0.0;     // sine one octave below the note
    double drive = 0.0;        // soft saturation of the oscillators' sum (0: none): rounds the
                               // peaks where detuned oscillators meet in phase
    double attack = 0.005;
    double decay = 0.2;
    double sustain = 1.0;      // level held after the decay, 0..1
    double release = 0.05;     // quadratic fall to silence after the note ends
    double cutoff = 20000.0;   // low-pass cutoff at rest
    double envCutoff = 0.0;    // added at the note's start (times velocity), decaying away
    double cutoffDecay = 0.2;
    double resonance = 0.0;    // 0..1
    double vibratoCents = 0.0;
    double vibratoRate = 5.0;
    double vibratoDelay = 0.3; // vibrato fades in after this long
    double level = 1.0;
    double reverbSend = 0.0;
    double delaySend = 0.0;
};

struct Note {
    double start;    // seconds
    double length;   // seconds until release
    double pitch;    // MIDI note number
    double velocity; // 0..1
};

// Renders every note with the patch; `gain` (may be null) scales the part over time. The seed
// sets the oscillators' start phases.
void renderNotes(const Patch& patch, const std::vector<Note>& notes, const GainCurve* gain,
                 std::uint64_t seed, MixBus& bus);

enum class Drum { kick, boom, snare, closedHat, openHat, crash };

struct Hit {
    double time; // seconds
    Drum drum;
    double velocity; // 0..1
};

void renderDrums(const std::vector<Hit>& hits, std::uint64_t seed, MixBus& bus);

// Band-passed noise sweeping up from 250 Hz to `topHz` between `start` and `end`, swelling to
// `level`: the build's riser.
void renderRiser(double start, double end, double topHz, double level, std::uint64_t seed, MixBus& bus);

// The pumping gain of parts that duck under the kick: down by `depth` at each kick, recovering
// over about a beat.
GainCurve duckingCurve(const std::vector<Hit>& hits, double depth, std::size_t frames);

// Runs the sends through the ping-pong delay (whose echoes also feed the reverb) and the
// reverb, and returns dry plus both returns.
StereoSignal mixDown(MixBus& bus, double delaySeconds);
