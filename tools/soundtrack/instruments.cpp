// instruments.cpp -- the band: one synthesis recipe per instrument of the score.
//
// Each recipe runs a note from its first frame to the end of its decay and hands every sample to a
// NoteOutput, which applies level, velocity, side-chain, pan and effect sends. Envelopes decay by
// per-sample factors, and filters change cutoff at control rate, to keep a 490 s render fast.
#include "instruments.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "dsp.h"

namespace {

constexpr int CONTROL_INTERVAL = 16;     // frames between filter-cutoff updates
constexpr float STEP_SECONDS = 60.f / (SHOW_BPM * STEPS_PER_BEAT);   // one sixteenth note
constexpr float END_FADE_SECONDS = 0.005f;  // every note ends on a short fade, never a cut

std::int64_t framesOf(float seconds)
{
    return static_cast<std::int64_t>(seconds * SAMPLE_RATE);
}

float holdSeconds(const Note& note)
{
    return note.length * STEP_SECONDS;
}

// Level of each instrument at full velocity, dB; balances the band before the master's loudness.
float levelDb(Instrument instrument)
{
    switch (instrument) {
    case Instrument::Kick: return -2.5f;
    case Instrument::Snare: return -5.f;
    case Instrument::Clap: return -7.f;
    case Instrument::Hat: return -14.f;
    case Instrument::OpenHat: return -16.f;
    case Instrument::Shaker: return -17.f;
    case Instrument::Crash: return -15.f;
    case Instrument::Tom: return -5.f;
    case Instrument::Rim: return -11.f;
    case Instrument::Bass: return -10.f;
    case Instrument::Acid: return -11.f;
    case Instrument::Reese: return -11.f;
    case Instrument::Pluck: return -8.f;
    case Instrument::Mallet: return -9.f;
    case Instrument::Bell: return -12.f;
    case Instrument::Pad: return -19.f;
    case Instrument::Lead: return -12.f;
    case Instrument::Stab: return -13.f;
    case Instrument::Riser: return -14.f;
    case Instrument::Boom: return -2.f;
    case Instrument::Thunder: return -4.f;
    case Instrument::Bubble: return -15.f;
    case Instrument::Zap: return -19.f;
    case Instrument::Count: break;
    }
    return -100.f;
}

// A fixed noise seed per note, so that two hits of one drum are not sample-identical.
std::uint32_t seedOf(const Note& note)
{
    return static_cast<std::uint32_t>(note.step) * 2654435761u + static_cast<std::uint32_t>(note.instrument) * 40503u +
           static_cast<std::uint32_t>(note.pitch * 16.f);
}

// Applies a note's level, velocity, side-chain, pan and sends on the way to the buses.
class NoteOutput {
public:
    NoteOutput(const Note& note, const Buses& buses) : buses(buses)
    {
        const float gain = dbToGain(levelDb(note.instrument)) * std::pow(std::max(note.velocity, 0.f), 1.6f);
        const float angle = (std::clamp(note.pan, -1.f, 1.f) + 1.f) * (PI_F / 4);  // radians, 0 .. pi/2
        leftGain = gain * std::cos(angle) * 1.41421356f;
        rightGain = gain * std::sin(angle) * 1.41421356f;
        reverbGain = gain * note.reverb;
        echoGain = gain * note.echo;
        duckDepth = note.duck;
        origin = stepToFrame(note.step) - buses.firstFrame;
    }

    // Frames of a sound that are worth computing: none past the end of the buffers.
    std::int64_t limit(std::int64_t frames) const { return std::max<std::int64_t>(0, std::min(frames, buses.frames - origin)); }

    // A centred sample at a frame offset from the note's start, then panned.
    void mono(std::int64_t offset, float sample) { stereo(offset, sample, sample); }

