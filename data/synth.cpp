// The soundtrack's instruments: note voices, drums, riser, ducking and the effects mix-down.
#include "data/synth.h"

#include "data/noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2.0 * kPi;
constexpr int kBlock = 16; // samples between updates of filter cutoffs and vibrato

std::size_t toFrame(double seconds)
{
    return static_cast<std::size_t>(std::llround(std::max(0.0, seconds) * kSampleRate));
}

double midiToHz(double pitch)
{
    return 440.0 * std::pow(2.0, (pitch - 69.0) / 12.0);
}

// Per-sample multiplier that makes a value decay by e over `seconds`.
double decayFactor(double seconds)
{
    return std::exp(-1.0 / (seconds * kSampleRate));
}

// Equal-power pan gains for a position from -1 (left) to 1 (right).
void panGains(double pan, double& left, double& right)
{
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    left = std::cos(angle);
    right = std::sin(angle);
}

// Zero-delay-feedback state-variable filter (trapezoidal integration): it stays stable and
// quiet while its cutoff moves every block, which the filter envelopes and sweeps need.
class Svf {
public:
    void set(double cutoffHz, double resonance)
    {
        const double g = std::tan(kPi * std::clamp(cutoffHz, 10.0, 0.45 * kSampleRate) / kSampleRate);
        k_ = 2.0 - 1.94 * std::clamp(resonance, 0.0, 1.0);
        a1_ = 1.0 / (1.0 + g * (g + k_));
        a2_ = g * a1_;
        a3_ = g * a2_;
    }
    // Runs one sample; low, band and high outputs are left in the members below.
    void process(double x)
    {
        const double v3 = x - ic2_;
        const double v1 = a1_ * ic1_ + a2_ * v3;
        const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0 * v1 - ic1_;
        ic2_ = 2.0 * v2 - ic2_;
        low = v2;
        band = v1;
        high = x - k_ * v1 - v2;
    }
    double low = 0.0;
    double band = 0.0;
    double high = 0.0;

private:
    double k_ = 2.0;
    double a1_ = 0.0;
    double a2_ = 0.0;
    double a3_ = 0.0;
    double ic1_ = 0.0;
    double ic2_ = 0.0;
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
        : attack_(std::max<std::size_t>(1, toFrame(patch.attack))),
          off_(std::max<std::size_t>(1, toFrame(length))),
          release_(std::max<std::size_t>(1, toFrame(patch.release))),
          sustain_(patch.sustain),
          decayFactor_(decayFactor(std::max(patch.decay, 0.001))),
          decaying_(1.0 - patch.sustain)
    {
    }
    std::size_t frames() const { return off_ + release_; }
    double next()
    {
        double value;
        if (i_ < off_) {
            if (i_ < attack_) {
                value = static_cast<double>(i_ + 1) / attack_;
            } else {
                decaying_ *= decayFactor_;
                value = sustain_ + decaying_;
            }
            atOff_ = value;
        } else {
            const double x = 1.0 - static_cast<double>(i_ - off_) / release_;
            value = atOff_ * x * x;
        }
        ++i_;
        return value;
    }

private:
    std::size_t attack_;
    std::size_t off_;
    std::size_t release_;
    double sustain_;
    double decayFactor_;
    double decaying_;
    std::size_t i_ = 0;
    double atOff_ = 0.0;
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
    case Waveform::Saw:
        value = 2.0 * osc.phase - 1.0 - polyBlep(osc.phase, increment);
        break;
    case Waveform::Square: {
        const double shifted = osc.phase + 0.5 >= 1.0 ? osc.phase - 0.5 : osc.phase + 0.5;
        value = (osc.phase < 0.5 ? 1.0 : -1.0) + polyBlep(osc.phase, increment) - polyBlep(shifted, increment);
        break;
    }
    case Waveform::Bell:
        // Frequency modulation at an inharmonic ratio gives the struck, metallic partials.
        value = std::sin(kTwoPi * osc.phase + bellIndex * std::sin(kTwoPi * osc.modPhase));
        osc.modPhase += increment * 3.5;
        osc.modPhase -= std::floor(osc.modPhase);
        break;
    }
    osc.phase += increment;
    if (osc.phase >= 1.0) {
        osc.phase -= 1.0;
    }
    return value;
}

