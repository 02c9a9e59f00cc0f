// The soundtrack's instruments: note voices, drums, riser, ducking and the effects mix-down.
#include "data/synth.h"

#include "data/maths.h"
#include "data/noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double twoPi = 2.0 * pi;
constexpr int blockFrames = 16; // samples between updates of filter cutoffs and vibrato

double midiToHz(double pitch)
{
    return 440.0 * std::pow(2.0, (pitch - 69.0) / 12.0);
}

// Per-sample multiplier that makes a value decay by e over `seconds`.
double decayFactor(double seconds)
{
    return std::exp(-1.0 / (seconds * sampleRate));
}

// Equal-power pan gains for a position from -1 (left) to 1 (right).
void panGains(double pan, double& left, double& right)
{
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * pi / 4.0;
    left = std::cos(angle);
    right = std::sin(angle);
}

// Zero-delay-feedback state-variable filter (trapezoidal integration): it stays stable and
// quiet while its cutoff moves every block, which the filter envelopes and sweeps need.
class Svf {
public:
    void set(double cutoffHz, double resonance)
    {
        const double g = std::tan(pi * std::clamp(cutoffHz, 10.0, 0.45 * sampleRate) / sampleRate);
        k = 2.0 - 1.94 * std::clamp(resonance, 0.0, 1.0);
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    // Runs one sample; low, band and high outputs are left in the members below.
    void process(double x)
    {
        const double v3 = x - ic2;
        const double v1 = a1 * ic1 + a2 * v3;
        const double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        low = v2;
        band = v1;
        high = x - k * v1 - v2;
    }
    double low = 0.0;
    double band = 0.0;
    double high = 0.0;

private:
    double k = 2.0;
    double a1 = 0.0;
    double a2 = 0.0;
    double a3 = 0.0;
    double ic1 = 0.0;
    double ic2 = 0.0;
};

// Smooths the step of a naive saw or square at its discontinuity, keeping aliasing down.
double polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// Linear attack, exponential decay to the sustain level, then a quadratic fall to exactly zero
// with zero slope at the end: every note starts and stops without a click.
class Envelope {
public:
    Envelope(const Patch& patch, double length)
        : attackFrames(std::max<std::size_t>(1, toFrame(patch.attack))),
          offFrame(std::max<std::size_t>(1, toFrame(length))),
          releaseFrames(std::max<std::size_t>(1, toFrame(patch.release))),
          sustainLevel(patch.sustain),
          decayStep(decayFactor(std::max(patch.decay, 0.001))),
          decaying(1.0 - patch.sustain)
    {
    }
    std::size_t frames() const { return offFrame + releaseFrames; }
    double next()
    {
        double value;
        if (index < offFrame) {
            if (index < attackFrames) {
                value = double(index + 1) / attackFrames;
            } else {
                decaying *= decayStep;
                value = sustainLevel + decaying;
            }
            levelAtOff = value;
        } else {
            const double x = 1.0 - double(index - offFrame) / releaseFrames;
            value = levelAtOff * x * x;
        }
        ++index;
        return value;
    }

private:
    std::size_t attackFrames;
    std::size_t offFrame;
    std::size_t releaseFrames;
    double sustainLevel;
    double decayStep;
    double decaying;
    std::size_t index = 0;
    double levelAtOff = 0.0;
};

struct Oscillator {
    double phase;
    double increment;
    double modPhase; // the bell's modulator
    double gainLeft;
    double gainRight;
};

double oscillatorSample(Waveform waveform, Oscillator& osc, double increment, double bellIndex)
{
    double value = 0.0;
    switch (waveform) {
    case Waveform::saw:
        value = 2.0 * osc.phase - 1.0 - polyBlep(osc.phase, increment);
        break;
    case Waveform::square: {
        const double shifted = osc.phase + 0.5 >= 1.0 ? osc.phase - 0.5 : osc.phase + 0.5;
        value = (osc.phase < 0.5 ? 1.0 : -1.0) + polyBlep(osc.phase, increment) - polyBlep(shifted, increment);
        break;
    }
    case Waveform::bell:
        // Frequency modulation at an inharmonic ratio gives the struck, metallic partials.
        value = std::sin(twoPi * osc.phase + bellIndex * std::sin(twoPi * osc.modPhase));
        osc.modPhase += increment * 3.5;
        osc.modPhase -= std::floor(osc.modPhase);
        break;
    }
    osc.phase += increment;
    if (osc.phase >= 1.0)
        osc.phase -= 1.0;
    return value;
}

void renderNote(const Patch& patch, const Note& note, const GainCurve* gain, Random& random, MixBus& bus)
{
    const std::size_t first = toFrame(note.start);
    Envelope envelope(patch, note.length);
    const std::size_t count = std::min(envelope.frames(), bus.frames() > first ? bus.frames() - first : 0);
    const double hz = midiToHz(note.pitch);

    std::vector<Oscillator> oscillators(std::size_t(std::max(1, patch.unison)));
    const double spreadSteps = std::max(1.0, double(oscillators.size()) - 1.0);
    for (std::size_t i = 0; i < oscillators.size(); ++i) {
        const double position = oscillators.size() > 1 ? 2.0 * double(i) / spreadSteps - 1.0 : 0.0;
        Oscillator& osc = oscillators[i];
        osc.phase = random.uniform();
        osc.modPhase = 0.0;
        osc.increment = hz * std::pow(2.0, position * patch.detuneCents / 2400.0) / sampleRate;
        panGains(position * patch.width, osc.gainLeft, osc.gainRight);
    }
    const double unisonScale = 1.0 / std::sqrt(double(oscillators.size()));
    const double amplitude = patch.level * note.velocity;
    const double subIncrement = hz * 0.5 / sampleRate;
    double subPhase = 0.0;

    Svf filterLeft;
    Svf filterRight;
    for (std::size_t block = 0; block < count; block += blockFrames) {
        const double t = double(block) / sampleRate;
        const double cutoff = patch.cutoff + patch.envCutoff * note.velocity * std::exp(-t / patch.cutoffDecay);
        filterLeft.set(cutoff, patch.resonance);
        filterRight.set(cutoff, patch.resonance);
        double bend = 1.0;
        if (patch.vibratoCents > 0.0) {
            const double depth = patch.vibratoCents * std::clamp((t - patch.vibratoDelay) / 0.4, 0.0, 1.0);
            bend = std::pow(2.0, depth * std::sin(twoPi * patch.vibratoRate * t) / 1200.0);
        }
        const double bellIndex = 1.6 * note.velocity * std::exp(-t / 0.45);
        const std::size_t end = std::min(count, block + blockFrames);
        for (std::size_t i = block; i < end; ++i) {
            double left = 0.0;
            double right = 0.0;
            for (Oscillator& osc : oscillators) {
                const double value = oscillatorSample(patch.waveform, osc, osc.increment * bend, bellIndex);
                left += value * osc.gainLeft;
                right += value * osc.gainRight;
            }
            left *= unisonScale;
            right *= unisonScale;
            if (patch.drive > 0.0) {
                left = std::tanh(patch.drive * left) / patch.drive;
                right = std::tanh(patch.drive * right) / patch.drive;
            }
            if (patch.subLevel > 0.0) {
                const double sub = patch.subLevel * std::sin(twoPi * subPhase);
                subPhase += subIncrement * bend;
                subPhase -= std::floor(subPhase);
                left += sub;
                right += sub;
            }
            filterLeft.process(left);
            filterRight.process(right);
            const std::size_t frame = first + i;
            const double scale = envelope.next() * amplitude * (gain ? gain->at(frame) : 1.0);
            const double outLeft = filterLeft.low * scale;
            const double outRight = filterRight.low * scale;
            bus.add(frame, outLeft, outRight, patch.reverbSend, patch.delaySend);
        }
    }
}

// How each drum sounds: a pitched body (kick, snare), filtered noise, or both.
struct DrumVoice {
    double length = 0.0;      // seconds rendered
    double bodyStartHz = 0.0; // pitch of the body at the hit, falling to bodyEndHz
    double bodyEndHz = 0.0;
    double bodySweep = 1.0; // seconds for the pitch to fall by e
    double bodyDecay = 1.0;
    double bodyLevel = 0.0; // 0: no body
    double noiseHighPass = 0.0; // hertz
    double noiseBand = 0.0;     // band-pass centre, hertz (0: no band-pass)
    double noiseDecay = 0.0;
    double noiseLevel = 0.0;
    double stereo = 0.0; // 0: one noise for both channels; 1: independent noise left and right
    double pan = 0.0;
    double reverbSend = 0.0;
};

DrumVoice drumVoice(Drum drum)
{
    switch (drum) {
    case Drum::kick:
        return {.length = 0.4, .bodyStartHz = 180.0, .bodyEndHz = 62.0, .bodySweep = 0.025, .bodyDecay = 0.22,
                .bodyLevel = 0.38, .noiseHighPass = 1500.0, .noiseDecay = 0.004, .noiseLevel = 0.08, .reverbSend = 0.03};
    case Drum::boom:
        return {.length = 2.0, .bodyStartHz = 130.0, .bodyEndHz = 52.0, .bodySweep = 0.06, .bodyDecay = 0.35,
                .bodyLevel = 0.7, .noiseHighPass = 1200.0, .noiseDecay = 0.006, .noiseLevel = 0.35, .reverbSend = 0.15};
    case Drum::snare:
        return {.length = 0.45, .bodyStartHz = 240.0, .bodyEndHz = 185.0, .bodySweep = 0.02, .bodyDecay = 0.07,
                .bodyLevel = 0.25, .noiseHighPass = 2000.0, .noiseBand = 3500.0, .noiseDecay = 0.15, .noiseLevel = 0.7,
                .stereo = 0.3, .reverbSend = 0.25};
    case Drum::closedHat:
        return {.length = 0.2, .noiseHighPass = 7500.0, .noiseBand = 10000.0, .noiseDecay = 0.035, .noiseLevel = 0.35,
                .stereo = 0.2, .pan = 0.3, .reverbSend = 0.05};
    case Drum::openHat:
        return {.length = 0.8, .noiseHighPass = 6500.0, .noiseBand = 9000.0, .noiseDecay = 0.25, .noiseLevel = 0.28,
                .stereo = 0.3, .pan = -0.25, .reverbSend = 0.08};
    case Drum::crash:
        return {.length = 3.0, .noiseHighPass = 4000.0, .noiseDecay = 1.1, .noiseLevel = 0.32, .stereo = 1.0,
                .reverbSend = 0.2};
    }
    return {};
}

void renderHit(const Hit& hit, Random& random, MixBus& bus)
{
    const DrumVoice voice = drumVoice(hit.drum);
    const std::size_t first = toFrame(hit.time);
    const std::size_t count = std::min(toFrame(voice.length), bus.frames() > first ? bus.frames() - first : 0);
    const std::size_t fadeFrames = toFrame(0.01);
    double panLeft;
    double panRight;
    panGains(voice.pan, panLeft, panRight);

    Svf highLeft, highRight, bandLeft, bandRight;
    for (Svf* f : {&highLeft, &highRight})
        f->set(voice.noiseHighPass, 0.1);
    for (Svf* f : {&bandLeft, &bandRight})
        f->set(voice.noiseBand, 0.3);
    const double sweep = decayFactor(voice.bodySweep);
    const double bodyFall = decayFactor(voice.bodyDecay);
    const double noiseFall = decayFactor(voice.noiseDecay);
    const std::size_t attackFrames = toFrame(0.0015);
    double sweepLevel = 1.0;
    double body = voice.bodyLevel;
    double noise = voice.noiseLevel;
    double phase = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double hz = voice.bodyEndHz + (voice.bodyStartHz - voice.bodyEndHz) * sweepLevel;
        const double tone = body * std::sin(twoPi * phase);
        phase += hz / sampleRate;
        phase -= std::floor(phase);
        sweepLevel *= sweep;
        body *= bodyFall;

        const double common = random.bipolar();
        highLeft.process(common + voice.stereo * (random.bipolar() - common));
        highRight.process(common + voice.stereo * (random.bipolar() - common));
        double noiseLeft = highLeft.high;
        double noiseRight = highRight.high;
        if (voice.noiseBand > 0.0) {
            bandLeft.process(noiseLeft);
            bandRight.process(noiseRight);
            noiseLeft = 0.5 * noiseLeft + bandLeft.band;
            noiseRight = 0.5 * noiseRight + bandRight.band;
        }
        noiseLeft *= noise;
        noiseRight *= noise;
        noise *= noiseFall;

        // A short ramp in and a fade at the cut keep every hit free of clicks.
        double shape = i < attackFrames ? double(i + 1) / attackFrames : 1.0;
        if (i + fadeFrames > count)
            shape *= double(count - i) / fadeFrames;
        const double scale = shape * hit.velocity;
        // Saturation rounds the body the way an analogue drum does, and keeps its peak low.
        const double bodyOut = std::tanh(2.0 * tone) / std::tanh(2.0);
        const double left = (bodyOut + noiseLeft) * scale * panLeft;
        const double right = (bodyOut + noiseRight) * scale * panRight;
        const std::size_t frame = first + i;
        bus.add(frame, left, right, voice.reverbSend, 0.0);
    }
}

