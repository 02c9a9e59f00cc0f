// The show's soundtrack: one theme carried through the show's arc, edited to the picture. Its
// sections, its dynamics and its accents follow the show's timeline and the list of what the
// picture does (app/visual_events.h); then the patterns and instruments that play it, and the
// mix of them.
#include "data/soundtrack.h"

#include "app/timeline.h"
#include "app/visual_events.h"
#include "data/mastering.h"
#include "data/maths.h"
#include "data/noise.h"
#include "data/synth.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr double lengthSeconds = 116.0; // a little past the show's end; the rest is silence
constexpr double showEnd = showEndMs / 1000.0;
constexpr double fadeStart = showEnd - 0.5;
constexpr double targetLufs = -14.0;
// Below the -1 dBTP the file must keep, leaving room for what MP3 coding adds to the peaks.
constexpr double ceilingDbtp = -1.4;

// One tempo for the whole show: 120 beats a minute puts every scene change on a beat. Each
// section starts on a downbeat; one that is not a whole number of bars ends on a half bar. The
// closing chord alone comes off the beat, when the sphere sinks out of sight.
constexpr double beatSeconds = 0.5;
constexpr double echoSeconds = 0.75 * beatSeconds; // a dotted eighth

// A stretch of the show with one chord letter a bar, as on a lead sheet; the last letter also
// covers the half bar a section may end on.
struct Section {
    ShowMs startMs;
    ShowMs endMs;
    const char* chords;
};

enum SectionIndex { opening, groove, lift, statement, breakdown, build, descent, ending };

// The finale follows the light ring and the sphere: the build while the ring closes in, a
// descent once it has closed and the lights are gone, and the closing chord as the sphere sinks
// out of sight.
constexpr ShowMs buildStartMs = ringClosingMs;
constexpr ShowMs descentStartMs = ringClosedMs;
constexpr ShowMs endingStartMs = sphereGoneMs;

constexpr Section sections[] = {
    {sceneStartMs(1), sceneStartMs(2), "AAAAFFCCGGAAA"}, // a hook, then the theme slow on bells, growing
    {sceneStartMs(2), sceneStartMs(3), "AFCGAFCGG"},     // the beat and the theme enter; then bells
    {sceneStartMs(3), sceneStartMs(4), "FGEADGCAFG7AA"}, // a counter-melody, with a break
    {sceneStartMs(4), sceneStartMs(5), "AFCGAFCGAFCGG"}, // the theme three times: fullest in the rush
    {sceneStartMs(5), buildStartMs, "AAFFCC7"},          // breakdown: the theme slow again
    {buildStartMs, descentStartMs, "AF"},                // the build: the theme returns, doubled
    {descentStartMs, endingStartMs, "CG"},               // the lights gone: the theme's end, softly
    {endingStartMs, showEndMs, "AA"},                    // the closing chord
};
constexpr int sectionCount = int(std::size(sections));

constexpr bool onTheBeat(ShowMs ms)
{
    return ms % 500 == 0;
}

constexpr bool sectionsFollowTheTimeline()
{
    for (int i = 1; i < sectionCount; ++i) {
        if (sections[i].startMs != sections[i - 1].endMs)
            return false;
    }
    for (int scene = 1; scene <= sceneCount; ++scene) {
        if (!onTheBeat(sceneStartMs(scene)))
            return false;
    }
    return sections[opening].startMs == 0 && sections[sectionCount - 1].endMs == showEndMs
           && sections[groove].startMs == sceneStartMs(2) && sections[lift].startMs == sceneStartMs(3)
           && sections[statement].startMs == sceneStartMs(4) && sections[breakdown].startMs == sceneStartMs(5)
           && onTheBeat(buildStartMs) && onTheBeat(descentStartMs);
}
static_assert(sectionsFollowTheTimeline(),
              "the music's sections start with the scenes, on the beat, and end with the show");
static_assert(withinScene(buildStartMs, 5) && withinScene(descentStartMs, 5) && withinScene(endingStartMs, 5),
              "the finale's build, descent and closing chord follow moments of scene 5");

double startOf(const Section& section) { return section.startMs / 1000.0; }
double endOf(const Section& section) { return section.endMs / 1000.0; }
int barCount(const Section& section) { return int(std::char_traits<char>::length(section.chords)); }

double timeAt(const Section& section, double beat) { return startOf(section) + beat * beatSeconds; }

struct Chord {
    char name;
    int bass;     // MIDI note of the bass line
    int tones[4]; // MIDI notes of the pad voicing
};

constexpr Chord chords[] = {
    {'A', 45, {57, 60, 64, 71}}, // A minor 9
    {'F', 41, {53, 57, 60, 64}}, // F major 7
    {'C', 48, {55, 59, 62, 64}}, // C major 9
    {'G', 43, {55, 59, 62, 67}}, // G add 9
    {'E', 40, {55, 59, 62, 64}}, // E minor 7
    {'D', 38, {57, 60, 64, 65}}, // D minor 9
    {'7', 40, {56, 59, 62, 64}}, // E7, leading back to A minor
};

