// test_flashrules.cpp -- the flash rules on generated clips: full-screen, partial and red flashes, grain.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "flashrules.h"

using namespace flash;

namespace {

using Rgb = std::array<std::uint8_t, 3>;
const Rgb BLACK{0, 0, 0}, WHITE{255, 255, 255};

struct Verdict {
    std::vector<Stretch> general, red;
    float worstRate = 0, worstShare = 0, worstRedRate = 0;
};

// Runs a clip of frames drawn pixel by pixel by paint(frame, x, y) through the rules; frame i shows
// fromMs + i * 1000 / fps.
template <class Paint>
Verdict analyse(int width, int height, int fps, int frames, Paint paint, int fromMs = 0)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    FlashAnalysis analysis;
    BlockFrame blocks;
    std::vector<int> frameMs;
    for (int f = 0; f < frames; ++f) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Rgb c = paint(f, x, y);
                std::copy(c.begin(), c.end(), rgb.begin() + (static_cast<std::size_t>(y) * width + x) * 3);
            }
        measureFrame(rgb.data(), width, height, blocks);
        analysis.add(blocks);
        frameMs.push_back(fromMs + f * 1000 / fps);
    }
    RuleResult general, red;
    analysis.finish(fps, general, red);
    Verdict verdict;
    const int endMs = fromMs + frames * 1000 / fps;
    verdict.general = failingStretches(general, frameMs, endMs);
    verdict.red = failingStretches(red, frameMs, endMs);
    for (const SecondRisk& r : general.fromFrame) {
        verdict.worstRate = std::max(verdict.worstRate, r.rate);
        verdict.worstShare = std::max(verdict.worstShare, r.share);
    }
    for (const SecondRisk& r : red.fromFrame)
        verdict.worstRedRate = std::max(verdict.worstRedRate, r.rate);
    return verdict;
}

// A square wave between two colours at hz, sampled at fps: the first colour for the first half period.
Rgb squareWave(int frame, int fps, double hz, Rgb a, Rgb b)
{
    return static_cast<long>(frame * hz * 2 / fps) % 2 == 0 ? a : b;
}

// 192x144: blocks of exactly 8x6 pixels, so patches can be laid on whole blocks.
const int W = 192, H = 144, BLOCK_W = W / BLOCKS_ACROSS, BLOCK_H = H / BLOCKS_DOWN;

}  // namespace

// Whole-screen square waves for two seconds: which rule each fails, and the worst rate each rule
// measured (within half a flash a second).
TEST(FullScreenFlash, FailsAboveThreeHertzOnlyWithATenthsSwingBelowEightTenthsOrInSaturatedRed)
{
    const Rgb l85{238, 238, 238}, l70{218, 218, 218}, l90{243, 243, 243}, l45{180, 180, 180}, l52{193, 193, 193};
    const Rgb red{150, 0, 0}, pink{150, 60, 60};
    const struct {
        const char* what;
        int fps;
        double hz;
        Rgb a, b;
        bool general, redRule;
        float rate, redRate;
    } cases[] = {
        {"black and white at 2 Hz", 60, 2, BLACK, WHITE, false, false, 2, 0},
        {"three flashes a second are allowed", 30, 3, BLACK, WHITE, false, false, 3, 0},
        {"0.85 to 1.0: both ends bright", 30, 5, l85, WHITE, false, false, 0, 0},
        {"0.70 to 0.90", 30, 5, l70, l90, true, false, 5, 0},
        {"0.45 to 0.52: under a tenth", 30, 5, l45, l52, false, false, 0, 0},
        {"dim saturated red: under a tenth of luminance", 30, 5, BLACK, red, false, true, 0, 5},
        {"red under 0.8 of R + G + B in linear light", 30, 5, BLACK, pink, true, false, 5, 0},
        {"saturated red at 2 Hz", 30, 2, BLACK, red, false, false, 0, 2},
    };
    for (const auto& c : cases) {
        const Verdict verdict = analyse(W, H, c.fps, 2 * c.fps, [&](int f, int, int) { return squareWave(f, c.fps, c.hz, c.a, c.b); });
        EXPECT_EQ(!verdict.general.empty(), c.general) << c.what;
        EXPECT_EQ(!verdict.red.empty(), c.redRule) << c.what;
        EXPECT_NEAR(verdict.worstRate, c.rate, 0.5f) << c.what;
        EXPECT_NEAR(verdict.worstRedRate, c.redRate, 0.5f) << c.what;
    }
}