// Freeverb's comb and all-pass tunings (at 44.1 kHz), with its stereo spread.
constexpr int combTunings[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int allpassTunings[4] = {556, 441, 341, 225};
constexpr int stereoSpread = 23;

class Comb {
public:
    explicit Comb(int length) : buffer(std::size_t(length), 0.0) {}
    double process(double input, double feedback, double damp)
    {
        const double out = buffer[index];
        store = out * (1.0 - damp) + store * damp;
        buffer[index] = input + store * feedback;
        if (++index == buffer.size())
            index = 0;
        return out;
    }

private:
    std::vector<double> buffer;
    std::size_t index = 0;
    double store = 0.0;
};

class Allpass {
public:
    explicit Allpass(int length) : buffer(std::size_t(length), 0.0) {}
    double process(double input)
    {
        const double delayed = buffer[index];
        buffer[index] = input + delayed * 0.5;
        if (++index == buffer.size())
            index = 0;
        return delayed - input;
    }

private:
    std::vector<double> buffer;
    std::size_t index = 0;
};

// A long, soft hall: eight damped combs and four all-passes a channel, fed the mono sum of the
// send after a short pre-delay and a high-pass that keeps the bass out of the tail.
void addReverb(const StereoSignal& send, StereoSignal& out)
{
    constexpr double feedback = 0.93;
    constexpr double damp = 0.35;
    constexpr double inputGain = 0.015;
    const std::size_t preDelay = toFrame(0.025);
    std::vector<Comb> combsLeft, combsRight;
    for (int tuning : combTunings) {
        combsLeft.emplace_back(tuning);
        combsRight.emplace_back(tuning + stereoSpread);
    }
    std::vector<Allpass> allpassLeft, allpassRight;
    for (int tuning : allpassTunings) {
        allpassLeft.emplace_back(tuning);
        allpassRight.emplace_back(tuning + stereoSpread);
    }
    const double highPass = std::exp(-twoPi * 180.0 / sampleRate);
    double lowState = 0.0;
    const std::size_t frames = send.left.size();
    for (std::size_t n = 0; n < frames; ++n) {
        const double raw = n >= preDelay ? send.left[n - preDelay] + send.right[n - preDelay] : 0.0;
        lowState = raw + (lowState - raw) * highPass;
        const double input = (raw - lowState) * inputGain;
        double left = 0.0;
        double right = 0.0;
        for (std::size_t c = 0; c < combsLeft.size(); ++c) {
            left += combsLeft[c].process(input, feedback, damp);
            right += combsRight[c].process(input, feedback, damp);
        }
        for (std::size_t a = 0; a < allpassLeft.size(); ++a) {
            left = allpassLeft[a].process(left);
            right = allpassRight[a].process(right);
        }
        out.left[n] += left;
        out.right[n] += right;
    }
}

// Ping-pong echo: the send enters the left line, each line's output feeds the other, so the
// repeats bounce across the stereo field, each darker than the last.
void addDelay(const StereoSignal& send, double seconds, StereoSignal& out, StereoSignal& reverbSend)
{
    constexpr double feedback = 0.42;
    constexpr double toReverb = 0.3;
    const std::size_t length = std::max<std::size_t>(1, toFrame(seconds));
    std::vector<double> lineLeft(length, 0.0);
    std::vector<double> lineRight(length, 0.0);
    const double damping = std::exp(-twoPi * 3500.0 / sampleRate);
    double darkLeft = 0.0;
    double darkRight = 0.0;
    std::size_t i = 0;
    for (std::size_t n = 0; n < send.left.size(); ++n) {
        const double echoLeft = lineLeft[i];
        const double echoRight = lineRight[i];
        darkLeft = echoLeft + (darkLeft - echoLeft) * damping;
        darkRight = echoRight + (darkRight - echoRight) * damping;
        lineLeft[i] = send.left[n] + send.right[n] + feedback * darkRight;
        lineRight[i] = feedback * darkLeft;
        if (++i == length)
            i = 0;
        out.left[n] += echoLeft;
        out.right[n] += echoRight;
        reverbSend.left[n] += echoLeft * toReverb;
        reverbSend.right[n] += echoRight * toReverb;
    }
}

} // namespace