    void stereo(std::int64_t offset, float left, float right)
    {
        const std::int64_t frame = origin + offset;
        if (frame < 0 || frame >= buses.frames)
            return;
        const float duck = 1.f - duckDepth * buses.duckCurve[frame];
        buses.left[frame] += left * leftGain * duck;
        buses.right[frame] += right * rightGain * duck;
        const float centre = 0.5f * (left + right) * duck;
        buses.reverbSend[frame] += centre * reverbGain;
        buses.echoSend[frame] += centre * echoGain;
    }

private:
    const Buses& buses;
    float leftGain, rightGain, reverbGain, echoGain, duckDepth;
    std::int64_t origin;  // buffer index of the note's first frame; negative before the buffers
};

// Fades the last frames of a sound to zero so that no note ends on a step.
float endFade(std::int64_t frame, std::int64_t total)
{
    const std::int64_t fadeFrames = framesOf(END_FADE_SECONDS);
    const std::int64_t left = total - frame;
    return left < fadeFrames ? static_cast<float>(left) / fadeFrames : 1.f;
}

// Linear rise over the attack, full during the hold, exponential fall after it.
class HoldEnvelope {
public:
    HoldEnvelope(float attackSeconds, float holdSecondsValue, float releaseSeconds)
        : attackFrames(std::max<std::int64_t>(1, framesOf(attackSeconds))), holdFrames(framesOf(holdSecondsValue)),
          releaseFactor(decayFactor(releaseSeconds))
    {
    }

    float next()
    {
        float value;
        if (frame < attackFrames)
            value = static_cast<float>(frame) / attackFrames;
        else if (frame < holdFrames)
            value = 1.f;
        else
            value = releaseLevel *= releaseFactor;
        if (frame < holdFrames)
            releaseLevel = value;
        ++frame;
        return value;
    }

private:
    std::int64_t attackFrames, holdFrames;
    float releaseFactor;
    float releaseLevel = 0.f;
    std::int64_t frame = 0;
};

float tuneRatio(const Note& note)
{
    return std::exp2((note.pitch - 60.f) / 12.f);
}

// Decay times (seconds to 1/e) that set both a sound and its length.
constexpr float CLAP_BURST_SECONDS = 0.004f;
float kickDecay(const Note& note) { return 0.12f + 0.4f * note.tone; }
float snareDecay(const Note& note) { return 0.08f + 0.15f * note.tone; }
float clapDecay(const Note& note) { return 0.09f + 0.1f * note.tone; }
float hatDecay(const Note& note) { return note.instrument == Instrument::OpenHat ? 0.2f : 0.015f + 0.03f * note.tone; }
float crashDecay(const Note& note) { return 0.6f + 0.8f * note.tone; }
float pluckRing(const Note& note) { return std::max(holdSeconds(note), 0.25f); }
float bellDecay(const Note& note) { return std::clamp(holdSeconds(note) * 0.7f, 0.4f, 2.f); }
constexpr float MALLET_DECAY = 0.3f;
constexpr float RISER_GAP_SECONDS = 0.25f;
float boomDecay(const Note& note) { return 0.8f + 0.8f * note.tone; }

void kick(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float endHz = 48.f * tuneRatio(note);
    const float bodyDecay = kickDecay(note);
    const std::int64_t frames = out.limit(total);
    Noise noise(seedOf(note));
    Svf clickFilter;
    clickFilter.set(3000.f, 0.f);
    const float pitchFactor = decayFactor(0.03f), ampFactor = decayFactor(bodyDecay), clickFactor = decayFactor(0.0025f);
    float phase = 0.f, pitchEnv = 1.f, ampEnv = 1.f, clickEnv = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float body = sineOfCycles(phase) * ampEnv;
        phase += endHz * (1.f + 3.2f * pitchEnv) * SAMPLE_PERIOD;
        if (phase >= 1.f)
            phase -= 1.f;
        const float click = clickFilter.highpass(noise.next()) * clickEnv;
        out.mono(i, softClip(1.5f * (body + click)) * endFade(i, total));
        pitchEnv *= pitchFactor;
        ampEnv *= ampFactor;
        clickEnv *= clickFactor;
    }
}

