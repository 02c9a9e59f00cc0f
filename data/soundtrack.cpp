// The show's soundtrack: its sections, chords, patterns and instruments, and the mix of them.
#include "data/soundtrack.h"

#include "data/mastering.h"
#include "data/noise.h"
#include "data/synth.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kLengthSeconds = 116.0; // the show ends at 114.8 s; the rest is silence
constexpr double kFadeStart = 114.3;
constexpr double kShowEnd = 114.8;
constexpr double kTargetLufs = -14.0;
// Below the -1 dBTP the file must keep, leaving room for what MP3 coding adds to the peaks.
constexpr double kCeilingDbtp = -2.5;
constexpr double kEchoSeconds = 0.390625; // a dotted eighth at the main tempo

// A stretch of the show with a whole number of 4/4 bars, so its tempo follows from its span
// and every change of scene falls on a downbeat. One chord letter a bar, as on a lead sheet.
struct Section {
    double start;
    double end;
    int bars;
    const char* chords;
};

enum SectionIndex { kIntro, kGroove, kLift, kDescent, kFinale, kClimax };

constexpr Section kSections[] = {
    {0.0, 25.0, 12, "AAAFFFDDDEEE"},  // scene 1: pads and bells, no beat, fading from 20 s
    {25.0, 42.0, 8, "AAFFCCGG"},      // scene 2: kick, hats and bass enter
    {42.0, 67.0, 12, "FGEAFGEAFGEA"}, // scene 3: snare and arpeggio
    {67.0, 92.0, 12, "AFCGAFCGAFCG"}, // scene 4: the lead melody over the full groove
    {92.0, 112.0, 10, "FFCCDDEFG7"},  // scene 5: breakdown, then the build from 105 s
    {112.0, 114.0, 1, "A"},           // the climax, closed by a last hit at 114 s
};

constexpr int kBuildBar = 7; // the finale's bars from here build towards the climax

struct Chord {
    char name;
    int bass;     // MIDI note of the bass line
    int tones[4]; // MIDI notes of the pad voicing
};

constexpr Chord kChords[] = {
    {'A', 45, {57, 60, 64, 71}}, // A minor 9
    {'F', 41, {53, 57, 60, 64}}, // F major 7
    {'C', 48, {55, 59, 62, 64}}, // C major 9
    {'G', 43, {57, 59, 62, 67}}, // G add 9
    {'E', 40, {55, 59, 62, 64}}, // E minor 7
    {'D', 38, {57, 60, 64, 65}}, // D minor 9
    {'7', 40, {56, 59, 62, 64}}, // E7, leading back to A minor
};

const Chord& chordAt(const Section& section, int bar)
{
    for (const Chord& chord : kChords) {
        if (chord.name == section.chords[bar]) {
            return chord;
        }
    }
    return kChords[0];
}

double beatSeconds(const Section& section)
{
    return (section.end - section.start) / (4.0 * section.bars);
}

double timeAt(const Section& section, double beat)
{
    return section.start + beat * beatSeconds(section);
}

std::size_t frameCount(double seconds)
{
    return static_cast<std::size_t>(std::llround(seconds * kSampleRate));
}

template <typename Gain>
GainCurve sampledCurve(std::size_t frames, Gain gain)
{
    GainCurve curve;
    curve.values.resize(frames / kControlFrames + 2);
    for (std::size_t i = 0; i < curve.values.size(); ++i) {
        curve.values[i] = gain(static_cast<double>(i * kControlFrames) / kSampleRate);
    }
    return curve;
}

// Scene 1 fades to black from 20 s; its music fades with it, to a tenth by 25 s and then out.
double introFade(double t)
{
    if (t < 20.0) {
        return 1.0;
    }
    if (t < 25.0) {
        const double c = std::cos(0.5 * kPi * (t - 20.0) / 5.0);
        return 0.1 + 0.9 * c * c;
    }
    return std::max(0.0, 0.1 * (1.0 - (t - 25.0) / 1.5));
}

// ---- Instruments, one row each, fields in the order of Patch: waveform, unison, detune (cents),
// width, sub level; attack, decay (s), sustain (level), release (s); cutoff, envelope cutoff (Hz),
// cutoff decay (s), resonance; vibrato (cents), rate (Hz), delay (s); level, reverb and delay sends.

