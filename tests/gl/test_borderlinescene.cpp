// test_borderlinescene.cpp -- the border's streaming squares, the marks they leave and how marks fade.
#include <gtest/gtest.h>

#include <cmath>

#include "borderlinescene.h"
#include "glrecorder.h"
#include "random.h"
#include "scenefixture.h"
#include "tempo.h"

namespace {
constexpr int FIRST_FRAME = 300000;  // show time at which the timeline makes the scene current

struct BorderlineSceneTest : SceneFixture<BorderlineScene> {
    // The X the scene computes for particle i with base x at show time e.
    static float swayedX(float baseX, int e, int i)
    {
        return static_cast<float>(baseX - 2 * std::cos(0.001 * e) - 1.5 * std::cos(e * 0.0016666666666666668 + i));
    }

    // A base x that puts particle i exactly at X = target at show time e, if a float reaches it.
    static bool baseXFor(float target, int e, int i, float& baseX)
    {
        baseX = static_cast<float>(target + 2 * std::cos(0.001 * e) + 1.5 * std::cos(e * 0.0016666666666666668 + i));
        for (int step = 0; step < 8; ++step) {
            if (swayedX(baseX, e, i) == target)
                return true;
            baseX = std::nextafter(baseX, swayedX(baseX, e, i) < target ? 100.0f : -100.0f);
        }
        return false;
    }

    std::size_t quadsWith(GLuint texture) const
    {
        std::size_t n = 0;
        for (const glrec::Primitive& primitive : glrec::primitives())
            n += primitive.mode == GL_QUADS && primitive.texture == texture;
        return n;
    }
};
}

TEST_F(BorderlineSceneTest, SquaresTakeZThenXThenYFromTheSequenceSeededWithThousand)
{
    ASSERT_EQ(scene.particles.size(), 2000u);
    seedRandom15(1000);
    const float u1 = randomUnit(), u2 = randomUnit(), u3 = randomUnit();
    EXPECT_EQ(scene.particles[0].x, 30 * u2 - 15);
    EXPECT_EQ(scene.particles[0].y, 6 * u3 - 1);
    EXPECT_EQ(scene.particles[0].z, 30 * u1 - 15);
    EXPECT_EQ(scene.hits.capacity(), BorderlineScene::MAX_HITS);
}

TEST_F(BorderlineSceneTest, FirstFrameStandsStillThenSquaresStreamAThirdOfAUnitPerHundredMs)
{
    const std::vector<Vec3> before = scene.particles;
    drawAt(FIRST_FRAME);
    for (std::size_t i = 0; i < before.size(); ++i)
        ASSERT_EQ(scene.particles[i].x, before[i].x);
    for (const BorderHit& hit : scene.hits)
        EXPECT_EQ(hit.alpha, 1.0f);

    drawAt(FIRST_FRAME + 300);
    for (std::size_t i = 0; i < before.size(); ++i) {
        const float expected = before[i].x + 1.0f;
        EXPECT_NEAR(scene.particles[i].x, expected > 15 ? -15.0f : expected, 1e-5);
        EXPECT_EQ(scene.particles[i].y, before[i].y);
        EXPECT_EQ(scene.particles[i].z, before[i].z);
    }
}

TEST_F(BorderlineSceneTest, MarksOnlyStrictlyInsideTheBand)
{
    // Show time 1571 ms puts one of the sway terms near zero; pick the particle whose total sway is
    // smallest, so that its X can land exactly on +-0.1 (the float steps there are fine enough).
    const int e = 1571;
    int chosen = 0;
    for (int i = 0; i < 2000; ++i)
        if (std::fabs(swayedX(0, e, i)) < std::fabs(swayedX(0, e, chosen)))
            chosen = i;
    for (Vec3& p : scene.particles)
        p.x = -100;  // far from the border, so only the chosen particle can mark it

    const float targets[] = {0.1f, -0.1f, std::nextafter(0.1f, 0.0f), std::nextafter(-0.1f, 0.0f)};
    const std::size_t hitsAfter[] = {0, 0, 1, 2};
    for (int k = 0; k < 4; ++k) {
        float baseX = 0;
        ASSERT_TRUE(baseXFor(targets[k], e, chosen, baseX)) << "target " << targets[k];
        scene.particles[chosen].x = baseX;
        drawAt(e);  // dt = 0 at one show time: the particle does not move and marks do not fade
        EXPECT_EQ(scene.hits.size(), hitsAfter[k]) << "X = " << targets[k];
    }
}

