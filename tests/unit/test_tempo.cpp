// test_tempo.cpp -- the music clock on a controlled tick source.
#include <gtest/gtest.h>

#include <cstdint>

#include "tempo.h"

namespace {
std::uint32_t ticks = 0;
std::uint32_t fakeTicks() { return ticks; }

struct TempoTest : ::testing::Test {
    TempoTest() { Tempo::setTickSource(fakeTicks); ticks = 0; }
    ~TempoTest() override { Tempo::setTickSource(nullptr); }
};
}

TEST_F(TempoTest, BeatsToMsLaysOutBarsAt120Bpm)
{
    EXPECT_EQ(Tempo(120, 0).beatsToMs(0), 0);
    EXPECT_EQ(Tempo(120, 0).beatsToMs(4), 2000);
    EXPECT_EQ(Tempo(120, 0).beatsToMs(980), 490000);
    EXPECT_EQ(Tempo(120, 250).beatsToMs(4), 2250);
}

TEST_F(TempoTest, ElapsedCountsFromStartAcrossTheTickCounterWrap)
{
    ticks = 0xFFFFFF00u;
    Tempo tempo(120, 0);
    tempo.start();
    EXPECT_EQ(tempo.elapsed(), 0);
    ticks += 0x200;  // wraps past 2^32
    EXPECT_EQ(tempo.elapsed(), 0x200);
}

TEST_F(TempoTest, BeatCountsWholeBeatsFromTheOffsetAndPhaseIsTheFractionOfTheCurrentOne)
{
    Tempo tempo(120, 0);
    tempo.start();
    const std::pair<std::uint32_t, int> beats[] = {{0, 0}, {499, 0}, {500, 1}, {440000, 880}};
    for (auto [ms, beat] : beats) {
        ticks = ms;
        EXPECT_EQ(tempo.beat(), beat) << ms;
    }
    const std::pair<std::uint32_t, double> phases[] = {{0, 0.0}, {250, 0.5}, {499, 0.998}, {1000, 0.0}};
    for (auto [ms, phase] : phases) {
        ticks = ms;
        EXPECT_NEAR(tempo.beatPhase(), phase, 1e-12) << ms;
    }
    ticks = 0;
    Tempo late(120, 1000);
    late.start();
    ticks = 999;
    EXPECT_EQ(late.beat(), -1);
    ticks = 1000;
    EXPECT_EQ(late.beat(), 0);
}