const Chord& chordAt(const Section& section, int bar)
{
    const char name = section.chords[std::clamp(bar, 0, barCount(section) - 1)];
    for (const Chord& chord : chords) {
        if (chord.name == name)
            return chord;
    }
    return chords[0];
}

template <typename Gain>
GainCurve sampledCurve(std::size_t frames, Gain gain)
{
    GainCurve curve;
    curve.values.resize(frames / controlFrames + 2);
    for (std::size_t i = 0; i < curve.values.size(); ++i)
        curve.values[i] = gain(double(i * controlFrames) / sampleRate);
    return curve;
}

// Scene 1 fades to black from its fade's moment; its music fades with it, to a tenth by the
// scene's end and then out.
double openingFade(double t)
{
    const double fadeToBlack = openingFadeStart();
    const double sceneEnd = sceneSpan(1).endMs / 1000.0;
    if (t < fadeToBlack)
        return 1.0;
    if (t < sceneEnd) {
        const double c = std::cos(0.5 * pi * (t - fadeToBlack) / (sceneEnd - fadeToBlack));
        return 0.1 + 0.9 * c * c;
    }
    return std::max(0.0, 0.1 * (1.0 - (t - sceneEnd) / 1.5));
}

// Scene 3 breaks for two bars (56-60 s), where its picture is calmest: kick, bass and
// arpeggio drop out under the counter-melody. Scene 4 is fullest in its second statement,
// through the rush (75-83 s), and thins to the theme over pads for its third.
constexpr int liftBreakBar = 7;
constexpr int liftBreakEndBar = 9;
// The bars of scene 4 that hold the rush, from the bar it starts in to the bar after it ends.
constexpr int rushFirstBar = (rushStartMs - sceneStartMs(4)) / 2000;
constexpr int thinFirstBar = (rushEndMs - sceneStartMs(4)) / 2000 + 1;

// The show opens on the theme's first bar at its own speed, before scene 1 slows it down.
constexpr double hookBeats = 4.0;

// Stops: for the three beats before the cut into scene 4 and before the rush, the bass, the
// kick, the pads and the arpeggio drop out while the melody, the snare and hats (which hold the
// high band, so that no cymbal-like jump comes where the frame does not change) and a fill carry
// on; at the moment itself they all come back.
struct Stop {
    double start;
    double end;
};
constexpr double stopSeconds = 3.0 * beatSeconds;
constexpr Stop stops[] = {
    {sceneStartMs(4) / 1000.0 - stopSeconds, sceneStartMs(4) / 1000.0},
    {rushStartMs / 1000.0 - stopSeconds, rushStartMs / 1000.0},
};

bool inStop(double t)
{
    for (const Stop& stop : stops) {
        if (t >= stop.start - 1e-9 && t < stop.end - 1e-9)
            return true;
    }
    return false;
}

// A gain curve with the stops cut out of it, closing and opening over 20 ms.
GainCurve withStops(GainCurve curve)
{
    for (std::size_t i = 0; i < curve.values.size(); ++i) {
        const double t = double(i * controlFrames) / sampleRate;
        for (const Stop& stop : stops) {
            const double edge = std::min(t - stop.start, stop.end - t);
            if (edge > -0.02)
                curve.values[i] *= std::clamp(-edge / 0.02, 0.0, 1.0);
        }
    }
    return curve;
}