MixBus::MixBus(std::size_t frames)
{
    for (StereoSignal* s : {&dry, &reverbSend, &delaySend}) {
        s->left.assign(frames, 0.0);
        s->right.assign(frames, 0.0);
    }
}

void MixBus::add(std::size_t frame, double left, double right, double reverbLevel, double delayLevel)
{
    dry.left[frame] += left;
    dry.right[frame] += right;
    reverbSend.left[frame] += left * reverbLevel;
    reverbSend.right[frame] += right * reverbLevel;
    delaySend.left[frame] += left * delayLevel;
    delaySend.right[frame] += right * delayLevel;
}

double GainCurve::at(std::size_t frame) const
{
    const std::size_t i = frame / controlFrames;
    if (i + 1 >= values.size())
        return values.empty() ? 1.0 : values.back();
    const double f = double(frame % controlFrames) / controlFrames;
    return values[i] + (values[i + 1] - values[i]) * f;
}

void renderNotes(const Patch& patch, const std::vector<Note>& notes, const GainCurve* gain,
                 std::uint64_t seed, MixBus& bus)
{
    Random random(seed);
    for (const Note& note : notes)
        renderNote(patch, note, gain, random, bus);
}

void renderDrums(const std::vector<Hit>& hits, std::uint64_t seed, MixBus& bus)
{
    Random random(seed);
    for (const Hit& hit : hits)
        renderHit(hit, random, bus);
}

