// test_tempo.cpp -- the music clock on a controlled tick source.
#include <gtest/gtest.h>

#include <cstdint>

#include "tempo.h"

namespace {
std::uint32_t ticks = 0;
std::uint32_t fakeTicks() { return ticks; }

struct TempoTest : ::testing::Test {
    void SetUp() override { Tempo::setTickSource(fakeTicks); ticks = 0; }
    void TearDown() override { Tempo::setTickSource(nullptr); }
};
}

TEST_F(TempoTest, BeatsToMsLaysOutBarsAt120Bpm)
{
    Tempo tempo(120, 0);
    EXPECT_EQ(tempo.beatsToMs(0), 0);
    EXPECT_EQ(tempo.beatsToMs(4), 2000);
    EXPECT_EQ(tempo.beatsToMs(980), 490000);
    EXPECT_EQ(Tempo(120, 250).beatsToMs(4), 2250);
}

TEST_F(TempoTest, ElapsedCountsFromStartNotFromTickZero)
{
    ticks = 12345;
    Tempo tempo(120, 0);
    tempo.start();
    EXPECT_EQ(tempo.elapsed(), 0);
    ticks += 1500;
    EXPECT_EQ(tempo.elapsed(), 1500);
}

TEST_F(TempoTest, ElapsedSurvivesTickCounterWrap)
{
    ticks = 0xFFFFFF00u;
    Tempo tempo(120, 0);
    tempo.start();
    ticks += 0x200;  // wraps past 2^32
    EXPECT_EQ(tempo.elapsed(), 0x200);
}

TEST_F(TempoTest, BeatCountsWholeBeatsFromStart)
{
    Tempo tempo(120, 0);
    tempo.start();
    EXPECT_EQ(tempo.beat(), 0);
    ticks = 499;
    EXPECT_EQ(tempo.beat(), 0);
    ticks = 500;
    EXPECT_EQ(tempo.beat(), 1);
    ticks = 440000;
    EXPECT_EQ(tempo.beat(), 880);
}

TEST_F(TempoTest, BeatIsMinusOneBeforeTheOffset)
{
    Tempo tempo(120, 1000);
    tempo.start();
    ticks = 999;
    EXPECT_EQ(tempo.beat(), -1);
    ticks = 1000;
    EXPECT_EQ(tempo.beat(), 0);
}

TEST_F(TempoTest, BeatPhaseIsFractionOfCurrentBeat)
{
    Tempo tempo(120, 0);
    tempo.start();
    EXPECT_DOUBLE_EQ(tempo.beatPhase(), 0.0);
    ticks = 250;
    EXPECT_DOUBLE_EQ(tempo.beatPhase(), 0.5);
    ticks = 499;
    EXPECT_NEAR(tempo.beatPhase(), 0.998, 1e-12);
    ticks = 1000;
    EXPECT_DOUBLE_EQ(tempo.beatPhase(), 0.0);
}