// The show's arc in the mix, in dB: the scenes sit a little below the build, which peaks while
// the ring closes in; once it has closed the music steps back with the picture's light.
double arcGain(double t)
{
    struct Point {
        double time;
        double db;
    };
    const double rise = startOf(sections[build]);
    const double fall = startOf(sections[descent]);
    // Scene 1 is dots on black; scene 3's break dips further and swells back into the beat's
    // return; scene 4 steps back after the rush; the breakdown grows as the finale lights up.
    const double breakStart = timeAt(sections[lift], liftBreakBar * 4.0);
    const double breakEnd = timeAt(sections[lift], liftBreakEndBar * 4.0);
    const double rushStart = rushStartMs / 1000.0;
    const double thin = timeAt(sections[statement], thinFirstBar * 4.0);
    // Scene 1 opens on its hook, settles, and rises all the way into its fade; scene 2 fades
    // with its picture into the cut. The statement before the rush stays back, so that the rush
    // lifts the music.
    const double hookEnd = startOf(sections[opening]) + hookBeats * beatSeconds;
    const double sceneTwoFade = endOf(sections[groove]) - 3.0;
    const double intoSceneFour = stops[0].start;
    const double fadeToBlack = openingFadeStart();
    const double scene2 = startOf(sections[groove]);
    const double scene3 = startOf(sections[lift]);
    const double scene4 = startOf(sections[statement]);
    const double scene5 = startOf(sections[breakdown]);
    const Point points[] = {
        // Scene 1.
        {0.0, -6.0},          {hookEnd, -6.0},    {hookEnd + 2.0, -10.5}, {6.0, -10.5},   {12.0, -6.0},
        {fadeToBlack - 0.5, -2.0}, {scene2 - 1.0, -2.0},
        // Scene 2.
        {scene2, 0.0},        {sceneTwoFade, 0.0}, {endOf(sections[groove]) - 0.1, -6.0},
        // Scene 3, its break, and the stop into scene 4.
        {scene3, -1.6},       {breakStart, -1.6}, {breakStart + 0.3, -4.8}, {breakEnd - 2.5, -4.8}, {breakEnd, -1.6},
        {intoSceneFour, -1.6}, {intoSceneFour + 0.1, -7.5}, {scene4, -7.5},
        // Scene 4: held back until the rush.
        {scene4 + 0.1, -4.5}, {rushStart - 0.5, -4.5}, {rushStart, -1.8}, {thin, -1.8},
        {thin + 0.5, -5.0},
        // Scene 5.
        {scene5, -5.0},       {scene5 + 0.5, -10.0}, {96.0, -4.0},      {100.0, -1.5},
        {rise - 0.5, -0.5},   {rise + 0.5, -0.3}, {fall - 0.2, -0.3},  {fall + 0.3, -2.5}, {showEnd, -4.0},
    };
    double db = points[std::size(points) - 1].db;
    for (std::size_t i = 1; i < std::size(points); ++i) {
        if (t < points[i].time) {
            const double f = (t - points[i - 1].time) / (points[i].time - points[i - 1].time);
            db = points[i - 1].db + (points[i].db - points[i - 1].db) * f;
            break;
        }
    }
    return std::pow(10.0, db / 20.0);
}

// ---- Instruments. Times in seconds, frequencies in hertz. The melody (bells, lead, counter-line)
// owns 500-2000 Hz: the pads stay dark under it, the arpeggio and the snare's noise above it.

constexpr Patch padPatch = {.waveform = Waveform::saw, .unison = 5, .detuneCents = 22.0, .width = 0.9,
                            .attack = 0.4, .decay = 1.0, .sustain = 1.0, .release = 1.0, .cutoff = 900.0,
                            .resonance = 0.05, .level = 0.032, .reverbSend = 0.35};
// Scene 1's pads swell in slowly and ring on into the reverb.
constexpr Patch openingPad = {.waveform = Waveform::saw, .unison = 5, .detuneCents = 22.0, .width = 0.9,
                              .attack = 2.5, .decay = 1.0, .sustain = 1.0, .release = 3.0, .cutoff = 420.0,
                              .resonance = 0.05, .level = 0.12, .reverbSend = 0.6};
// Soft bells: their partials stay under 2 kHz, so that a note over silence is no cymbal.
constexpr Patch bell = {.waveform = Waveform::bell, .unison = 2, .detuneCents = 7.0, .width = 0.7,
                        .attack = 0.004, .decay = 0.9, .sustain = 0.0, .release = 0.8, .cutoff = 1500.0,
                        .level = 0.42, .reverbSend = 0.5, .delaySend = 0.25};
constexpr Patch bass = {.waveform = Waveform::saw, .unison = 2, .detuneCents = 8.0, .subLevel = 0.12,
                        .attack = 0.004, .decay = 0.25, .sustain = 0.7, .release = 0.06, .cutoff = 420.0,
                        .envCutoff = 400.0, .cutoffDecay = 0.09, .resonance = 0.15, .level = 0.22};
// A glassy pluck above the melody's band, 2-4 kHz, filtered to little more than its
// fundamental: it moves and is heard without covering the theme.
constexpr Patch arpeggio = {.waveform = Waveform::square, .unison = 2, .detuneCents = 10.0, .width = 0.7,
                            .attack = 0.002, .decay = 0.18, .sustain = 0.0, .release = 0.08, .cutoff = 3500.0,
                            .envCutoff = 1500.0, .cutoffDecay = 0.06, .resonance = 0.2, .level = 0.11,
                            .reverbSend = 0.15, .delaySend = 0.3};
constexpr Patch lead = {.waveform = Waveform::saw, .unison = 3, .detuneCents = 14.0, .width = 0.5, .drive = 1.6,
                        .attack = 0.03, .decay = 0.4, .sustain = 0.8, .release = 0.2, .cutoff = 1900.0,
                        .envCutoff = 600.0, .cutoffDecay = 0.25, .resonance = 0.1, .vibratoCents = 14.0,
                        .vibratoRate = 5.5, .vibratoDelay = 0.25, .level = 0.42, .reverbSend = 0.3,
                        .delaySend = 0.2};
// Scene 3's counter-melody: long notes above the arpeggio.
constexpr Patch counterLine = {.waveform = Waveform::square, .unison = 3, .detuneCents = 12.0, .width = 0.6,
                               .drive = 1.2, .attack = 0.06, .decay = 0.6, .sustain = 0.8, .release = 0.4, .cutoff = 2000.0,
                               .envCutoff = 1200.0, .cutoffDecay = 0.3, .vibratoCents = 10.0, .vibratoRate = 5.0,
                               .vibratoDelay = 0.4, .level = 0.3, .reverbSend = 0.4, .delaySend = 0.25};