void snare(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float tune = tuneRatio(note);
    const float noiseDecay = snareDecay(note);
    const std::int64_t frames = out.limit(total);
    Noise noise(seedOf(note));
    Svf highpass, presence;
    highpass.set(1200.f, 0.1f);
    presence.set(4500.f, 0.3f);
    Oscillator low, high;
    const float bodyFactor = decayFactor(0.05f), ringFactor = decayFactor(0.03f), noiseFactor = decayFactor(noiseDecay),
                pitchFactor = decayFactor(0.012f);
    float bodyEnv = 1.f, ringEnv = 1.f, noiseEnv = 1.f, pitchEnv = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float bend = 1.f + 0.35f * pitchEnv;
        const float body = low.sine(185.f * tune * bend) * bodyEnv + 0.5f * high.sine(330.f * tune * bend) * ringEnv;
        const float hiss = highpass.highpass(noise.next());
        const float snap = hiss + 0.8f * presence.bandpass(hiss);
        out.mono(i, (0.6f * body + 0.8f * snap * noiseEnv) * endFade(i, total));
        bodyEnv *= bodyFactor;
        ringEnv *= ringFactor;
        noiseEnv *= noiseFactor;
        pitchEnv *= pitchFactor;
    }
}

void clap(const Note& note, NoteOutput& out, std::int64_t total)
{
    // Three bursts within 8 ms read as one hand clap, and stay inside one onset.
    const std::int64_t burstSpacing = framesOf(CLAP_BURST_SECONDS);
    const float tailDecay = clapDecay(note);
    const std::int64_t frames = out.limit(total);
    Noise noise(seedOf(note));
    Svf band;
    band.set(1300.f * tuneRatio(note), 0.45f);
    const float burstFactor = decayFactor(0.0025f), tailFactor = decayFactor(tailDecay);
    float burstEnv = 1.f, tailEnv = 0.7f;
    for (std::int64_t i = 0; i < frames; ++i) {
        if (i > 0 && i < burstSpacing * 3 && i % burstSpacing == 0)
            burstEnv = 1.f;
        const float env = i < burstSpacing * 3 ? burstEnv : tailEnv;
        out.mono(i, 2.2f * band.bandpass(noise.next()) * env * endFade(i, total));
        burstEnv *= burstFactor;
        if (i >= burstSpacing * 3)
            tailEnv *= tailFactor;
    }
}

void hat(const Note& note, NoteOutput& out, std::int64_t total, float decaySeconds)
{
    const std::int64_t frames = out.limit(total);
    Noise noise(seedOf(note));
    Svf highpass, sheen;
    highpass.set(7000.f * tuneRatio(note), 0.2f);
    sheen.set(10500.f, 0.5f);
    const float factor = decayFactor(decaySeconds);
    float env = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float hiss = highpass.highpass(noise.next());
        out.mono(i, (hiss + 0.6f * sheen.bandpass(hiss)) * env * endFade(i, total));
        env *= factor;
    }
}

void shaker(const Note& note, NoteOutput& out, std::int64_t total)
{
    const std::int64_t frames = out.limit(total);
    const std::int64_t attack = framesOf(0.002f);
    Noise noise(seedOf(note));
    Svf band;
    band.set(6500.f, 0.3f);
    const float factor = decayFactor(0.03f + 0.03f * note.tone);
    float env = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float rise = i < attack ? static_cast<float>(i) / attack : 1.f;
        out.mono(i, 2.f * band.bandpass(noise.next()) * env * rise * endFade(i, total));
        if (i >= attack)
            env *= factor;
    }
}

void crash(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float decay = crashDecay(note);
    const std::int64_t frames = out.limit(total);
    Noise noiseLeft(seedOf(note)), noiseRight(seedOf(note) ^ 0x5bd1e995u);
    Svf highLeft, highRight, ringLeft, ringRight;
    highLeft.set(3800.f, 0.1f);
    highRight.set(3800.f, 0.1f);
    ringLeft.set(5300.f, 0.7f);
    ringRight.set(6100.f, 0.7f);
    const float factor = decayFactor(decay), flashFactor = decayFactor(0.05f);
    float env = 1.f, flash = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float left = highLeft.highpass(noiseLeft.next());
        const float right = highRight.highpass(noiseRight.next());
        const float level = (0.7f * env + 0.5f * flash) * endFade(i, total);
        out.stereo(i, (left + 0.7f * ringLeft.bandpass(left)) * level, (right + 0.7f * ringRight.bandpass(right)) * level);
        env *= factor;
        flash *= flashFactor;
    }
}