constexpr Patch kPad = {Waveform::Saw, 5, 22.0, 0.9, 0.0, 0.4, 1.0, 1.0, 1.0,
                        2000.0, 0.0, 0.2, 0.1, 0.0, 5.0, 0.3, 0.24, 0.4, 0.0};
// Scene 1's pads swell in slowly and ring on into the reverb.
constexpr Patch kIntroPad = {Waveform::Saw, 5, 22.0, 0.9, 0.0, 2.5, 1.0, 1.0, 3.0,
                             850.0, 0.0, 0.2, 0.1, 0.0, 5.0, 0.3, 0.2, 0.7, 0.0};
constexpr Patch kBell = {Waveform::Bell, 2, 7.0, 0.7, 0.0, 0.002, 0.7, 0.0, 0.8,
                         7000.0, 0.0, 0.2, 0.0, 0.0, 5.0, 0.3, 0.25, 0.6, 0.35};
constexpr Patch kBass = {Waveform::Saw, 2, 8.0, 0.0, 0.45, 0.004, 0.25, 0.6, 0.06,
                         380.0, 1400.0, 0.09, 0.25, 0.0, 5.0, 0.3, 0.3, 0.0, 0.0};
constexpr Patch kArpeggio = {Waveform::Square, 2, 10.0, 0.7, 0.0, 0.002, 0.18, 0.0, 0.08,
                             700.0, 4000.0, 0.12, 0.35, 0.0, 5.0, 0.3, 0.3, 0.2, 0.35};
constexpr Patch kLead = {Waveform::Saw, 3, 14.0, 0.5, 0.0, 0.012, 0.4, 0.75, 0.2,
                         1400.0, 3000.0, 0.25, 0.2, 14.0, 5.5, 0.25, 0.36, 0.3, 0.25};

Patch padPatch(double cutoff)
{
    Patch p = kPad;
    p.cutoff = cutoff;
    return p;
}

// ---- Pads: one note per chord tone, held across repeated bars of the same chord.

std::vector<Note> padNotes(const Section& section, int firstBar, int endBar, bool withRoot)
{
    std::vector<Note> notes;
    for (int bar = firstBar; bar < endBar;) {
        int last = bar;
        while (last + 1 < endBar && section.chords[last + 1] == section.chords[bar]) {
            ++last;
        }
        const Chord& chord = chordAt(section, bar);
        const double start = timeAt(section, bar * 4.0);
        const double length = timeAt(section, (last + 1) * 4.0) - start;
        for (int tone : chord.tones) {
            notes.push_back({start, length, static_cast<double>(tone), 1.0});
        }
        if (withRoot) {
            notes.push_back({start, length, static_cast<double>(chord.bass), 1.0});
        }
        bar = last + 1;
    }
    return notes;
}

// ---- Bells: sparse, seeded eighth notes on the chord tones an octave up, over scene 1 and
// the breakdown.

std::vector<Note> bellNotes(const Section& section, int firstBar, int endBar, std::uint64_t seed)
{
    Random random(seed);
    std::vector<Note> notes;
    int index = 1;
    for (int bar = firstBar; bar < endBar; ++bar) {
        const Chord& chord = chordAt(section, bar);
        for (int step = 0; step < 8; ++step) {
            // Downbeats ring more often than the eighths between them.
            const double chance = step % 4 == 0 ? 0.8 : (step % 2 == 0 ? 0.45 : 0.25);
            if (random.uniform() >= chance) {
                continue;
            }
            index = (index + 1 + static_cast<int>(random.uniform() * 3.0)) % 6;
            const int pitch = chord.tones[index % 4] + 12 * (1 + index / 4);
            notes.push_back({timeAt(section, bar * 4.0 + step * 0.5), 1.0, static_cast<double>(pitch),
                             0.45 + 0.4 * random.uniform()});
        }
    }
    return notes;
}

// ---- Step patterns: sixteen steps a bar, one character a step.
//   bass: 'x' root, 'o' root an octave up, '-' holds the note before, '.' rest
//   arpeggio and drums: 'X' accent, 'x' normal, 'o' soft, '.' rest

struct StepLine {
    int section;
    int firstBar;
    int endBar;
    const char* steps;
};

