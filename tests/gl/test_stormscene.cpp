// test_stormscene.cpp -- the storm's sea grid, the teddy's ride and the flakes' drift and tumble.
#include <gtest/gtest.h>

#include <cmath>

#include "glrecorder.h"
#include "random.h"
#include "scenefixture.h"
#include "stormscene.h"
#include "tempo.h"

namespace {
constexpr int FIRST_FRAME = 340000;  // show time at which the timeline makes the scene current

using StormSceneTest = SceneFixture<StormScene>;
}

TEST_F(StormSceneTest, FlakesTakeZThenXThenYFromTheSequenceSeededWithThousand)
{
    ASSERT_EQ(scene.particles.size(), 1000u);
    seedRandom15(1000);
    const float a = 30 * randomUnit() - 15;
    const float b = 30 * randomUnit() - 15;
    const float c = 6 * randomUnit() + 1;
    EXPECT_EQ(scene.particles[0].x, b);
    EXPECT_EQ(scene.particles[0].y, c);
    EXPECT_EQ(scene.particles[0].z, a);
}

TEST_F(StormSceneTest, FirstFrameHoldsTheFlakesThenTheyBlowAlongXAndWrapToExactlyMinusFifteen)
{
    scene.particles[3].x = 14.6f;
    const std::vector<Vec3> before = scene.particles;
    drawAt(FIRST_FRAME);
    for (std::size_t k = 0; k < before.size(); ++k)
        ASSERT_EQ(scene.particles[k].x, before[k].x);

    drawAt(FIRST_FRAME + 150);  // half a unit
    for (std::size_t k = 0; k < before.size(); ++k) {
        const float expected = before[k].x + 0.5f;
        EXPECT_NEAR(scene.particles[k].x, expected > 15 ? -15.0f : expected, 1e-5);
        EXPECT_EQ(scene.particles[k].z, before[k].z);
    }
    EXPECT_EQ(scene.particles[3].x, -15.0f);  // the excess over 15 is dropped
}

TEST_F(StormSceneTest, TeddyRidesAZeroSeaFirstThenLastFramesHeight)
{
    drawAt(FIRST_FRAME);
    EXPECT_EQ(glrec::callsNamed("glTranslatef").at(0).args, (std::vector<double>{0, 0, 0}));
    const float centre = scene.heights[50][50];
    EXPECT_NE(centre, 0.0f);

    drawAt(FIRST_FRAME + 40);
    EXPECT_EQ(glrec::callsNamed("glTranslatef").at(0).args[1], centre);
}

TEST_F(StormSceneTest, SeaIsAHundredByHundredPointsOfTheFourWaves)
{
    drawAt(FIRST_FRAME);
    const glrec::Primitive* sea = nullptr;
    for (const glrec::Primitive& primitive : glrec::primitives())
        if (primitive.mode == GL_POINTS)
            sea = &primitive;
    ASSERT_NE(sea, nullptr);
    ASSERT_EQ(sea->vertices.size(), 10000u);
    EXPECT_EQ(sea->vertices.front().x, -25.0f);
    EXPECT_EQ(sea->vertices.front().z, -25.0f);
    EXPECT_EQ(sea->vertices.back().x, 24.5f);
    EXPECT_EQ(sea->vertices.back().z, 24.5f);
    EXPECT_FLOAT_EQ(sea->vertices.front().g, 0.5f);

    const double e = FIRST_FRAME;
    const int i = 10, j = 70;
    const double expected = 0.5 * (std::sin(e * 0.0016666666666666668 + 0.2 * j) + std::sin(e * 0.0014285714285714286 + 0.16666666666666666 * i)) +
                            0.15 * std::sin(0.5555555555555556 * j - e * 0.004545454545454545) +
                            0.1 * std::sin(0.4347826086956522 * i - e * 0.004761904761904762);
    EXPECT_FLOAT_EQ(sea->vertices[100 * i + j].y, static_cast<float>(expected));
    EXPECT_FLOAT_EQ(sea->vertices[100 * i + j].x, -20.0f);
    EXPECT_FLOAT_EQ(sea->vertices[100 * i + j].z, 10.0f);
}

TEST_F(StormSceneTest, XAndZTumbleAnglesStepInWholeMilliseconds)
{
    drawAt(FIRST_FRAME + 5);  // 340005: E/2 = 170002, E/3 = 113335
    const std::vector<glrec::Call> rotations = glrec::callsNamed("glRotatef");
    ASSERT_EQ(rotations.size(), 2 + 3 * 1000u);  // world turn, teddy, then three per flake
    const int k = 7;
    const std::vector<double>& aboutX = rotations[2 + 3 * k].args;
    const std::vector<double>& aboutY = rotations[3 + 3 * k].args;
    const std::vector<double>& aboutZ = rotations[4 + 3 * k].args;
    EXPECT_EQ(aboutX, (std::vector<double>{170002 + k, 1, 0, 0}));
    EXPECT_FLOAT_EQ(aboutY[0], static_cast<float>(340005 * 0.6666666666666666 + k));
    EXPECT_EQ(aboutZ, (std::vector<double>{113335 + k, 0, 0, 1}));
}