void tom(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float hz = midiToHz(note.pitch);
    const std::int64_t frames = out.limit(total);
    Noise noise(seedOf(note));
    Oscillator body;
    const float ampFactor = decayFactor(0.2f), pitchFactor = decayFactor(0.05f), clickFactor = decayFactor(0.002f);
    float amp = 1.f, bend = 1.f, click = 0.4f;
    for (std::int64_t i = 0; i < frames; ++i) {
        out.mono(i, (body.sine(hz * (1.f + 0.6f * bend)) * amp + noise.next() * click) * endFade(i, total));
        amp *= ampFactor;
        bend *= pitchFactor;
        click *= clickFactor;
    }
}

void rim(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float hz = midiToHz(note.pitch);
    const std::int64_t frames = out.limit(total);
    Noise noise(seedOf(note));
    Svf band;
    band.set(2500.f, 0.5f);
    Oscillator wood;
    const float woodFactor = decayFactor(0.025f), clickFactor = decayFactor(0.008f);
    float woodEnv = 1.f, clickEnv = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float sample = wood.sine(hz) * woodEnv + 1.5f * band.bandpass(noise.next()) * clickEnv;
        out.mono(i, sample * endFade(i, total));
        woodEnv *= woodFactor;
        clickEnv *= clickFactor;
    }
}

void bass(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float hz = midiToHz(note.pitch);
    const float hold = holdSeconds(note);
    const std::int64_t frames = out.limit(total);
    Oscillator sawA(0.f), sawB(0.5f), sub(0.f);
    Svf filter;
    HoldEnvelope amp(0.003f, hold, 0.04f);
    const float filterFactor = decayFactor(0.12f);
    float filterEnv = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        if (i % CONTROL_INTERVAL == 0)
            filter.set(hz * (1.5f + 30.f * note.tone * filterEnv) + 60.f, 0.25f);
        const float saws = 0.5f * (sawA.saw(hz * 0.997f) + sawB.saw(hz * 1.003f));
        const float sample = filter.lowpass(saws) + 0.55f * sub.sine(hz);
        out.mono(i, sample * amp.next() * endFade(i, total));
        filterEnv *= filterFactor;
    }
}

void acid(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float hz = midiToHz(note.pitch);
    const float hold = holdSeconds(note);
    const std::int64_t frames = out.limit(total);
    Oscillator saw;
    Svf first, second;
    HoldEnvelope amp(0.002f, hold, 0.025f);
    const float accent = note.velocity > 0.9f ? 1.6f : 1.f;
    const float filterFactor = decayFactor(0.09f * accent);
    float filterEnv = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        if (i % CONTROL_INTERVAL == 0) {
            const float cutoff = hz * (1.2f + (4.f + 40.f * note.tone) * filterEnv * accent);
            first.set(cutoff, 0.1f);
            second.set(cutoff, 0.82f);
        }
        const float sample = second.lowpass(first.lowpass(saw.saw(hz)));
        out.mono(i, softClip(1.8f * sample) * amp.next() * endFade(i, total));
        filterEnv *= filterFactor;
    }
}

void reese(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float hz = midiToHz(note.pitch);
    const float hold = holdSeconds(note);
    const std::int64_t frames = out.limit(total);
    Oscillator sawA(0.f), sawB(0.33f), sawC(0.71f), sub;
    Svf filter;
    HoldEnvelope amp(0.004f, hold, 0.1f);
    for (std::int64_t i = 0; i < frames; ++i) {
        if (i % CONTROL_INTERVAL == 0) {
            const float sway = 0.5f + 0.5f * std::sin(TWO_PI * 0.5f * i * SAMPLE_PERIOD);
            filter.set(180.f + (300.f + 1800.f * note.tone) * sway, 0.35f);
        }
        const float saws = (sawA.saw(hz * 0.993f) + sawB.saw(hz) + sawC.saw(hz * 1.007f)) * 0.4f;
        const float sample = filter.lowpass(saws) + 0.6f * sub.sine(hz);
        out.mono(i, softClip(1.4f * sample) * amp.next() * endFade(i, total));
    }
}