TEST(GeneralFlash, APatchFailsOnlyFromAQuarterOfAWindowSoAnAreaSpreadThinPassesAndInOnePieceFails)
{
    // 4x3 blocks (12 of a window's 64, 19 %) flashing at 5 Hz pass; 5x4 blocks (20, 31 %) fail.
    auto patch = [](int across, int down) {
        return [across, down](int f, int x, int y) {
            const bool inside = x >= 10 * BLOCK_W && x < (10 + across) * BLOCK_W && y >= 10 * BLOCK_H && y < (10 + down) * BLOCK_H;
            return inside ? squareWave(f, 30, 5, BLACK, WHITE) : BLACK;
        };
    };
    const Verdict small = analyse(W, H, 30, 60, patch(4, 3));
    EXPECT_TRUE(small.general.empty());
    EXPECT_FLOAT_EQ(small.worstShare, 12.0f / 64);
    const Verdict large = analyse(W, H, 30, 60, patch(5, 4));
    ASSERT_FALSE(large.general.empty());
    EXPECT_FLOAT_EQ(large.general[0].share, 20.0f / 64);

    // A fifth of the screen passes spread thin, one block in five so that no window holds a quarter
    // of its blocks flashing, but fails in one piece.
    const Verdict spread = analyse(W, H, 30, 60, [](int f, int x, int y) {
        const int bx = x / BLOCK_W, by = y / BLOCK_H;
        return (bx + 2 * by) % 5 == 0 ? squareWave(f, 30, 5, BLACK, WHITE) : BLACK;
    });
    EXPECT_TRUE(spread.general.empty());
    EXPECT_GT(spread.worstShare, 0.15f);
    // The same area as one band, a fifth of the screen's width, covers whole windows.
    const Verdict band = analyse(W, H, 30, 60, [](int f, int x, int) {
        return x < W / 5 ? squareWave(f, 30, 5, BLACK, WHITE) : BLACK;
    });
    EXPECT_FALSE(band.general.empty());
}

TEST(GeneralFlash, MovingGrainAndSmallMovingPointsPass)
{
    std::mt19937 random(7);
    std::vector<std::uint8_t> grain(static_cast<std::size_t>(W) * H * 120);
    for (auto& g : grain)
        g = static_cast<std::uint8_t>(88 + random() % 81);  // mid grey +-40 levels, new every frame
    const Verdict verdict = analyse(W, H, 30, 120, [&](int f, int x, int y) {
        const int dotX = (f * 7) % W, dotY = (f * 5) % H;
        if (std::abs(x - dotX) <= 2 && std::abs(y - dotY) <= 2)
            return WHITE;
        const std::uint8_t v = grain[(static_cast<std::size_t>(f) * H + y) * W + x];
        return Rgb{v, v, v};
    });
    EXPECT_TRUE(verdict.general.empty());
    // The grain makes no transition; the dot, large against these small blocks, one flash in each
    // block it crosses.
    EXPECT_LE(verdict.worstRate, 1.0f);
}

TEST(GeneralFlash, AStretchCoversTheFailingSecondsInShowTime)
{
    // 5 Hz over the whole screen and the whole clip: one stretch from its first frame to its end.
    const Verdict whole = analyse(W, H, 30, 90, [](int f, int, int) { return squareWave(f, 30, 5, BLACK, WHITE); });
    ASSERT_EQ(whole.general.size(), 1u);
    EXPECT_TRUE(whole.general[0].startMs == 0 && whole.general[0].endMs == 3000) << whole.general[0].endMs;
    EXPECT_FLOAT_EQ(whole.general[0].share, 1.0f);
    EXPECT_NEAR(whole.general[0].rate, 5.0f, 0.5f);
    EXPECT_EQ(secondsTouched(whole.general), 3);

    // 5 Hz from 1 s to 2 s of a 4 s clip that starts at 10 s.
    const Verdict verdict = analyse(W, H, 30, 120, [](int f, int, int) {
        return f >= 30 && f < 60 ? squareWave(f, 30, 5, BLACK, WHITE) : BLACK;
    }, 10000);
    ASSERT_EQ(verdict.general.size(), 1u);
    EXPECT_GE(verdict.general[0].startMs, 10000);
    EXPECT_LE(verdict.general[0].startMs, 11000);
    EXPECT_GE(verdict.general[0].endMs, 12000);
    EXPECT_LE(verdict.general[0].endMs, 13000);
}

TEST(SwingTracker, WigglesUnderTheThresholdNeitherSplitNorMakeTransitions)
{
    SwingTracker tracker(GENERAL_SWING);
    std::vector<int> ends;
    // A rise from 0.1 to 0.7 in steps with dips of 0.05, then a fall back: two transitions.
    float value = 0.1f;
    int frame = 0;
    for (; value < 0.7f; value += 0.1f) {
        tracker.add(frame++, value, false, true, ends);
        tracker.add(frame++, value - 0.05f, false, true, ends);
    }
    const int peak = frame - 2;
    tracker.add(frame++, 0.1f, false, true, ends);
    tracker.finish(true, ends);
    EXPECT_EQ(ends, (std::vector<int>{peak, frame - 1}));
}