void renderNote(const Patch& patch, const Note& note, const GainCurve* gain, Random& random, MixBus& bus)
{
    const std::size_t first = toFrame(note.start);
    Envelope envelope(patch, note.length);
    const std::size_t count = std::min(envelope.frames(), bus.frames() > first ? bus.frames() - first : 0);
    const double hz = midiToHz(note.pitch);

    std::vector<Oscillator> oscillators(static_cast<std::size_t>(std::max(1, patch.unison)));
    const double spreadSteps = std::max(1.0, static_cast<double>(oscillators.size()) - 1.0);
    for (std::size_t i = 0; i < oscillators.size(); ++i) {
        const double position = oscillators.size() > 1 ? 2.0 * static_cast<double>(i) / spreadSteps - 1.0 : 0.0;
        Oscillator& osc = oscillators[i];
        osc.phase = random.uniform();
        osc.modPhase = 0.0;
        osc.increment = hz * std::pow(2.0, position * patch.detuneCents / 2400.0) / kSampleRate;
        panGains(position * patch.width, osc.gainLeft, osc.gainRight);
    }
    const double unisonScale = 1.0 / std::sqrt(static_cast<double>(oscillators.size()));
    const double amplitude = patch.level * note.velocity;
    const double subIncrement = hz * 0.5 / kSampleRate;
    double subPhase = 0.0;

    Svf filterLeft;
    Svf filterRight;
    for (std::size_t block = 0; block < count; block += kBlock) {
        const double t = static_cast<double>(block) / kSampleRate;
        const double cutoff = patch.cutoff + patch.envCutoff * note.velocity * std::exp(-t / patch.cutoffDecay);
        filterLeft.set(cutoff, patch.resonance);
        filterRight.set(cutoff, patch.resonance);
        double bend = 1.0;
        if (patch.vibratoCents > 0.0) {
            const double depth = patch.vibratoCents * std::clamp((t - patch.vibratoDelay) / 0.4, 0.0, 1.0);
            bend = std::pow(2.0, depth * std::sin(kTwoPi * patch.vibratoRate * t) / 1200.0);
        }
        const double bellIndex = 2.4 * note.velocity * std::exp(-t / 0.45);
        const std::size_t end = std::min(count, block + kBlock);
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
            if (patch.subLevel > 0.0) {
                const double sub = patch.subLevel * std::sin(kTwoPi * subPhase);
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
            bus.dry.left[frame] += outLeft;
            bus.dry.right[frame] += outRight;
            bus.reverbSend.left[frame] += outLeft * patch.reverbSend;
            bus.reverbSend.right[frame] += outRight * patch.reverbSend;
            bus.delaySend.left[frame] += outLeft * patch.delaySend;
            bus.delaySend.right[frame] += outRight * patch.delaySend;
        }
    }
}

// How each drum sounds: a pitched body (kick, snare), filtered noise, or both.
struct DrumVoice {
    double length;      // seconds rendered
    double bodyStartHz; // pitch of the body at the hit, falling to bodyEndHz
    double bodyEndHz;
    double bodySweep;   // seconds for the pitch to fall by e
    double bodyDecay;
    double bodyLevel;
    double noiseHighPass; // hertz
    double noiseBand;     // band-pass centre, hertz (0: no band-pass)
    double noiseDecay;
    double noiseLevel;
    double stereo; // 0: one noise for both channels; 1: independent noise left and right
    double pan;
    double reverbSend;
};

