// test_stormscene.cpp -- the storm's sea grid, the teddy's ride and the flakes' drift.
#include "random.h"
#include "scenefixture.h"
#include "stormscene.h"

namespace {
constexpr int FIRST_FRAME = 340000;  // show time at which the timeline makes the scene current
using StormSceneTest = SceneFixture<StormScene>;
}

TEST_F(StormSceneTest, FlakesTakeZThenXThenYFromTheSequenceSeededWithThousandBlowAlongXAndStartAgainAsBuilt)
{
    ASSERT_EQ(scene.particles.size(), 1000u);
    seedRandom15(1000);
    EXPECT_EQ(scene.particles[0].z, 30 * randomUnit() - 15);
    EXPECT_EQ(scene.particles[0].x, 30 * randomUnit() - 15);
    EXPECT_EQ(scene.particles[0].y, 6 * randomUnit() + 1);

    // The first frame holds them; then they blow as the border's squares do, half a unit in 150 ms.
    const std::vector<Vec3> built = scene.particles;
    drawAt(FIRST_FRAME);
    EXPECT_EQ(scene.particles[0].x, built[0].x);
    drawAt(FIRST_FRAME + 150);
    EXPECT_FLOAT_EQ(scene.particles[0].x, built[0].x + 0.5f);

    drawAt(FIRST_FRAME + 3000);
    ASSERT_NE(scene.heights[50][50], 0.0f);
    scene.setup();  // a viewer jumps back to the scene: the teddy rides a flat sea at its first frame
    for (std::size_t i = 0; i < built.size(); ++i)
        EXPECT_EQ(scene.particles[i].x, built[i].x) << "flake " << i;
    EXPECT_EQ(scene.heights[50][50], 0.0f);
}

TEST_F(StormSceneTest, SeaIsAHundredByHundredPointsOfTheFourWavesAndTheTeddyRidesLastFramesHeight)
{
    drawAt(0);
    const glrec::Primitive& sea = *primitivesOf(GL_POINTS).at(0);
    ASSERT_EQ(sea.vertices.size(), 10000u);
    const glrec::Vertex& point = sea.vertices[100 * 10 + 70];  // row 10, column 70
    EXPECT_TRUE(point.x == -20.0f && point.z == 10.0f);
    EXPECT_NEAR(point.y, 1.03882f, 1e-5f);
    // The teddy rides a flat sea on the first frame, then the centre's height from the frame before.
    EXPECT_EQ(glrec::callsNamed("glTranslatef").at(0).args, (std::vector<double>{0, 0, 0}));
    drawAt(FIRST_FRAME);
    EXPECT_NEAR(glrec::callsNamed("glTranslatef").at(0).args[1], 0.26803, 1e-5);
    EXPECT_NEAR(primitivesOf(GL_POINTS)[0]->vertices[100 * 10 + 70].y, 0.19726, 1e-4);
}