double stepVelocity(char c)
{
    switch (c) {
    case 'X':
        return 1.0;
    case 'x':
        return 0.75;
    case 'o':
        return 0.45;
    default:
        return 0.0;
    }
}

// Velocity rising through the build, so the roll and the arpeggio swell into the climax.
double buildSwell(int section, double time)
{
    if (section != kFinale) {
        return 1.0;
    }
    const double start = timeAt(kSections[kFinale], kBuildBar * 4.0);
    return time < start ? 1.0 : 0.45 + 0.55 * (time - start) / (kSections[kFinale].end - start);
}

// Calls visit(chord, step, time) for each of the sixteen steps of every bar the line covers.
template <typename Visit>
void forEachStep(const StepLine& line, Visit visit)
{
    const Section& section = kSections[line.section];
    for (int bar = line.firstBar; bar < line.endBar; ++bar) {
        for (int i = 0; i < 16; ++i) {
            visit(chordAt(section, bar), i, timeAt(section, bar * 4.0 + i * 0.25));
        }
    }
}

constexpr StepLine kBassLines[] = {
    {kGroove, 0, 8, "..x-..x-..x-..x-"},
    {kLift, 0, 12, "x-.xx-o-x-.xx-o-"},
    {kDescent, 0, 12, "x--.x-o.x-.ox-o-"},
    {kFinale, 4, kBuildBar, "x---------------"}, // the breakdown opens on pads and bells alone
    {kFinale, kBuildBar, 10, "x-x-x-x-x-x-x-x-"},
    {kClimax, 0, 1, "x-o-x-o-x-o-x-o-"},
};

std::vector<Note> bassNotes()
{
    std::vector<Note> notes;
    for (const StepLine& line : kBassLines) {
        const double step = beatSeconds(kSections[line.section]) / 4.0;
        forEachStep(line, [&](const Chord& chord, int i, double start) {
            const char c = line.steps[i];
            if (c != 'x' && c != 'o') {
                return;
            }
            int held = 1;
            while (i + held < 16 && line.steps[i + held] == '-') {
                ++held;
            }
            notes.push_back({start, held * step * 0.85, chord.bass + (c == 'o' ? 12.0 : 0.0), 0.9});
        });
    }
    // The last hit at 114 s.
    notes.push_back({kSections[kClimax].end, 0.35, 45.0, 1.0});
    return notes;
}

// ---- Arpeggio: sixteenths walking up and down the chord over two octaves.

constexpr int kArpeggioOrder[16] = {0, 2, 4, 1, 3, 5, 2, 4, 6, 4, 3, 1, 5, 3, 2, 4};

constexpr StepLine kArpeggioLines[] = {
    {kLift, 0, 12, "XxoxXxoxXxoxXxox"},
    {kDescent, 0, 12, "XxxxXxxxXxxxXxxx"},
    {kFinale, 2, kBuildBar, "o.o.o.o.o.o.o.o."},
    {kFinale, kBuildBar, 10, "XxxxXxxxXxxxXxxx"},
    {kClimax, 0, 1, "XxxxXxxxXxxxXxxx"},
};

std::vector<Note> arpeggioNotes()
{
    std::vector<Note> notes;
    for (const StepLine& line : kArpeggioLines) {
        const double step = beatSeconds(kSections[line.section]) / 4.0;
        forEachStep(line, [&](const Chord& chord, int i, double start) {
            const double velocity = stepVelocity(line.steps[i]);
            if (velocity == 0.0) {
                return;
            }
            const int order = kArpeggioOrder[i];
            const double pitch = chord.tones[order % 4] + 12.0 * (1 + order / 4);
            notes.push_back({start, step * 0.9, pitch, velocity * buildSwell(line.section, start)});
        });
    }
    return notes;
}

// ---- Lead: a four-bar phrase over scene 4's A minor, F, C, G, played three times with a
// different last bar each time, then one long high A over the climax.

struct MelodyNote {
    double beat;
    double beats;
    int pitch;
};

constexpr MelodyNote kPhrase[] = {
    {0, 1.5, 76}, {1.5, 0.5, 72}, {2, 0.5, 74}, {2.5, 1.5, 76},               // A minor
    {4, 1, 81},   {5, 0.5, 79},   {5.5, 0.5, 77}, {6, 2, 76},                 // F
    {8, 1, 72},   {9, 0.5, 74},   {9.5, 0.5, 76}, {10, 1, 79}, {11, 1, 76},   // C
};

