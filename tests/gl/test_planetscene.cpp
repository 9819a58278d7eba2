// test_planetscene.cpp -- the planet's ring and stars, what one frame draws, and the teddy's flight.
#include <gtest/gtest.h>

#include <cmath>

#include "glrecorder.h"
#include "planetscene.h"
#include "random.h"
#include "scenefixture.h"
#include "tempo.h"

namespace {
constexpr int FIRST_FRAME = 116000;  // show time at which the timeline makes the scene current

struct PlanetSceneTest : SceneFixture<PlanetScene> {
    // The arguments of every call named name in the last frame, in call order. Translations come
    // as the moon's, the 4000 chunks', then the teddy's once it flies.
    std::vector<std::vector<double>> argsOf(const char* name) const
    {
        std::vector<std::vector<double>> all;
        for (const glrec::Call& call : glrec::callsNamed(name))
            all.push_back(call.args);
        return all;
    }
};

std::size_t countPrimitives(GLenum mode)
{
    std::size_t n = 0;
    for (const glrec::Primitive& primitive : glrec::primitives())
        n += primitive.mode == mode;
    return n;
}
}

TEST_F(PlanetSceneTest, RingChunksStepOneRadianAtRadiiTwentyToTwentySeven)
{
    ASSERT_EQ(scene.ring.size(), 4000u);
    for (int n : {0, 1, 7, 1234, 3999}) {
        const RingChunk& chunk = scene.ring[n];
        const double radius = std::hypot(chunk.x, chunk.z);
        EXPECT_GE(radius, 20.0 - 1e-4);
        EXPECT_LE(radius, 27.0 + 1e-4);
        EXPECT_EQ(chunk.y, 0.0f);
        EXPECT_NEAR(chunk.x, radius * std::cos(n), 1e-3);
        EXPECT_NEAR(chunk.z, radius * std::sin(n), 1e-3);
        EXPECT_NEAR(chunk.angle, n * 180 / M_PI, 1e-3 * (n + 1));  // not reduced: chunk 7 is past 360
    }
    EXPECT_GT(scene.ring[7].angle, 360.0f);
}

TEST_F(PlanetSceneTest, StarsFillTheCubeAndTakeZFromTheFirstDrawAfterTheRing)
{
    ASSERT_EQ(scene.stars.size(), 1000u);
    for (const Vec3& star : scene.stars) {
        EXPECT_LE(std::fabs(star.x), 100.0f);
        EXPECT_LE(std::fabs(star.y), 100.0f);
        EXPECT_LE(std::fabs(star.z), 100.0f);
    }
    seedRandom15(0);
    for (int chunk = 0; chunk < 4000; ++chunk)
        randomUnit();
    const float z = 200 * randomUnit() - 100;
    const float y = 200 * randomUnit() - 100;
    const float x = 200 * randomUnit() - 100;
    EXPECT_EQ(scene.stars[0].z, z);
    EXPECT_EQ(scene.stars[0].y, y);
    EXPECT_EQ(scene.stars[0].x, x);
}

TEST_F(PlanetSceneTest, EachFrameDrawsThreeShellsEveryChunkAndEveryStar)
{
    drawAt(FIRST_FRAME);
    const auto spheres = argsOf("gluSphere");
    ASSERT_EQ(spheres.size(), 3u);
    EXPECT_DOUBLE_EQ(spheres[0][0], 12.0);
    EXPECT_DOUBLE_EQ(spheres[1][0], 11.9);
    EXPECT_DOUBLE_EQ(spheres[2][0], 11.8);

    EXPECT_EQ(countPrimitives(GL_POLYGON), 4000u);
    EXPECT_EQ(countPrimitives(GL_LINE_STRIP), 4000u);
    for (const glrec::Primitive& primitive : glrec::primitives())
        if (primitive.mode == GL_LINE_STRIP) {
            ASSERT_EQ(primitive.vertices.size(), 5u);  // the outline closes on its first corner
            EXPECT_EQ(primitive.vertices[4].x, primitive.vertices[0].x);
            EXPECT_EQ(primitive.vertices[4].z, primitive.vertices[0].z);
        }
    ASSERT_EQ(countPrimitives(GL_POINTS), 1u);
    for (const glrec::Primitive& primitive : glrec::primitives())
        if (primitive.mode == GL_POINTS) {
            EXPECT_EQ(primitive.vertices.size(), 1000u);
        }
    // The moon is the only textured quad.
    ASSERT_EQ(countPrimitives(GL_QUADS), 1u);
}

TEST_F(PlanetSceneTest, LeavesLightingBlendingAndTexturingOffWithDepthOn)
{
    drawAt(FIRST_FRAME);
    EXPECT_FALSE(glrec::isEnabled(GL_LIGHTING));
    EXPECT_FALSE(glrec::isEnabled(GL_BLEND));
    EXPECT_FALSE(glrec::isEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glrec::isEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glrec::depthMask());
    EXPECT_EQ(glrec::stackDepth(GL_MODELVIEW), 1);
}

TEST_F(PlanetSceneTest, TeddyTurnsInPlaceUntilSeventeenSecondsOfSceneTime)
{
    drawAt(FIRST_FRAME);
    drawAt(FIRST_FRAME + 17000);  // A = 0
    EXPECT_EQ(argsOf("glTranslatef").size(), 4001u);  // moon and chunks only
    EXPECT_EQ(argsOf("glScalef").size(), 1u);          // the moon's
    EXPECT_EQ(argsOf("glRotatef").size(), 1u + 3 * 4000u + 3);
}

TEST_F(PlanetSceneTest, TeddySwoopsInAndIsFullSizeAtA1700)
{
    drawAt(FIRST_FRAME);
    drawAt(FIRST_FRAME + 17001);  // A = 1: far behind the camera and huge, but finite
    ASSERT_EQ(argsOf("glScalef").size(), 2u);
    EXPECT_FLOAT_EQ(argsOf("glScalef")[1][0], 1700.0f);
    EXPECT_FLOAT_EQ(argsOf("glTranslatef")[4001][2], 100011.0f);

    drawAt(FIRST_FRAME + 17000 + 1700);
    const auto translate = argsOf("glTranslatef").at(4001);
    EXPECT_FLOAT_EQ(translate[0], static_cast<float>(10 - 225000.0 / 1700));
    EXPECT_EQ(translate[1], 0.0);
    EXPECT_FLOAT_EQ(translate[2], static_cast<float>(11 + 100000.0 / 1700));
    EXPECT_EQ(argsOf("glScalef").at(1), (std::vector<double>{1, 1, 1}));

    drawAt(FIRST_FRAME + 17000 + 1700000);  // closing in on (10, 0, 11), a thousandth of its size
    EXPECT_NEAR(argsOf("glTranslatef").at(4001)[0], 10 - 0.1324, 1e-3);
    EXPECT_NEAR(argsOf("glScalef").at(1)[0], 0.001, 1e-7);
}

TEST_F(PlanetSceneTest, SecondSetupKeepsTheSceneClockRunning)
{
    drawAt(FIRST_FRAME);
    scene.setup();
    drawAt(FIRST_FRAME + 17000 + 1700);
    EXPECT_EQ(argsOf("glScalef").at(1), (std::vector<double>{1, 1, 1}));
}