void pluck(const Note& note, NoteOutput& out, std::int64_t total)
{
    // A delay line refilled with the average of its two oldest samples: a plucked string. The
    // average delays by N - 0.5 frames in all; a first-order all-pass adds the fraction of a frame
    // that brings the loop to exactly one period, so the string is in tune at any pitch.
    const float hz = midiToHz(note.pitch);
    const float ring = pluckRing(note);
    const std::int64_t frames = out.limit(total);
    const float period = SAMPLE_RATE / hz;  // frames
    const int length = std::max(2, static_cast<int>(std::floor(period + 0.5f - 0.1f)));
    const float fraction = period + 0.5f - length;  // 0.1 .. 1.1 frames, where the all-pass is flat
    const float allPass = (1.f - fraction) / (1.f + fraction);
    std::vector<float> line(length);
    Noise noise(seedOf(note));
    OnePole softener;
    softener.set(1500.f + 9000.f * note.tone);
    for (float& sample : line)
        sample = softener.process(noise.next());
    // Loss per pass that brings the string down by 40 dB over four ring times.
    const float loss = std::pow(0.01f, period / (SAMPLE_RATE * ring * 4.f));
    HoldEnvelope amp(0.f, ring, 0.06f);
    float passIn = 0.f, passOut = 0.f;
    int at = 0;
    for (std::int64_t i = 0; i < frames; ++i) {
        const int nextAt = at + 1 == length ? 0 : at + 1;
        const float sample = line[at];
        const float averaged = 0.5f * (sample + line[nextAt]);
        passOut = allPass * averaged + passIn - allPass * passOut;
        passIn = averaged;
        line[at] = loss * passOut;
        at = nextAt;
        out.mono(i, 1.6f * sample * amp.next() * endFade(i, total));
    }
}

void fmTone(const Note& note, NoteOutput& out, std::int64_t total, float ratio, float index, float indexDecay, float decay)
{
    const float hz = midiToHz(note.pitch);
    const std::int64_t frames = out.limit(total);
    const std::int64_t attack = framesOf(0.0015f);
    float carrier = 0.f, modulator = 0.f, shimmer = 0.f;
    const float ampFactor = decayFactor(decay), indexFactor = decayFactor(indexDecay), shimmerFactor = decayFactor(decay * 0.4f);
    float amp = 1.f, depth = index, shimmerAmp = 0.25f;
    for (std::int64_t i = 0; i < frames; ++i) {
        // The modulator bends the carrier's phase by up to `depth` radians.
        const float modulation = depth * sineOfCycles(modulator) * (1.f / TWO_PI);
        const float sample = sineOfCycles(carrier + modulation) * amp + sineOfCycles(shimmer) * shimmerAmp;
        const float rise = i < attack ? static_cast<float>(i) / attack : 1.f;
        out.mono(i, sample * rise * endFade(i, total));
        carrier += hz * SAMPLE_PERIOD;
        carrier -= std::floor(carrier);
        modulator += hz * ratio * SAMPLE_PERIOD;
        modulator -= std::floor(modulator);
        shimmer += hz * 2.002f * SAMPLE_PERIOD;
        shimmer -= std::floor(shimmer);
        amp *= ampFactor;
        depth = 0.3f * index + (depth - 0.3f * index) * indexFactor;
        shimmerAmp *= shimmerFactor;
    }
}