constexpr MelodyNote kPhraseEndings[3][3] = {
    {{12, 1.5, 74}, {13.5, 0.5, 71}, {14, 2, 74}}, // G: back down
    {{12, 1, 79}, {13, 1, 81}, {14, 2, 83}},       // G: reaching up
    {{12, 1, 74}, {13, 1, 76}, {14, 2, 79}},       // G: settling before the breakdown
};

std::vector<Note> leadNotes()
{
    const Section& descent = kSections[kDescent];
    const double beat = beatSeconds(descent);
    std::vector<Note> notes;
    const auto add = [&](const MelodyNote& m, double phraseStart) {
        // Short notes are detached a little; long ones are held.
        const double length = m.beats <= 0.5 ? m.beats * 0.85 : m.beats - 0.1;
        notes.push_back({timeAt(descent, phraseStart + m.beat), length * beat, static_cast<double>(m.pitch), 0.9});
    };
    for (int phrase = 0; phrase < 3; ++phrase) {
        for (const MelodyNote& m : kPhrase) {
            add(m, phrase * 16.0);
        }
        for (const MelodyNote& m : kPhraseEndings[phrase]) {
            add(m, phrase * 16.0);
        }
    }
    const Section& climax = kSections[kClimax];
    notes.push_back({climax.start, 3.6 * beatSeconds(climax), 81.0, 1.0});
    return notes;
}

// ---- Drums.

struct DrumLine {
    Drum drum;
    StepLine line;
};

constexpr DrumLine kDrumLines[] = {
    {Drum::Kick, {kGroove, 0, 8, "X...X...X...X..."}},
    {Drum::ClosedHat, {kGroove, 0, 8, "..x...x...x...x."}},
    {Drum::ClosedHat, {kGroove, 4, 8, "o...o...o...o..."}},

    {Drum::Kick, {kLift, 0, 12, "X...X...X...X..."}},
    {Drum::Snare, {kLift, 0, 12, "....X.......X..."}},
    {Drum::ClosedHat, {kLift, 0, 12, "o.x.o.x.o.x.o.x."}},
    {Drum::Snare, {kLift, 11, 12, "..............xX"}},

    {Drum::Kick, {kDescent, 0, 12, "X...X...X...X..."}},
    {Drum::Snare, {kDescent, 0, 12, "....X.......X..."}},
    {Drum::ClosedHat, {kDescent, 0, 12, "xo.oxo.oxo.oxo.o"}},
    {Drum::OpenHat, {kDescent, 0, 12, "..x...x...x...x."}},
    {Drum::Snare, {kDescent, 3, 4, "..............xX"}},
    {Drum::Snare, {kDescent, 7, 8, "..............xX"}},
    {Drum::Snare, {kDescent, 11, 12, "...........oxxXX"}},

    {Drum::ClosedHat, {kFinale, 4, kBuildBar, "..o...o...o...o."}},
    {Drum::Kick, {kFinale, kBuildBar, 9, "X...X...X...X..."}},
    {Drum::Kick, {kFinale, 9, 10, "X...X...X......."}},
    {Drum::Snare, {kFinale, kBuildBar, 8, "x...x...x...x..."}},
    {Drum::Snare, {kFinale, 8, 9, "x.x.x.x.x.x.x.x."}},
    {Drum::Snare, {kFinale, 9, 10, "xxxxxxxxxxxxxxxx"}},
    {Drum::ClosedHat, {kFinale, kBuildBar, 10, "x.x.x.x.x.x.x.x."}},

    {Drum::Kick, {kClimax, 0, 1, "X...X...X...X..."}},
    {Drum::Snare, {kClimax, 0, 1, "....X.......X..."}},
    {Drum::ClosedHat, {kClimax, 0, 1, "x.o.x.o.x.o.x.o."}},
    {Drum::OpenHat, {kClimax, 0, 1, "..x...x...x...x."}},
};

// Cymbals and low booms that mark the scene changes and the end.
constexpr Hit kAccents[] = {
    {25.0, Drum::Crash, 0.8},  {42.0, Drum::Crash, 0.8}, {67.0, Drum::Crash, 0.85},
    {92.0, Drum::Crash, 0.6},  {92.0, Drum::Boom, 0.5},  {112.0, Drum::Crash, 1.0},
    {112.0, Drum::Boom, 0.8},  {114.0, Drum::Crash, 1.0}, {114.0, Drum::Boom, 1.0},
};

