// test_planetscene.cpp -- the planet's ring and stars, what one frame draws, and the teddy's flight.
#include <cmath>

#include "planetscene.h"
#include "random.h"
#include "scenefixture.h"

namespace {
constexpr int FIRST_FRAME = 116000;  // show time at which the timeline makes the scene current
using PlanetSceneTest = SceneFixture<PlanetScene>;

// Translations come as the moon's, the 4000 chunks', then the teddy's once it flies.
std::vector<double> teddyPlace() { return glrec::callsNamed("glTranslatef").at(4001).args; }
}

TEST_F(PlanetSceneTest, RingChunksStepOneRadianAtRadiiTwentyToTwentySevenThenStarsFillTheCube)
{
    ASSERT_EQ(scene.ring.size(), 4000u);
    for (int n : {0, 7, 3999}) {
        const RingChunk& chunk = scene.ring[n];
        EXPECT_NEAR(std::hypot(chunk.x, chunk.z), 23.5, 3.5 + 1e-4);
        EXPECT_NEAR(std::remainder(std::atan2(chunk.z, chunk.x) - n, 2 * M_PI), 0, 1e-3) << n;
        EXPECT_NEAR(chunk.angle, n * 180 / M_PI, 1e-3 * (n + 1));  // degrees, not reduced
    }
    // A star takes z, then y, then x from the draws after the ring's, each in -100..100.
    seedRandom15(0);
    for (int chunk = 0; chunk < 4000; ++chunk)
        randomUnit();
    EXPECT_EQ(scene.stars[0].z, 200 * randomUnit() - 100);
    EXPECT_EQ(scene.stars[0].y, 200 * randomUnit() - 100);
    EXPECT_EQ(scene.stars[0].x, 200 * randomUnit() - 100);
}

TEST_F(PlanetSceneTest, EachFrameDrawsThreeShellsEveryChunkAndStarLeavesOnlyDepthOnAndGentleChunksAddLessLight)
{
    drawAt(FIRST_FRAME);
    const std::vector<glrec::Call> shells = glrec::callsNamed("gluSphere");
    ASSERT_EQ(shells.size(), 3u);
    EXPECT_TRUE(primitivesOf(GL_POLYGON).size() == 4000u && primitivesOf(GL_LINE_STRIP).size() == 4000u);
    EXPECT_EQ(primitivesOf(GL_LINE_STRIP).back()->vertices.size(), 5u);  // an outline closes on its first corner
    EXPECT_EQ(primitivesOf(GL_POINTS).at(0)->vertices.size(), 1000u);
    EXPECT_EQ(primitivesOf(GL_QUADS).size(), 1u);  // the moon

    EXPECT_FALSE(glrec::isEnabled(GL_LIGHTING) || glrec::isEnabled(GL_BLEND) || glrec::isEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glrec::isEnabled(GL_DEPTH_TEST) && glrec::state().depthMask);
    EXPECT_EQ(glrec::state().stacks[GL_MODELVIEW].size(), 1u);

    // Gentle, the chunks add less light in the same colour.
    const glrec::Vertex designed = primitivesOf(GL_POLYGON).at(10)->vertices[0];
    PlanetScene gentle(true);
    gentle.setup();
    drawAt(FIRST_FRAME, &gentle);
    ASSERT_EQ(primitivesOf(GL_POLYGON).size(), 4000u);
    const glrec::Vertex faint = primitivesOf(GL_POLYGON).at(10)->vertices[0];
    EXPECT_LT(faint.a, designed.a);
    EXPECT_TRUE(faint.r == designed.r && faint.g == designed.g && faint.b == designed.b);
}

TEST_F(PlanetSceneTest, TeddyTurnsInPlaceForSeventeenSecondsThenSwoopsInFromBehindTheCamera)
{
    drawAt(FIRST_FRAME);
    drawAt(FIRST_FRAME + 17000);
    EXPECT_EQ(glrec::callsNamed("glScalef").size(), 1u);  // the moon's only

    drawAt(FIRST_FRAME + 17001);  // far behind the camera and huge, but finite
    EXPECT_TRUE(glrec::callsNamed("glScalef").at(1).args[0] == 1700.0f && teddyPlace()[2] == 100011.0f);

    scene.setup();  // a second setup keeps the scene clock running
    drawAt(FIRST_FRAME + 17000 + 1700);  // full size
    EXPECT_NEAR(teddyPlace()[0], -122.3529, 1e-3);
    EXPECT_NEAR(teddyPlace()[2], 69.8235, 1e-3);
    EXPECT_EQ(glrec::callsNamed("glScalef").at(1).args, (std::vector<double>{1, 1, 1}));

    drawAt(FIRST_FRAME + 17000 + 1700000);  // closing in on (10, 0, 11), a thousandth of its size
    EXPECT_NEAR(teddyPlace()[0], 10 - 0.1324, 1e-3);
    EXPECT_NEAR(glrec::callsNamed("glScalef").at(1).args[0], 0.001, 1e-7);
}