void pad(const Note& note, NoteOutput& out, std::int64_t total)
{
    static const float detuneCents[5] = {-14.f, -6.f, 0.f, 7.f, 15.f};
    static const float voicePan[5] = {-0.9f, 0.45f, 0.f, -0.45f, 0.9f};  // -1 left .. +1 right
    static const float startPhase[5] = {0.1f, 0.37f, 0.61f, 0.83f, 0.29f};
    const float hz = midiToHz(note.pitch);
    const float hold = holdSeconds(note);
    const std::int64_t frames = out.limit(total);
    Oscillator voices[5] = {Oscillator(startPhase[0]), Oscillator(startPhase[1]), Oscillator(startPhase[2]),
                            Oscillator(startPhase[3]), Oscillator(startPhase[4])};
    float voiceHz[5], leftShare[5], rightShare[5];
    for (int v = 0; v < 5; ++v) {
        voiceHz[v] = hz * std::exp2(detuneCents[v] / 1200.f);
        leftShare[v] = 0.5f - 0.5f * voicePan[v];
        rightShare[v] = 0.5f + 0.5f * voicePan[v];
    }
    Svf filterLeft, filterRight;
    HoldEnvelope amp(std::clamp(0.3f * hold, 0.05f, 0.9f), hold, 0.5f);
    const float baseCutoff = hz * (1.5f + 9.f * note.tone) + 200.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        if (i % CONTROL_INTERVAL == 0) {
            const float sway = 1.f + 0.2f * std::sin(TWO_PI * 0.15f * i * SAMPLE_PERIOD);
            filterLeft.set(baseCutoff * sway, 0.15f);
            filterRight.set(baseCutoff * sway * 1.05f, 0.15f);
        }
        float left = 0.f, right = 0.f;
        for (int v = 0; v < 5; ++v) {
            const float sample = voices[v].saw(voiceHz[v]);
            left += sample * leftShare[v];
            right += sample * rightShare[v];
        }
        const float level = amp.next() * endFade(i, total) * 0.4f;
        out.stereo(i, filterLeft.lowpass(left) * level, filterRight.lowpass(right) * level);
    }
}

void lead(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float hz = midiToHz(note.pitch);
    const float hold = holdSeconds(note);
    const std::int64_t frames = out.limit(total);
    Oscillator sawA(0.f), sawB(0.4f), square(0.2f), vibrato;
    Svf filter;
    HoldEnvelope amp(0.003f, hold, 0.12f);
    const float filterFactor = decayFactor(0.15f);
    const std::int64_t vibratoStart = framesOf(0.25f), vibratoRamp = framesOf(0.3f);
    float filterEnv = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        if (i % CONTROL_INTERVAL == 0)
            filter.set(hz * (2.f + 10.f * note.tone + 6.f * filterEnv), 0.2f);
        const float depth = i < vibratoStart ? 0.f : std::min(1.f, static_cast<float>(i - vibratoStart) / vibratoRamp);
        // 0.2 semitone of vibrato; ln(2)/12 turns semitones into a frequency ratio near 1.
        const float bend = 1.f + 0.2f * 0.0577623f * depth * vibrato.sine(5.2f);
        const float f = hz * bend;
        const float sample = 0.5f * (sawA.saw(f * 1.003f) + sawB.saw(f * 0.997f)) + 0.25f * square.square(f * 0.5f);
        out.mono(i, filter.lowpass(sample) * amp.next() * endFade(i, total));
        filterEnv *= filterFactor;
    }
}

void stab(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float hz = midiToHz(note.pitch);
    const std::int64_t frames = out.limit(total);
    Oscillator sawA(0.f), sawB(0.3f), sawC(0.6f);
    Svf filter;
    const float ampFactor = decayFactor(0.15f), filterFactor = decayFactor(0.07f);
    float amp = 1.f, filterEnv = 1.f;
    const std::int64_t attack = framesOf(0.002f);
    for (std::int64_t i = 0; i < frames; ++i) {
        if (i % CONTROL_INTERVAL == 0)
            filter.set(hz * (2.f + (6.f + 20.f * note.tone) * filterEnv), 0.3f);
        const float saws = (sawA.saw(hz * 0.995f) + sawB.saw(hz) + sawC.saw(hz * 1.005f)) * 0.4f;
        const float rise = i < attack ? static_cast<float>(i) / attack : 1.f;
        out.mono(i, filter.lowpass(saws) * amp * rise * endFade(i, total));
        amp *= ampFactor;
        filterEnv *= filterFactor;
    }
}