DrumVoice drumVoice(Drum drum)
{
    switch (drum) {
    case Drum::Kick:
        return {0.5, 170.0, 47.0, 0.03, 0.32, 0.7, 1500.0, 0.0, 0.004, 0.3, 0.0, 0.0, 0.03};
    case Drum::Boom:
        return {2.0, 120.0, 38.0, 0.06, 0.9, 0.8, 1200.0, 0.0, 0.006, 0.35, 0.0, 0.0, 0.15};
    case Drum::Snare:
        return {0.45, 240.0, 185.0, 0.02, 0.07, 0.5, 700.0, 2300.0, 0.15, 0.7, 0.3, 0.0, 0.25};
    case Drum::ClosedHat:
        return {0.2, 0.0, 0.0, 1.0, 1.0, 0.0, 7500.0, 10000.0, 0.035, 0.35, 0.2, 0.3, 0.05};
    case Drum::OpenHat:
        return {0.8, 0.0, 0.0, 1.0, 1.0, 0.0, 6500.0, 9000.0, 0.25, 0.28, 0.3, -0.25, 0.08};
    case Drum::Crash:
        return {3.0, 0.0, 0.0, 1.0, 1.0, 0.0, 4000.0, 0.0, 1.1, 0.32, 1.0, 0.0, 0.2};
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
    for (Svf* f : {&highLeft, &highRight}) {
        f->set(voice.noiseHighPass, 0.1);
    }
    for (Svf* f : {&bandLeft, &bandRight}) {
        f->set(voice.noiseBand, 0.3);
    }
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
        const double tone = body * std::sin(kTwoPi * phase);
        phase += hz / kSampleRate;
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
        double shape = i < attackFrames ? static_cast<double>(i + 1) / attackFrames : 1.0;
        if (i + fadeFrames > count) {
            shape *= static_cast<double>(count - i) / fadeFrames;
        }
        const double scale = shape * hit.velocity;
        // Gentle saturation rounds the kick's body the way an analogue drum does.
        const double bodyOut = std::tanh(1.3 * tone) / std::tanh(1.3);
        const double left = (bodyOut + noiseLeft) * scale * panLeft;
        const double right = (bodyOut + noiseRight) * scale * panRight;
        const std::size_t frame = first + i;
        bus.dry.left[frame] += left;
        bus.dry.right[frame] += right;
        bus.reverbSend.left[frame] += left * voice.reverbSend;
        bus.reverbSend.right[frame] += right * voice.reverbSend;
    }
}