Patch withCutoff(Patch patch, double cutoff)
{
    patch.cutoff = cutoff;
    return patch;
}

// ---- The theme: four bars over A minor, F, C and G, with three ways to end its last bar.

struct MelodyNote {
    double beat;
    double beats;
    int pitch;
};

constexpr MelodyNote themeOpening[] = {
    {0, 1.5, 76}, {1.5, 0.5, 72}, {2, 0.5, 74}, {2.5, 1.5, 76},             // A minor
    {4, 1, 81},   {5, 0.5, 79},   {5.5, 0.5, 77}, {6, 2, 76},               // F
    {8, 1, 72},   {9, 0.5, 74},   {9.5, 0.5, 76}, {10, 1, 79}, {11, 1, 76}, // C
};

constexpr MelodyNote themeEndings[3][3] = {
    {{12, 1.5, 74}, {13.5, 0.5, 71}, {14, 2, 74}}, // G: back down
    {{12, 1, 79}, {13, 1, 81}, {14, 2, 83}},       // G: reaching up
    {{12, 1, 74}, {13, 1, 76}, {14, 2, 79}},       // G: settling
};

// The theme's notes from `firstBeat` up to `endBeat`, stretched by `stretch` (2 plays it at half
// speed), transposed by `transpose` and placed from `beat` of the section (the theme's beat
// `firstBeat` lands there).
void addTheme(std::vector<Note>& notes, const Section& section, double beat, int ending, double stretch,
              int transpose, double velocity, double endBeat = 16.0, double firstBeat = 0.0)
{
    const auto add = [&](const MelodyNote& m) {
        if (m.beat >= endBeat || m.beat < firstBeat)
            return;
        // Short notes are detached a little; long ones are held.
        const double beats = std::min(m.beats, endBeat - m.beat) * stretch;
        const double held = beats <= 0.5 ? beats * 0.85 : beats - 0.1;
        const double start = timeAt(section, beat + (m.beat - firstBeat) * stretch);
        notes.push_back({start, held * beatSeconds, double(m.pitch + transpose), velocity});
    };
    for (const MelodyNote& m : themeOpening)
        add(m);
    for (const MelodyNote& m : themeEndings[ending])
        add(m);
}

// Scene 1: the theme at half speed on bells, like a music box, from 4 s until the fade.
std::vector<Note> openingBellNotes()
{
    std::vector<Note> notes;
    addTheme(notes, sections[opening], 8.0, 2, 2.0, 0, 0.75);
    return notes;
}

// Over scene 1's last phrase before its fade the lead joins the bells, building to the drop.
std::vector<Note> openingLeadNotes()
{
    std::vector<Note> notes;
    addTheme(notes, sections[opening], 32.0, 2, 2.0, 0, 0.5, 16.0, 12.0);
    return notes;
}

// The hook: the theme's first bar at its own speed from the first moment, on bells.
std::vector<Note> hookBellNotes()
{
    std::vector<Note> notes;
    addTheme(notes, sections[opening], 0.0, 0, 1.0, 0, 0.9, hookBeats);
    return notes;
}

// The lead doubles the hook, softly, so that its pitches stand out clearly from the first moment.
std::vector<Note> hookLeadNotes()
{
    std::vector<Note> notes;
    addTheme(notes, sections[opening], 0.0, 0, 1.0, 0, 0.7, hookBeats);
    return notes;
}

// Scene 2's second cycle hears the theme at its own speed above the beat; the breakdown slows
// it to half speed again, as scene 1 had it; once the ring has closed, its third bar rings out.
std::vector<Note> laterBellNotes()
{
    std::vector<Note> notes;
    addTheme(notes, sections[groove], 16.0, 0, 1.0, 0, 0.55);
    addTheme(notes, sections[breakdown], 0.0, 0, 2.0, 0, 0.75, 12.0);
    addTheme(notes, sections[descent], 0.0, 0, 1.0, 0, 0.6, 12.0, 8.0);
    return notes;
}

// The lead states the theme as scene 2 lands, and three times in scene 4 with a different
// ending each time.
std::vector<Note> leadNotes()
{
    std::vector<Note> notes;
    addTheme(notes, sections[groove], 0.0, 0, 1.0, 0, 0.75);
    for (int phrase = 0; phrase < 3; ++phrase)
        addTheme(notes, sections[statement], phrase * 16.0, phrase, 1.0, 0, 0.9);
    return notes;
}

// Over the build the theme's first half returns, doubled an octave higher.
std::vector<Note> buildLeadNotes(bool upperOctave)
{
    std::vector<Note> notes;
    addTheme(notes, sections[build], 0.0, 1, 1.0, upperOctave ? 12 : 0, upperOctave ? 0.12 : 1.0, 8.0);
    return notes;
}