std::vector<Hit> drumHits()
{
    Random humanise(0x48u);
    std::vector<Hit> hits;
    for (const DrumLine& drumLine : kDrumLines) {
        const StepLine& line = drumLine.line;
        forEachStep(line, [&](const Chord&, int i, double time) {
            const double velocity = stepVelocity(line.steps[i]);
            if (velocity == 0.0) {
                return;
            }
            // Slight velocity variation keeps repeated hits from sounding machine-stamped.
            const double varied = velocity * (0.94 + 0.06 * humanise.uniform());
            hits.push_back({time, drumLine.drum, varied * buildSwell(line.section, time)});
        });
    }
    hits.insert(hits.end(), std::begin(kAccents), std::end(kAccents));
    return hits;
}

// ---- The whole arrangement.

void renderPads(const GainCurve& introCurve, const GainCurve& duck, MixBus& bus)
{
    renderNotes(kIntroPad, padNotes(kSections[kIntro], 0, 12, true), &introCurve, 0x11u, bus);
    // The pads open up scene by scene, close down for the breakdown and open fully at the climax.
    struct PadPart {
        int section;
        int firstBar;
        int endBar;
        double cutoff;
    };
    constexpr PadPart kPads[] = {
        {kGroove, 0, 8, 1800.0},         {kLift, 0, 12, 2400.0},           {kDescent, 0, 12, 3000.0},
        {kFinale, 0, kBuildBar, 1400.0}, {kFinale, kBuildBar, 10, 3500.0}, {kClimax, 0, 1, 5000.0},
    };
    std::uint64_t seed = 0x12u;
    for (const PadPart& part : kPads) {
        renderNotes(padPatch(part.cutoff), padNotes(kSections[part.section], part.firstBar, part.endBar, false),
                    &duck, seed++, bus);
    }
    // The last hit's chord stab.
    std::vector<Note> stab = padNotes(kSections[kClimax], 0, 1, false);
    for (Note& note : stab) {
        note.start = kSections[kClimax].end;
        note.length = 0.3;
    }
    renderNotes(padPatch(5000.0), stab, nullptr, 0x19u, bus);
}

void fadeOutAtShowEnd(StereoSignal& mix)
{
    for (std::size_t n = frameCount(kFadeStart); n < mix.left.size(); ++n) {
        const double t = static_cast<double>(n) / kSampleRate;
        const double c = t < kShowEnd ? std::cos(0.5 * kPi * (t - kFadeStart) / (kShowEnd - kFadeStart)) : 0.0;
        mix.left[n] *= c * c;
        mix.right[n] *= c * c;
    }
}

} // namespace

StereoSignal composeSoundtrack()
{
    const std::size_t frames = frameCount(kLengthSeconds);
    MixBus bus(frames);

    const std::vector<Hit> hits = drumHits();
    renderDrums(hits, 0xD7u, bus);
    renderRiser(105.0, kSections[kFinale].end, 0.3, 0x71u, bus);

    const GainCurve introCurve = sampledCurve(frames, introFade);
    renderPads(introCurve, duckingCurve(hits, 0.45, frames), bus);
    renderNotes(kBell, bellNotes(kSections[kIntro], 1, 12, 0xB1u), &introCurve, 0xB2u, bus);
    renderNotes(kBell, bellNotes(kSections[kFinale], 0, kBuildBar, 0xB3u), nullptr, 0xB4u, bus);
    const GainCurve bassDuck = duckingCurve(hits, 0.35, frames);
    renderNotes(kBass, bassNotes(), &bassDuck, 0xBAu, bus);
    const GainCurve arpeggioDuck = duckingCurve(hits, 0.25, frames);
    renderNotes(kArpeggio, arpeggioNotes(), &arpeggioDuck, 0xA7u, bus);
    renderNotes(kLead, leadNotes(), nullptr, 0x1Eu, bus);

    StereoSignal mix = mixDown(bus, kEchoSeconds);
    fadeOutAtShowEnd(mix);
    masterToLoudness(mix, kTargetLufs, kCeilingDbtp);
    return mix;
}