void renderRiser(double start, double end, double topHz, double level, std::uint64_t seed, MixBus& bus)
{
    Random random(seed);
    const std::size_t first = toFrame(start);
    const std::size_t count = std::min(toFrame(end - start), bus.frames() - std::min(first, bus.frames()));
    Svf left, right;
    for (std::size_t block = 0; block < count; block += blockFrames) {
        const double x = double(block) / count;
        const double cutoff = 250.0 * std::pow(topHz / 250.0, x);
        left.set(cutoff, 0.55);
        right.set(cutoff, 0.55);
        for (std::size_t i = block; i < std::min(count, block + blockFrames); ++i) {
            const double progress = double(i) / count;
            // Swells as the square of its progress, then closes over its last 20 ms.
            const double shape = progress * progress * std::min(1.0, double(count - i) / toFrame(0.02));
            left.process(random.bipolar());
            right.process(random.bipolar());
            const std::size_t frame = first + i;
            const double outLeft = left.band * level * shape;
            const double outRight = right.band * level * shape;
            bus.add(frame, outLeft, outRight, 0.3, 0.0);
        }
    }
}

GainCurve duckingCurve(const std::vector<Hit>& hits, double depth, std::size_t frames)
{
    GainCurve curve;
    curve.values.assign(frames / controlFrames + 2, 1.0);
    for (const Hit& hit : hits) {
        if (hit.drum != Drum::kick && hit.drum != Drum::boom)
            continue;
        const std::size_t first = toFrame(hit.time) / controlFrames;
        const std::size_t span = toFrame(0.6) / controlFrames;
        for (std::size_t i = 0; i < span && first + i < curve.values.size(); ++i) {
            const double t = double(i * controlFrames) / sampleRate;
            // Down within 5 ms of the kick, back up over about a beat.
            const double duck = depth * hit.velocity * std::min(1.0, t / 0.005) * std::exp(-t / 0.13);
            curve.values[first + i] = std::min(curve.values[first + i], 1.0 - duck);
        }
    }
    return curve;
}

StereoSignal mixDown(MixBus& bus, double delaySeconds)
{
    StereoSignal out = bus.dry;
    addDelay(bus.delaySend, delaySeconds, out, bus.reverbSend);
    addReverb(bus.reverbSend, out);
    return out;
}
