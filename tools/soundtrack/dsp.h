// dsp.h -- the soundtrack's signal-processing parts: noise, band-limited oscillators, filters.
//
// Everything here is a small value type with its state inline, processed one sample at a time in
// single precision. Frequencies are in Hz, times in seconds, phases in cycles (0..1), not radians.
#pragma once

#include <cmath>
#include <cstdint>

#include "matrix.h"

constexpr int SAMPLE_RATE = 44100;              // frames per second of the rendered music
constexpr float SAMPLE_PERIOD = 1.f / SAMPLE_RATE;  // seconds per frame
constexpr float TWO_PI = 2 * PI_F;

// Equal-tempered frequency of a MIDI note number (69 = A4 = 440 Hz; fractions detune).
inline float midiToHz(float note)
{
    return 440.f * std::exp2((note - 69.f) / 12.f);
}

// Gain factor of a level in decibels.
inline float dbToGain(float db)
{
    return std::pow(10.f, db / 20.f);
}

// Per-sample multiplier that makes a value decay to 1/e in the given time.
inline float decayFactor(float seconds)
{
    return std::exp(-1.f / (seconds * SAMPLE_RATE));
}

// sin(2 pi phase) for a phase in cycles, any sign or size; a polynomial good to about 1e-5, several
// times cheaper than std::sin, which matters at tens of millions of samples.
inline float sineOfCycles(float phase)
{
    float x = phase - std::floor(phase) - 0.5f;  // -0.5 .. 0.5, where sin(2 pi phase) = -sin(2 pi x)
    if (x > 0.25f)
        x = 0.5f - x;
    else if (x < -0.25f)
        x = -0.5f - x;
    const float r = TWO_PI * x;  // -pi/2 .. pi/2
    const float r2 = r * r;
    return -r * (1.f + r2 * (-1.f / 6 + r2 * (1.f / 120 + r2 * (-1.f / 5040 + r2 * (1.f / 362880)))));
}

// A smooth saturator close to tanh: linear near 0, reaching exactly +-1 from +-3 on.
inline float softClip(float x)
{
    if (x >= 3.f)
        return 1.f;
    if (x <= -3.f)
        return -1.f;
    const float x2 = x * x;
    return x * (27.f + x2) / (27.f + 9.f * x2);
}

// White noise in [-1, 1) from a xorshift generator: the same seed gives the same hiss every build.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}

    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<std::int32_t>(state) * (1.f / 2147483648.f);
    }

private:
    std::uint32_t state;
};

// The correction that removes the aliasing of a hard step at phase 0 (polynomial band-limited step).
inline float polyBlep(float phase, float increment)
{
    if (phase < increment) {
        const float t = phase / increment;
        return t + t - t * t - 1.f;
    }
    if (phase > 1.f - increment) {
        const float t = (phase - 1.f) / increment;
        return t * t + t + t + 1.f;
    }
    return 0.f;
}

// Band-limited oscillator with sawtooth, square and sine outputs from one phase.
class Oscillator {
public:
    explicit Oscillator(float startPhase = 0.f) : phase(startPhase) {}

    // Each call advances the phase by frequency / SAMPLE_RATE cycles.
    float saw(float frequency)
    {
        const float increment = frequency * SAMPLE_PERIOD;
        const float value = 2.f * phase - 1.f - polyBlep(phase, increment);
        advance(increment);
        return value;
    }

    float square(float frequency)
    {
        const float increment = frequency * SAMPLE_PERIOD;
        float half = phase + 0.5f;
        if (half >= 1.f)
            half -= 1.f;
        const float value = (phase < 0.5f ? 1.f : -1.f) + polyBlep(phase, increment) - polyBlep(half, increment);
        advance(increment);
        return value;
    }

    float sine(float frequency)
    {
        const float value = sineOfCycles(phase);
        advance(frequency * SAMPLE_PERIOD);
        return value;
    }

    float phase;  // cycles, 0..1

private:
    void advance(float increment)
    {
        phase += increment;
        if (phase >= 1.f)
            phase -= 1.f;
    }
};

// Trapezoidal state-variable filter: stable under fast cutoff sweeps, with low, band and high
// outputs. The cutoff costs a tan(), so callers set it at control rate (every few samples).
class Svf {
public:
    // cutoff in Hz (clamped below Nyquist); resonance 0 (none) .. 1 (self-oscillation).
    void set(float cutoff, float resonance)
    {
        const float limited = std::fmin(std::fmax(cutoff, 10.f), SAMPLE_RATE * 0.45f);
        g = std::tan(PI_F * limited * SAMPLE_PERIOD);
        k = 2.f - 1.98f * std::fmin(std::fmax(resonance, 0.f), 1.f);
        a1 = 1.f / (1.f + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }

    void process(float input)
    {
        const float v3 = input - ic2;
        const float v1 = a1 * ic1 + a2 * v3;
        const float v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.f * v1 - ic1;
        ic2 = 2.f * v2 - ic2;
        low = v2;
        band = v1;
        high = input - k * v1 - v2;
    }

    float lowpass(float input) { process(input); return low; }
    float bandpass(float input) { process(input); return band; }
    float highpass(float input) { process(input); return high; }

    float low = 0.f, band = 0.f, high = 0.f;  // outputs of the last process()

private:
    float g = 0.f, k = 2.f, a1 = 0.f, a2 = 0.f, a3 = 0.f;
    float ic1 = 0.f, ic2 = 0.f;
};

// One-pole lowpass: a gentle 6 dB/octave smoother for damping and control signals.
class OnePole {
public:
    void set(float cutoff) { coefficient = 1.f - std::exp(-TWO_PI * cutoff * SAMPLE_PERIOD); }
    float process(float input) { state += coefficient * (input - state); return state; }

    float state = 0.f;

private:
    float coefficient = 1.f;
};

// Direct-form biquad in double precision, for the fixed equalisers of the master chain.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;  // normalised so that a0 = 1
    double z1 = 0, z2 = 0;

    double process(double input)
    {
        const double output = b0 * input + z1;
        z1 = b1 * input - a1 * output + z2;
        z2 = b2 * input - a2 * output;
        return output;
    }
};