TEST_F(BorderlineSceneTest, SquareAtTheBorderIsOrangeRedAndMarksIt)
{
    // At show time 0 particle 0 sways by exactly 2 + 1.5, so base x 3.5 puts it at X = 0.
    scene.particles[0].x = 3.5f;
    scene.particles[1].x = static_cast<float>(0.05 + 2 + 1.5 * std::cos(1.0));  // X = 0.05: white
    drawAt(0);

    std::vector<const glrec::Primitive*> squares;
    for (const glrec::Primitive& primitive : glrec::primitives())
        if (primitive.mode == GL_POLYGON)
            squares.push_back(&primitive);
    ASSERT_EQ(squares.size(), 2000u);
    const glrec::Vertex& first = squares[0]->vertices[0];
    EXPECT_FLOAT_EQ(first.r, 1.0f);
    EXPECT_FLOAT_EQ(first.g, 0.15f);
    EXPECT_FLOAT_EQ(first.b, 0.1f);
    EXPECT_FLOAT_EQ(squares[1]->vertices[0].g, 1.0f);

    ASSERT_GE(scene.hits.size(), 2u);
    EXPECT_EQ(scene.hits[0].x, 0.0f);
    EXPECT_EQ(scene.hits[0].z, scene.particles[0].z);
    EXPECT_EQ(scene.hits[0].alpha, 1.0f);
    EXPECT_EQ(scene.hits[1].z, scene.particles[1].z);
}

TEST_F(BorderlineSceneTest, NewMarkFlaresAtPointEightAcrossAndAMarkAtPointEightDoesNot)
{
    scene.particles.clear();
    scene.hits.push_back(BorderHit{0, 1, 2, 1.0f});
    scene.hits.push_back(BorderHit{0, 3, 4, 0.8f});
    drawAt(FIRST_FRAME);

    EXPECT_EQ(quadsWith(scene.hitTexture), 3u);  // mark + flare, then the mark alone
    std::vector<std::vector<double>> scales;
    for (const glrec::Call& call : glrec::callsNamed("glScalef"))
        if (call.args[1] < 1)
            scales.push_back(call.args);
    ASSERT_EQ(scales.size(), 3u);
    EXPECT_FLOAT_EQ(scales[0][1], 0.1f);
    EXPECT_FLOAT_EQ(scales[1][1], 0.4f);  // 0.8 x 0.8
    EXPECT_FLOAT_EQ(scales[1][2], 0.4f);
    EXPECT_FLOAT_EQ(scales[2][1], 0.1f);
}

TEST_F(BorderlineSceneTest, MarksFadeOverOneSecondAndAreDrawnOnceMoreBeforeLeaving)
{
    scene.particles.clear();
    scene.hits.push_back(BorderHit{0, 1, 1, 1.0f});
    scene.hits.push_back(BorderHit{0, 2, 2, 0.5f});
    scene.hits.push_back(BorderHit{0, 3, 3, 0.05f});
    scene.hits.push_back(BorderHit{0, 4, 4, 0.3f});
    drawAt(FIRST_FRAME);
    drawAt(FIRST_FRAME + 100);

    EXPECT_EQ(quadsWith(scene.hitTexture), 5u);  // all four drawn, the first with its flare
    ASSERT_EQ(scene.hits.size(), 3u);
    EXPECT_FLOAT_EQ(scene.hits[0].alpha, 0.9f);
    EXPECT_FLOAT_EQ(scene.hits[1].alpha, 0.4f);
    EXPECT_FLOAT_EQ(scene.hits[2].alpha, 0.2f);
    EXPECT_EQ(scene.hits[2].y, 4.0f);  // order kept across the removal

    drawAt(FIRST_FRAME + 1100);
    EXPECT_TRUE(scene.hits.empty());
}

TEST_F(BorderlineSceneTest, OnlyPassingFifteenWrapsToMinusFifteen)
{
    scene.particles.resize(2);
    scene.particles[0].x = 15.0f;
    scene.particles[1].x = 13.0f;
    drawAt(FIRST_FRAME);
    EXPECT_EQ(scene.particles[0].x, 15.0f);

    drawAt(FIRST_FRAME + 450);  // 1.5 units
    EXPECT_EQ(scene.particles[0].x, -15.0f);
    EXPECT_FLOAT_EQ(scene.particles[1].x, 14.5f);
}

TEST_F(BorderlineSceneTest, MarksStopGrowingAtTheCap)
{
    scene.particles.resize(1);
    scene.particles[0].x = 3.5f;  // at the border at show time 0
    scene.hits.assign(BorderlineScene::MAX_HITS, BorderHit{0, 0, 0, 0.5f});
    drawAt(0);
    EXPECT_EQ(scene.hits.size(), BorderlineScene::MAX_HITS);
    EXPECT_EQ(scene.hits.capacity(), BorderlineScene::MAX_HITS);
    EXPECT_EQ(scene.hits.back().alpha, 0.5f);
}
