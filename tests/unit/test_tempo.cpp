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

TEST_F(TempoTest, BeatsToMsLaysOutBeatsAt120BpmAfterTheOffset)
{
    EXPECT_EQ(Tempo(120, 0).beatsToMs(980), 490000);
    EXPECT_EQ(Tempo(120, 250).beatsToMs(4), 2250);
}

TEST_F(TempoTest, ElapsedCountsFromStartAcrossTheTickCounterWrap)
{
    ticks = 0xFFFFFF00u;
    Tempo tempo(120, 0);
    tempo.start();
    ticks += 0x200;  // wraps past 2^32
    EXPECT_EQ(tempo.elapsed(), 0x200);
}

TEST_F(TempoTest, BeatCountsWholeBeatsFromTheOffsetAndPhaseIsTheFractionOfTheCurrentOne)
{
    Tempo tempo(120, 1000);
    tempo.start();
    const struct {
        std::uint32_t ms;
        int beat;
        double phase;
    } expected[] = {{1000, 0, 0.0}, {1499, 0, 0.998}, {1750, 1, 0.5}, {441000, 880, 0.0}};
    for (const auto& e : expected) {
        ticks = e.ms;
        EXPECT_EQ(tempo.beat(), e.beat) << e.ms;
        EXPECT_NEAR(tempo.beatPhase(), e.phase, 1e-12) << e.ms;
    }
    ticks = 999;
    EXPECT_EQ(tempo.beat(), -1);  // before the offset
}