void riser(const Note& note, NoteOutput& out, std::int64_t total)
{
    // Swells over the note, then falls silent in its last eighth, leaving the next downbeat room.
    const std::int64_t gap = framesOf(RISER_GAP_SECONDS);
    const std::int64_t frames = out.limit(total);
    Noise noiseLeft(seedOf(note)), noiseRight(seedOf(note) ^ 0x68e31da4u);
    Svf bandLeft, bandRight;
    const float octaves = 4.f + 2.f * note.tone;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float progress = static_cast<float>(i) / total;
        if (i % CONTROL_INTERVAL == 0) {
            const float cutoff = 250.f * std::exp2(octaves * progress);
            bandLeft.set(cutoff, 0.55f);
            bandRight.set(cutoff * 1.06f, 0.55f);
        }
        const float level = 1.8f * progress * progress * std::min(1.f, static_cast<float>(total - i) / gap);
        out.stereo(i, bandLeft.bandpass(noiseLeft.next()) * level, bandRight.bandpass(noiseRight.next()) * level);
    }
}

void boom(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float decay = boomDecay(note);
    const std::int64_t frames = out.limit(total);
    Noise noise(seedOf(note));
    Svf burstFilter;
    burstFilter.set(2500.f, 0.1f);
    const float ampFactor = decayFactor(decay), dropFactor = decayFactor(0.5f), burstFactor = decayFactor(0.12f);
    float phase = 0.f, amp = 1.f, drop = 1.f, burst = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float body = sineOfCycles(phase) * amp;
        phase += (34.f + 90.f * drop) * tuneRatio(note) * SAMPLE_PERIOD;
        phase -= std::floor(phase);
        const float sample = body + 0.6f * burstFilter.lowpass(noise.next()) * burst;
        out.mono(i, softClip(1.6f * sample) * endFade(i, total));
        amp *= ampFactor;
        drop *= dropFactor;
        burst *= burstFactor;
    }
}

void thunder(const Note& note, NoteOutput& out, std::int64_t total)
{
    const std::int64_t frames = out.limit(total);
    Noise noiseLeft(seedOf(note)), noiseRight(seedOf(note) ^ 0x1b873593u), flicker(seedOf(note) ^ 0xcc9e2d51u);
    OnePole rumbleLeft, rumbleRight, roll;
    rumbleLeft.set(260.f);
    rumbleRight.set(240.f);
    roll.set(6.f);
    Svf crackFilter;
    crackFilter.set(1800.f, 0.1f);
    const float rumbleFactor = decayFactor(1.3f), crackFactor = decayFactor(0.06f);
    float rumble = 1.f, crack = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float swell = 0.55f + 0.9f * std::fabs(roll.process(flicker.next()) * 8.f);
        const float left = rumbleLeft.process(noiseLeft.next()) * 4.f;
        const float right = rumbleRight.process(noiseRight.next()) * 4.f;
        const float snap = crackFilter.highpass(noiseLeft.next()) * crack;
        const float level = endFade(i, total);
        out.stereo(i, softClip((left * rumble * swell + snap) * 1.5f) * level,
                   softClip((right * rumble * swell + snap) * 1.5f) * level);
        rumble *= rumbleFactor;
        crack *= crackFactor;
    }
}

void bubble(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float hz = midiToHz(note.pitch);
    const std::int64_t frames = out.limit(total);
    const std::int64_t attack = framesOf(0.001f);
    Oscillator tone;
    const float ampFactor = decayFactor(0.045f);
    float amp = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        const float t = i * SAMPLE_PERIOD;
        const float rise = i < attack ? static_cast<float>(i) / attack : 1.f;
        out.mono(i, tone.sine(hz * (1.f + std::min(t, 0.08f) * 30.f)) * amp * rise * endFade(i, total));
        if (i >= attack)
            amp *= ampFactor;
    }
}

