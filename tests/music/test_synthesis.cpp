// test_synthesis.cpp -- the instruments, the mix and the mastering chain.
#include <gtest/gtest.h>

#include <cmath>

#include "dsp.h"
#include "instruments.h"
#include "mixdown.h"

namespace {

// A score of one note on a plain track of the instrument.
Score oneNote(Instrument instrument, int step, int length = 4, float pitch = 57.f)
{
    Score score;
    score.play(Track{instrument}, step, length, pitch);
    return score;
}

float peakIn(const StereoMix& mix, std::int64_t from, std::int64_t to)
{
    float peak = 0.f;
    for (std::int64_t i = std::max<std::int64_t>(from, 0); i < std::min(to, mix.frames()); ++i)
        peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    return peak;
}

// A stereo sine at a level in dBFS, for the meter and the limiter.
StereoMix sine(float hz, float dbfs, double seconds)
{
    StereoMix mix;
    const std::int64_t frames = static_cast<std::int64_t>(seconds * SAMPLE_RATE);
    mix.left.resize(frames);
    mix.right.resize(frames);
    const float amplitude = dbToGain(dbfs);
    for (std::int64_t i = 0; i < frames; ++i)
        mix.left[i] = mix.right[i] = amplitude * static_cast<float>(std::sin(2.0 * 3.141592653589793 * hz * i / SAMPLE_RATE));
    return mix;
}

}  // namespace

TEST(Instruments, EverySoundStartsExactlyOnItsStepAndDiesAwayWithoutACut)
{
    const int step = 9;  // an odd step, half a frame off the frame grid
    const std::int64_t start = stepToFrame(step);
    for (int i = 0; i < static_cast<int>(Instrument::Count); ++i) {
        const Score score = oneNote(static_cast<Instrument>(i), step);
        const std::int64_t sounding = static_cast<std::int64_t>(soundingSeconds(score.notes().at(0)) * SAMPLE_RATE);
        const StereoMix mix = renderMix(score, 0, start + sounding + 4410);
        EXPECT_EQ(peakIn(mix, 0, start), 0.f) << "instrument " << i << " sounds before its step";
        EXPECT_GT(peakIn(mix, start, start + sounding), 0.01f) << "instrument " << i << " is silent";
        EXPECT_LT(peakIn(mix, start + sounding - 8, start + sounding + 4410), 1e-3f) << "instrument " << i << " ends on a cut";
    }
}

TEST(Mix, DucksSideChainedPartsUnderEachKickAndLetsThemRecoverBeforeTheNextBeat)
{
    Track pad{Instrument::Pad};
    pad.duck = 1.f;
    Score score;
    score.play(pad, 0, 32, 57.f);
    const StereoMix padAlone = renderMix(score, 0, 2 * SAMPLE_RATE);
    score.play(Track{Instrument::Kick}, 8, 4, 57.f);
    const StereoMix both = renderMix(score, 0, 2 * SAMPLE_RATE);
    const StereoMix kickAlone = renderMix(oneNote(Instrument::Kick, 8), 0, 2 * SAMPLE_RATE);
    // The mix is linear in its notes but for the side-chain, so both minus the kick is the pad
    // as the kick ducked it.
    StereoMix duckedPad = both;
    for (std::int64_t i = 0; i < both.frames(); ++i) {
        duckedPad.left[i] -= kickAlone.left[i];
        duckedPad.right[i] -= kickAlone.right[i];
    }
    const std::int64_t kickFrame = stepToFrame(8);
    const std::int64_t justAfter = kickFrame + 441, wellAfter = kickFrame + 13230;  // 10 ms, 300 ms
    EXPECT_LT(peakIn(duckedPad, justAfter, justAfter + 441), 0.2f * peakIn(padAlone, justAfter, justAfter + 441));
    EXPECT_NEAR(peakIn(duckedPad, wellAfter, wellAfter + 441), peakIn(padAlone, wellAfter, wellAfter + 441), 1e-4f);
}

TEST(Mix, RepeatsEchoesOnTheSixteenthGrid)
{
    Track click{Instrument::Rim};
    click.velocity = 1.f;
    click.echo = 1.f;
    Score score;
    score.play(click, 0, 4, 57.f);
    const StereoMix mix = renderMix(score, 0, SAMPLE_RATE);
    // The first repeat comes three steps (a dotted eighth) later, on the left; nothing between.
    const std::int64_t repeat = stepToFrame(3);
    EXPECT_LT(peakIn(mix, 7000, repeat - 2), 0.01f);
    EXPECT_GT(peakIn(mix, repeat - 2, repeat + 300), 0.05f);
}

TEST(Mastering, MeterReadsASineAtItsLevelAndQuietnessAsMinus70AndALoudMixIsBroughtToTheTargetUnderTheCeiling)
{
    EXPECT_NEAR(integratedLoudness(sine(1000.f, -23.f, 5.0)), -23.0, 0.1);
    EXPECT_LE(integratedLoudness(sine(1000.f, -90.f, 5.0)), -70.0);

    // A loud mix is brought to the target with every sample under the ceiling, and fades to silence.
    StereoMix mix = sine(80.f, 0.f, 8.0);
    for (std::int64_t i = 0; i < mix.frames(); i += 22050)
        for (std::int64_t k = 0; k < 200 && i + k < mix.frames(); ++k)
            mix.left[i + k] = mix.right[i + k] = 30.f;  // spikes far over full scale
    MasterSettings settings;
    settings.fadeOutSeconds = 1.0;
    masterMix(mix, settings);
    EXPECT_LE(samplePeak(mix), dbToGain(settings.ceilingDbfs) * 1.0001f);
    EXPECT_NEAR(integratedLoudness(mix), settings.targetLufs, 0.5);
    EXPECT_TRUE(mix.left.back() == 0.f && mix.right.back() == 0.f);
}