// Freeverb's comb and all-pass tunings (at 44.1 kHz), with its stereo spread.
constexpr int kCombTunings[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kAllpassTunings[4] = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;

class Comb {
public:
    explicit Comb(int length) : buffer_(static_cast<std::size_t>(length), 0.0) {}
    double process(double input, double feedback, double damp)
    {
        const double out = buffer_[i_];
        store_ = out * (1.0 - damp) + store_ * damp;
        buffer_[i_] = input + store_ * feedback;
        if (++i_ == buffer_.size()) {
            i_ = 0;
        }
        return out;
    }

private:
    std::vector<double> buffer_;
    std::size_t i_ = 0;
    double store_ = 0.0;
};

class Allpass {
public:
    explicit Allpass(int length) : buffer_(static_cast<std::size_t>(length), 0.0) {}
    double process(double input)
    {
        const double delayed = buffer_[i_];
        buffer_[i_] = input + delayed * 0.5;
        if (++i_ == buffer_.size()) {
            i_ = 0;
        }
        return delayed - input;
    }

private:
    std::vector<double> buffer_;
    std::size_t i_ = 0;
};

// A long, soft hall: eight damped combs and four all-passes a channel, fed the mono sum of the
// send after a short pre-delay and a high-pass that keeps the bass out of the tail.
void addReverb(const StereoSignal& send, StereoSignal& out)
{
    constexpr double kFeedback = 0.93;
    constexpr double kDamp = 0.35;
    constexpr double kInputGain = 0.015;
    const std::size_t preDelay = toFrame(0.025);
    std::vector<Comb> combsLeft, combsRight;
    for (int tuning : kCombTunings) {
        combsLeft.emplace_back(tuning);
        combsRight.emplace_back(tuning + kStereoSpread);
    }
    std::vector<Allpass> allpassLeft, allpassRight;
    for (int tuning : kAllpassTunings) {
        allpassLeft.emplace_back(tuning);
        allpassRight.emplace_back(tuning + kStereoSpread);
    }
    const double highPass = std::exp(-kTwoPi * 180.0 / kSampleRate);
    double lowState = 0.0;
    const std::size_t frames = send.left.size();
    for (std::size_t n = 0; n < frames; ++n) {
        const double raw = n >= preDelay ? send.left[n - preDelay] + send.right[n - preDelay] : 0.0;
        lowState = raw + (lowState - raw) * highPass;
        const double input = (raw - lowState) * kInputGain;
        double left = 0.0;
        double right = 0.0;
        for (std::size_t c = 0; c < combsLeft.size(); ++c) {
            left += combsLeft[c].process(input, kFeedback, kDamp);
            right += combsRight[c].process(input, kFeedback, kDamp);
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
    constexpr double kFeedback = 0.42;
    constexpr double kToReverb = 0.3;
    const std::size_t length = std::max<std::size_t>(1, toFrame(seconds));
    std::vector<double> lineLeft(length, 0.0);
    std::vector<double> lineRight(length, 0.0);
    const double damping = std::exp(-kTwoPi * 3500.0 / kSampleRate);
    double darkLeft = 0.0;
    double darkRight = 0.0;
    std::size_t i = 0;
    for (std::size_t n = 0; n < send.left.size(); ++n) {
        const double echoLeft = lineLeft[i];
        const double echoRight = lineRight[i];
        darkLeft = echoLeft + (darkLeft - echoLeft) * damping;
        darkRight = echoRight + (darkRight - echoRight) * damping;
        lineLeft[i] = send.left[n] + send.right[n] + kFeedback * darkRight;
        lineRight[i] = kFeedback * darkLeft;
        if (++i == length) {
            i = 0;
        }
        out.left[n] += echoLeft;
        out.right[n] += echoRight;
        reverbSend.left[n] += echoLeft * kToReverb;
        reverbSend.right[n] += echoRight * kToReverb;
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

double GainCurve::at(std::size_t frame) const
{
    const std::size_t i = frame / kControlFrames;
    if (i + 1 >= values.size()) {
        return values.empty() ? 1.0 : values.back();
    }
    const double f = static_cast<double>(frame % kControlFrames) / kControlFrames;
    return values[i] + (values[i + 1] - values[i]) * f;
}

void renderNotes(const Patch& patch, const std::vector<Note>& notes, const GainCurve* gain,
                 std::uint64_t seed, MixBus& bus)
{
    Random random(seed);
    for (const Note& note : notes) {
        renderNote(patch, note, gain, random, bus);
    }
}

void renderDrums(const std::vector<Hit>& hits, std::uint64_t seed, MixBus& bus)
{
    Random random(seed);
    for (const Hit& hit : hits) {
        renderHit(hit, random, bus);
    }
}

void renderRiser(double start, double end, double level, std::uint64_t seed, MixBus& bus)
{
    Random random(seed);
    const std::size_t first = toFrame(start);
    const std::size_t count = std::min(toFrame(end - start), bus.frames() - std::min(first, bus.frames()));
    Svf left, right;
    for (std::size_t block = 0; block < count; block += kBlock) {
        const double x = static_cast<double>(block) / count;
        const double cutoff = 250.0 * std::pow(9000.0 / 250.0, x);
        left.set(cutoff, 0.55);
        right.set(cutoff, 0.55);
        for (std::size_t i = block; i < std::min(count, block + kBlock); ++i) {
            const double progress = static_cast<double>(i) / count;
            // Swells as the square of its progress, then closes over its last 20 ms.
            const double shape = progress * progress * std::min(1.0, static_cast<double>(count - i) / toFrame(0.02));
            left.process(random.bipolar());
            right.process(random.bipolar());
            const std::size_t frame = first + i;
            const double outLeft = left.band * level * shape;
            const double outRight = right.band * level * shape;
            bus.dry.left[frame] += outLeft;
            bus.dry.right[frame] += outRight;
            bus.reverbSend.left[frame] += outLeft * 0.3;
            bus.reverbSend.right[frame] += outRight * 0.3;
        }
    }
}

GainCurve duckingCurve(const std::vector<Hit>& hits, double depth, std::size_t frames)
{
    GainCurve curve;
    curve.values.assign(frames / kControlFrames + 2, 1.0);
    for (const Hit& hit : hits) {
        if (hit.drum != Drum::Kick && hit.drum != Drum::Boom) {
            continue;
        }
        const std::size_t first = toFrame(hit.time) / kControlFrames;
        const std::size_t span = toFrame(0.6) / kControlFrames;
        for (std::size_t i = 0; i < span && first + i < curve.values.size(); ++i) {
            const double t = static_cast<double>(i * kControlFrames) / kSampleRate;
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