void zap(const Note& note, NoteOutput& out, std::int64_t total)
{
    const float hz = midiToHz(note.pitch);
    const std::int64_t frames = out.limit(total);
    Oscillator square;
    Svf filter;
    filter.set(3200.f, 0.3f);
    const float ampFactor = decayFactor(0.07f), fallFactor = decayFactor(0.035f);
    float amp = 1.f, fall = 1.f;
    for (std::int64_t i = 0; i < frames; ++i) {
        out.mono(i, filter.lowpass(square.square(hz * (1.f + 5.f * fall))) * amp * endFade(i, total));
        amp *= ampFactor;
        fall *= fallFactor;
    }
}

}  // namespace

float soundingSeconds(const Note& note)
{
    const float hold = holdSeconds(note);
    switch (note.instrument) {
    case Instrument::Kick: return kickDecay(note) * 4.f;
    case Instrument::Snare: return snareDecay(note) * 6.f;
    case Instrument::Clap: return 3.f * CLAP_BURST_SECONDS + clapDecay(note) * 6.f;
    case Instrument::Hat:
    case Instrument::OpenHat: return hatDecay(note) * 6.f;
    case Instrument::Shaker: return 0.2f;
    case Instrument::Crash: return crashDecay(note) * 5.f;
    case Instrument::Tom: return 1.2f;
    case Instrument::Rim: return 0.15f;
    case Instrument::Bass: return hold + 0.25f;
    case Instrument::Acid: return hold + 0.15f;
    case Instrument::Reese: return hold + 0.4f;
    case Instrument::Pluck: return pluckRing(note) + 0.3f;
    case Instrument::Mallet: return MALLET_DECAY * 4.f;
    case Instrument::Bell: return bellDecay(note) * 4.f;
    case Instrument::Pad: return hold + 1.6f;
    case Instrument::Lead: return hold + 0.6f;
    case Instrument::Stab: return 0.9f;
    case Instrument::Riser: return hold;
    case Instrument::Boom: return boomDecay(note) * 5.f;
    case Instrument::Thunder: return 5.f;
    case Instrument::Bubble: return 0.25f;
    case Instrument::Zap: return 0.4f;
    case Instrument::Count: break;
    }
    return 0.f;
}

void renderNote(const Note& note, const Buses& buses)
{
    NoteOutput out(note, buses);
    const std::int64_t total = framesOf(soundingSeconds(note));
    switch (note.instrument) {
    case Instrument::Kick: kick(note, out, total); break;
    case Instrument::Snare: snare(note, out, total); break;
    case Instrument::Clap: clap(note, out, total); break;
    case Instrument::Hat:
    case Instrument::OpenHat: hat(note, out, total, hatDecay(note)); break;
    case Instrument::Shaker: shaker(note, out, total); break;
    case Instrument::Crash: crash(note, out, total); break;
    case Instrument::Tom: tom(note, out, total); break;
    case Instrument::Rim: rim(note, out, total); break;
    case Instrument::Bass: bass(note, out, total); break;
    case Instrument::Acid: acid(note, out, total); break;
    case Instrument::Reese: reese(note, out, total); break;
    case Instrument::Pluck: pluck(note, out, total); break;
    case Instrument::Mallet: fmTone(note, out, total, 4.f, 1.5f + 3.f * note.tone, 0.015f, MALLET_DECAY); break;
    case Instrument::Bell: fmTone(note, out, total, 3.5f, 1.f + 3.f * note.tone, 0.6f, bellDecay(note)); break;
    case Instrument::Pad: pad(note, out, total); break;
    case Instrument::Lead: lead(note, out, total); break;
    case Instrument::Stab: stab(note, out, total); break;
    case Instrument::Riser: riser(note, out, total); break;
    case Instrument::Boom: boom(note, out, total); break;
    case Instrument::Thunder: thunder(note, out, total); break;
    case Instrument::Bubble: bubble(note, out, total); break;
    case Instrument::Zap: zap(note, out, total); break;
    case Instrument::Count: break;
    }
}