// Scene 3's counter-melody: two long notes a bar on the top voices of each chord, so it follows
// the cycles as they vary.
std::vector<Note> counterNotes()
{
    const Section& section = sections[lift];
    std::vector<Note> notes;
    for (int bar = 0; bar < 12; ++bar) {
        const Chord& chord = chordAt(section, bar);
        const int first = chord.tones[3] + 12;
        const int second = chord.tones[bar % 2 == 0 ? 2 : 1] + 12;
        // Softer through the break.
        const double level = bar >= liftBreakBar && bar < liftBreakEndBar ? 0.6 : 1.0;
        notes.push_back({timeAt(section, bar * 4.0), 1.9 * beatSeconds, double(first), 0.8 * level});
        notes.push_back({timeAt(section, bar * 4.0 + 2.0), 1.9 * beatSeconds, double(second), 0.7 * level});
    }
    return notes;
}

// ---- Pads: one note per chord tone, held across repeated bars of the same chord, and across
// the half bar a section may end on.

std::vector<Note> padNotes(const Section& section, int firstBar, int endBar, bool withRoot, bool withLowestTone = true)
{
    std::vector<Note> notes;
    for (int bar = firstBar; bar < endBar;) {
        int last = bar;
        while (last + 1 < endBar && section.chords[last + 1] == section.chords[bar])
            ++last;
        const Chord& chord = chordAt(section, bar);
        const double start = timeAt(section, bar * 4.0);
        const double length = std::min(timeAt(section, (last + 1) * 4.0), endOf(section)) - start;
        for (int tone : chord.tones) {
            if (withLowestTone || tone != chord.tones[0])
                notes.push_back({start, length, double(tone), 1.0});
        }
        if (withRoot)
            notes.push_back({start, length, double(chord.bass), 1.0});
        bar = last + 1;
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
    double level = 1.0; // scales every step's velocity
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

// Calls visit(chord, step, time) for each of the sixteen steps of every bar the line covers,
// up to the section's end.
template <typename Visit>
void forEachStep(const StepLine& line, Visit visit)
{
    const Section& section = sections[line.section];
    for (int bar = line.firstBar; bar < line.endBar; ++bar) {
        for (int i = 0; i < 16; ++i) {
            const double time = timeAt(section, bar * 4.0 + i * 0.25);
            if (time >= endOf(section) - 1e-9)
                return;
            visit(chordAt(section, bar), i, time);
        }
    }
}

constexpr StepLine bassLines[] = {
    {opening, 4, 6, "x---------------", 0.45}, // scene 1 grows from 8 s
    {opening, 6, 10, "x-------x-------", 0.4},
    {groove, 0, 8, "..x-..x-..x-..x-"},
    {lift, 1, liftBreakBar, "x-.xx-o-x-.xx-o-"},
    {lift, liftBreakEndBar, 13, "x-.xx-o-x-.xx-o-"},
    {statement, 0, rushFirstBar, "x--.x--.x-.xx---", 0.75},
    {statement, rushFirstBar, thinFirstBar, "x--.x-o.x-.ox-o-"},
    {statement, thinFirstBar, 13, "x-------x-------"},
    {breakdown, 4, 7, "x---------------", 0.8}, // the breakdown opens on pads and bells alone
    {build, 0, 2, "x-o-x-o-x-o-x-o-"},
    {descent, 0, 1, "x---------------", 0.8},
};

std::vector<Note> bassNotes()
{
    std::vector<Note> notes;
    for (const StepLine& line : bassLines) {
        const double step = beatSeconds / 4.0;
        forEachStep(line, [&](const Chord& chord, int i, double start) {
            const char c = line.steps[i];
            if (c != 'x' && c != 'o')
                return;
            int held = 1;
            while (i + held < 16 && line.steps[i + held] == '-')
                ++held;
            const double length = std::min(held * step * 0.85, endOf(sections[line.section]) - start);
            notes.push_back({start, length, chord.bass + (c == 'o' ? 12.0 : 0.0), 0.9 * line.level});
        });
    }
    // The closing chord's root, held into its tail.
    notes.push_back({startOf(sections[ending]), 2.0, 45.0, 0.8});
    return notes;
}

// ---- Arpeggio: sixteenths walking up and down the chord's tones, high above the melody.

constexpr int arpeggioOrder[16] = {0, 2, 4, 1, 3, 5, 2, 4, 6, 4, 3, 1, 5, 3, 2, 4};

constexpr StepLine arpeggioLines[] = {
    {opening, 6, 8, "o.o.o.o.o.o.o.o.", 0.8},
    {opening, 8, 10, "x.o.x.o.x.o.xoxo", 0.8},
    {lift, 1, liftBreakBar, "XxoxXxoxXxoxXxox"},
    {lift, liftBreakEndBar, 13, "XxoxXxoxXxoxXxox"},
    {statement, 0, rushFirstBar, "xxoxxxoxxxoxxxox", 0.8},
    {statement, rushFirstBar, thinFirstBar, "XxxxXxxxXxxxXxxx"},
    {breakdown, 2, 7, "o.o.o.o.o.o.o.o."},
    {build, 0, 2, "XxxxXxxxXxxxXxxx", 0.45},
};

std::vector<Note> arpeggioNotes()
{
    std::vector<Note> notes;
    for (const StepLine& line : arpeggioLines) {
        const double step = beatSeconds / 4.0;
        forEachStep(line, [&](const Chord& chord, int i, double start) {
            const double velocity = stepVelocity(line.steps[i]) * line.level;
            if (velocity == 0.0)
                return;
            // The chord's tones folded into the octave from C7 (2093 Hz), above the melody.
            const int order = arpeggioOrder[i];
            double pitch = chord.tones[order % 4];
            while (pitch < 96.0)
                pitch += 12.0;
            notes.push_back({start, step * 0.9, pitch, velocity});
        });
    }
    return notes;
}

// ---- Drums. A cymbal's worth of high band arrives only where the picture changes; elsewhere the
// hats and snare hold the high band steady, so that sections come and go without a crash.

struct DrumLine {
    Drum drum;
    StepLine line;
};

// The kit sits under the melody.
constexpr double drumLevel = 0.32;

constexpr DrumLine drumLines[] = {
    {Drum::kick, {groove, 0, 8, "X...X...X...X..."}},
    {Drum::closedHat, {groove, 0, 8, "..x...x...x...x."}},
    {Drum::closedHat, {groove, 4, 8, "o...o...o...o..."}},
    // Scene 2 fades to black over its last bar: the beat stops with it.

    {Drum::kick, {lift, 1, liftBreakBar, "X...X...X...X..."}},
    {Drum::kick, {lift, liftBreakEndBar, 13, "X...X...X...X..."}},
    {Drum::snare, {lift, 1, liftBreakBar, "....X.......X..."}},
    // The snare stays through the break, softly, and comes back by steps, so that the high band
    // holds without a jump.
    {Drum::snare, {lift, liftBreakBar, liftBreakEndBar, "....x.......x...", 0.7}},
    {Drum::snare, {lift, liftBreakEndBar, liftBreakEndBar + 1, "....x.......x..."}},
    {Drum::snare, {lift, liftBreakEndBar + 1, 13, "....X.......X..."}},
    {Drum::closedHat, {lift, 1, 13, "o.x.o.x.o.x.o.x."}},

    {Drum::kick, {statement, 0, thinFirstBar, "X...X...X...X..."}},
    {Drum::snare, {statement, 0, thinFirstBar, "....X.......X..."}},
    {Drum::snare, {statement, rushFirstBar, thinFirstBar, ".......o......o."}},
    {Drum::closedHat, {statement, 0, thinFirstBar, "xo.oxo.oxo.oxo.o"}},
    {Drum::openHat, {statement, rushFirstBar, thinFirstBar, "..x...x...x...x."}},
    {Drum::closedHat, {statement, thinFirstBar, 13, "..o...o...o...o."}},

    {Drum::closedHat, {breakdown, 3, 5, "..o...o...o...o."}},
    // Into the build: the hats gather over the riser.
    {Drum::closedHat, {breakdown, 5, 6, "o.o.o.o.o.o.o.o."}},
    {Drum::closedHat, {breakdown, 6, 7, "o.o.o.o.o.o.oooo"}},

    {Drum::kick, {build, 0, 2, "x...x...x...x...", 0.8}},
    {Drum::snare, {build, 0, 1, "....x.......x..."}},
    {Drum::snare, {build, 1, 2, "o.o.o.o.o.o.x.x."}},
    {Drum::closedHat, {build, 0, 2, "x.o.x.o.x.o.x.o."}},
    {Drum::openHat, {build, 0, 2, "..x...x...x...x."}},
};

// The accents the picture's events take: a cymbal where the whole frame changes (or on the
// reveal, unless a cut has just had one), a low boom where something happens in the frame, and
// nothing on a cut nobody sees.
std::vector<Hit> accentHits()
{
    std::vector<Hit> hits;
    const auto at = [](const VisualEvent& event) { return event.ms / 1000.0; };
    for (const VisualEvent& event : visualEvents) {
        const double t = at(event);
        switch (event.kind) {
        case VisualEventKind::cut: {
            if (!event.frameChanges)
                break;
            // A reveal within the next bar takes the cymbal; the cut has the boom alone.
            const double reveal = revealMs / 1000.0;
            if (!(reveal > t && reveal - t <= 4.0 * beatSeconds))
                hits.push_back({.time = t, .drum = Drum::crash, .velocity = drumLevel * 0.8});
            hits.push_back({.time = t, .drum = Drum::boom, .velocity = drumLevel * 0.6});
            break;
        }
        case VisualEventKind::reveal:
            hits.push_back({.time = t, .drum = Drum::crash, .velocity = drumLevel * 0.85});
            break;
        case VisualEventKind::rushStart:
            hits.push_back({.time = t, .drum = Drum::boom, .velocity = drumLevel * 0.6});
            break;
        case VisualEventKind::ringClosing:
            hits.push_back({.time = t, .drum = Drum::boom, .velocity = drumLevel * 0.5});
            break;
        case VisualEventKind::ringClosed:
            hits.push_back({.time = t, .drum = Drum::boom, .velocity = drumLevel * 0.9});
            break;
        case VisualEventKind::sphereVanishes:
            hits.push_back({.time = t, .drum = Drum::boom, .velocity = drumLevel * 0.5});
            break;
        case VisualEventKind::fadeToBlack:
        case VisualEventKind::rushEnd:
        case VisualEventKind::whiteLight:
            break;
        }
    }
    return hits;
}

std::vector<Hit> drumHits()
{
    Random humanise(0x48u);
    std::vector<Hit> hits;
    for (const DrumLine& drumLine : drumLines) {
        const StepLine& line = drumLine.line;
        forEachStep(line, [&](const Chord&, int i, double time) {
            const double velocity = stepVelocity(line.steps[i]) * line.level;
            if (velocity == 0.0)
                return;
            // Slight velocity variation keeps repeated hits from sounding machine-stamped.
            const double varied = drumLevel * velocity * (0.94 + 0.06 * humanise.uniform());
            if (drumLine.drum == Drum::kick && inStop(time))
                return;
            hits.push_back({time, drumLine.drum, varied});
        });
    }
    // The fill into the rush: a snare roll in sixteenths over the stop's last two beats, growing.
    const double rush = rushStartMs / 1000.0;
    for (int i = 0; i < 8; ++i)
        hits.push_back({rush - 1.0 + i * beatSeconds / 4.0, Drum::snare, drumLevel * (0.2 + 0.04 * i)});
    const std::vector<Hit> accents = accentHits();
    hits.insert(hits.end(), accents.begin(), accents.end());
    return hits;
}

// ---- The whole arrangement.

void renderPads(const GainCurve& openingCurve, const GainCurve& duck, MixBus& bus)
{
    renderNotes(openingPad, padNotes(sections[opening], 0, 13, true), &openingCurve, 0x11u, bus);
    // The pads open up scene by scene (most in the rush), close down for the breakdown and the
    // descent, and open fully for the build.
    struct PadPart {
        int section;
        int firstBar;
        int endBar;
        double cutoff;
        double level = 1.0; // times the patch's
    };
    constexpr PadPart pads[] = {
        {groove, 0, 9, 900.0},     {lift, 0, 13, 1000.0},  {statement, 0, rushFirstBar, 1000.0},
        {statement, rushFirstBar, thinFirstBar, 1400.0},   {statement, thinFirstBar, 13, 800.0},
        {breakdown, 0, 7, 700.0},  {build, 0, 2, 1200.0, 2.0},  {descent, 0, 2, 700.0},
    };
    std::uint64_t seed = 0x12u;
    for (const PadPart& part : pads) {
        const Section& section = sections[part.section];
        Patch patch = withCutoff(padPatch, part.cutoff);
        patch.level *= part.level;
        // Without the lowest tone, which the bass's octave would otherwise crowd.
        renderNotes(patch, padNotes(section, part.firstBar, part.endBar, false, false), &duck, seed++, bus);
    }
    // The closing chord: A minor with its root, dying away with the light.
    Patch closing = withCutoff(padPatch, 900.0);
    closing.attack = 0.02;
    closing.release = 1.2;
    closing.level = 0.1;
    std::vector<Note> chord = padNotes(sections[ending], 0, 1, true);
    for (Note& note : chord)
        note.length = 2.2;
    renderNotes(closing, chord, nullptr, 0x19u, bus);
}

// Over the closing chord the lead holds the theme's first note, and as the surface's light
// turns white the chord's ninth blooms above it.
void renderClosingMelody(MixBus& bus)
{
    Patch held = lead;
    held.attack = 0.08;
    held.release = 1.0;
    held.envCutoff = 800.0;
    const double start = startOf(sections[ending]);
    renderNotes(held, {{start, 2.0, 76.0, 0.7}}, nullptr, 0x1Bu, bus);
    Patch bloom = held;
    bloom.attack = 0.6;
    const double whiteLight = whiteLightBloomStart();
    renderNotes(bloom, {{whiteLight, showEnd - whiteLight - 1.2, 83.0, 0.45}}, nullptr, 0x1Au, bus);
}

void fadeOutAtShowEnd(StereoSignal& mix)
{
    for (std::size_t n = toFrame(fadeStart); n < mix.left.size(); ++n) {
        const double t = double(n) / sampleRate;
        const double c = t < showEnd ? std::cos(0.5 * pi * (t - fadeStart) / (showEnd - fadeStart)) : 0.0;
        mix.left[n] *= c * c;
        mix.right[n] *= c * c;
    }
}

void applyArc(StereoSignal& mix)
{
    for (std::size_t n = 0; n < mix.left.size(); n += controlFrames) {
        const double gain = arcGain(double(n) / sampleRate);
        for (std::size_t i = n; i < std::min(mix.left.size(), n + controlFrames); ++i) {
            mix.left[i] *= gain;
            mix.right[i] *= gain;
        }
    }
}

} // namespace

StereoSignal composeSoundtrack(std::vector<SoundtrackStem>* stems)
{
    const std::size_t frames = toFrame(lengthSeconds);
    const std::vector<Hit> hits = drumHits();
    const GainCurve openingCurve = sampledCurve(frames, openingFade);

    // The instrument groups. For the stems each plays into a bus of its own, with its own reverb
    // and echo; the effects and the arc are linear, so the groups' tracks add up to the mix.
    struct Group {
        const char* name;
        void (*render)(const std::vector<Hit>& hits, const GainCurve& openingCurve, MixBus& bus);
    };
    constexpr Group groups[] = {
        {"drums",
         [](const std::vector<Hit>& hits, const GainCurve&, MixBus& bus) {
             renderDrums(hits, 0xD7u, bus);
             // Rising through each stop.
             renderRiser(stops[0].end - 4.0, stops[0].end, 2500.0, 0.1, 0x73u, bus);
             renderRiser(stops[1].end - 4.0, stops[1].end, 2500.0, 0.1, 0x74u, bus);
             // Rising out of the breakdown into the build.
             renderRiser(startOf(sections[build]) - 6.0, startOf(sections[build]), 5000.0, 0.15, 0x71u, bus);
         }},
        {"pads",
         [](const std::vector<Hit>& hits, const GainCurve& openingCurve, MixBus& bus) {
             renderPads(openingCurve, withStops(duckingCurve(hits, 0.45, bus.frames())), bus);
         }},
        {"bass",
         [](const std::vector<Hit>& hits, const GainCurve&, MixBus& bus) {
             const GainCurve duck = withStops(duckingCurve(hits, 0.35, bus.frames()));
             renderNotes(bass, bassNotes(), &duck, 0xBAu, bus);
         }},
        {"arpeggio",
         [](const std::vector<Hit>& hits, const GainCurve&, MixBus& bus) {
             const GainCurve duck = withStops(duckingCurve(hits, 0.25, bus.frames()));
             renderNotes(arpeggio, arpeggioNotes(), &duck, 0xA7u, bus);
         }},
        {"melody",
         [](const std::vector<Hit>& hits, const GainCurve& openingCurve, MixBus& bus) {
             renderNotes(bell, hookBellNotes(), nullptr, 0xB4u, bus);
             renderNotes(lead, hookLeadNotes(), nullptr, 0x1Cu, bus);
             renderNotes(bell, openingBellNotes(), &openingCurve, 0xB2u, bus);
             renderNotes(lead, openingLeadNotes(), &openingCurve, 0x18u, bus);
             renderNotes(bell, laterBellNotes(), nullptr, 0xB3u, bus);
             // The lead gives way a little at each kick, so that their peaks do not meet.
             const GainCurve duck = duckingCurve(hits, 0.4, bus.frames());
             renderNotes(counterLine, counterNotes(), &duck, 0xC0u, bus);
             renderNotes(lead, leadNotes(), &duck, 0x1Eu, bus);
             // Over the build, where everything plays at once, the lead is driven harder: as
             // loud, with lower peaks.
             Patch driven = lead;
             driven.drive = 3.0;
             driven.level *= 1.5;
             renderNotes(driven, buildLeadNotes(false), &duck, 0x1Du, bus);
             renderNotes(driven, buildLeadNotes(true), &duck, 0x1Fu, bus);
             renderClosingMelody(bus);
         }},
    };

    const auto finished = [](MixBus& bus) {
        StereoSignal track = mixDown(bus, echoSeconds);
        applyArc(track);
        fadeOutAtShowEnd(track);
        return track;
    };
    StereoSignal mix;
    if (!stems) {
        MixBus bus(frames);
        for (const Group& group : groups)
            group.render(hits, openingCurve, bus);
        mix = finished(bus);
    } else {
        mix.left.assign(frames, 0.0);
        mix.right.assign(frames, 0.0);
        for (const Group& group : groups) {
            MixBus bus(frames);
            group.render(hits, openingCurve, bus);
            StereoSignal track = finished(bus);
            for (std::size_t n = 0; n < frames; ++n) {
                mix.left[n] += track.left[n];
                mix.right[n] += track.right[n];
            }
            stems->push_back({group.name, std::move(track)});
        }
    }
    const double gain = masterToLoudness(mix, targetLufs, ceilingDbtp);
    if (stems) {
        for (SoundtrackStem& stem : *stems) {
            for (std::vector<double>* channel : {&stem.signal.left, &stem.signal.right}) {
                for (double& v : *channel)
                    v *= gain;
            }
        }
    }
    return mix;
}
