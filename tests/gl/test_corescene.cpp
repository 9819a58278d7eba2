// test_corescene.cpp -- the core's shell of shards, its throb and its burst forty beats in, and the
// husks, whose signed powers keep each half of the sphere on its own side.
#include "corescene.h"
#include "random.h"
#include "scenefixture.h"
#include "seaweedscene.h"

namespace {
constexpr int FIRST_FRAME = 420000;  // show time at which the timeline makes the scene current (beat 840)

struct CoreSceneTest : SceneFixture<CoreScene> {
    const glrec::Primitive& shellBatch() const { return *primitivesOf(GL_TRIANGLES).at(0); }
    std::size_t raysDrawn() const { return primitivesOf(GL_TRIANGLES, scene.rayTexture).size(); }
};
}

// The core is built right after the seaweed, which seeds 10 and draws for its strands, anchors and
// motes; each of the 900 shards then takes three draws and flies off along its centre plus them,
// last draw along x.
TEST(Shell, TakesThreeDrawsAShardContinuingTheSeaweedsSequence)
{
    ScratchFolder folder;
    const SeaweedScene seaweed;
    const CoreScene core;
    const int afterCore = random15();
    seedRandom15(10);
    for (int draw = 0; draw < 100 * 2 + 1000 * 2 + 2000 * 3; ++draw)
        random15();
    const float r1 = randomUnit() - 0.5f, r2 = randomUnit() - 0.5f, r3 = randomUnit() - 0.5f;
    const Shard& first = core.shell.shards.at(0);
    EXPECT_EQ(first.velocity.x, first.centre.x + r3);
    EXPECT_EQ(first.velocity.z, first.centre.z + r1);
    EXPECT_EQ(first.velocity.y, first.centre.y + r2);
    for (int draw = 3; draw < 900 * 3; ++draw)
        random15();
    EXPECT_EQ(random15(), afterCore);
}

TEST_F(CoreSceneTest, ShellThrobsOnEvenBeatsAndRestsOnOddOnes)
{
    const Shard& shard = scene.shell.shards[10];  // corner k of shard s is vertex 3 s + k
    drawAt(FIRST_FRAME);  // beat 840, phase 0: scale 1.3
    EXPECT_FLOAT_EQ(shellBatch().vertices[30].x, 1.3f * shard.centre.x + shard.corners[0].x);
    drawAt(FIRST_FRAME + 250);  // phase 0.5: scale 1.15
    EXPECT_FLOAT_EQ(shellBatch().vertices[30].y, 1.15f * shard.centre.y + shard.corners[0].y);
    drawAt(FIRST_FRAME + 600);  // beat 841: at rest
    EXPECT_FLOAT_EQ(shellBatch().vertices[31].z, shard.centre.z + shard.corners[1].z);
}

TEST_F(CoreSceneTest, BurstsFortyBeatsInNotBeforeThenFallsAndSetupMakesItWholeAgain)
{
    const Shell before = scene.shell;
    drawAt(FIRST_FRAME + 10);  // the countdown starts at the first frame's beat, 840
    drawAt(FIRST_FRAME + 39 * 500 + 499);
    EXPECT_EQ(raysDrawn(), 0u);
    EXPECT_EQ(scene.shell.shards[5].centre.y, before.shards[5].centre.y);

    drawAt(FIRST_FRAME + 40 * 500);  // beat 880, even, but the shell has burst: no throb
    EXPECT_EQ(raysDrawn(), 20u);
    const Shard now = scene.shell.shards[5];
    EXPECT_NE(now.centre.x, before.shards[5].centre.x);
    EXPECT_FLOAT_EQ(shellBatch().vertices[15].x, now.centre.x + now.corners[0].x);
    // 100 ms later: gravity of 2 units/s^2 first, then the move at the new velocity.
    drawAt(FIRST_FRAME + 40 * 500 + 100);
    EXPECT_FLOAT_EQ(scene.shell.shards[5].velocity.y, now.velocity.y - 0.2f);
    EXPECT_FLOAT_EQ(scene.shell.shards[5].centre.y, now.centre.y + 0.1f * (now.velocity.y - 0.2f));

    // Begun again (a viewer jumps back to it), the scene starts as on its first showing: the
    // countdown from its new first frame and the shell whole, every shard where it was built.
    scene.setup();
    drawAt(FIRST_FRAME + 21000);
    EXPECT_EQ(raysDrawn(), 0u);
    for (std::size_t i = 0; i < before.shards.size(); ++i) {
        EXPECT_EQ(scene.shell.shards[i].centre.y, before.shards[i].centre.y) << "shard " << i;
        EXPECT_EQ(scene.shell.shards[i].velocity.y, before.shards[i].velocity.y) << "shard " << i;
    }
}

TEST_F(CoreSceneTest, HusksAreSpheresGrownByPowersThatKeepTheirSign)
{
    // On beat 841 the innermost husk (size 1, yellow) has exponents 1 across latitudes and 0.3 round
    // the meridians: at the equator it reaches 2 along x and -x; at 45 degrees north and south y is
    // plus and minus cos 45 + 1.5 sin 45 cos 45.
    drawAt(FIRST_FRAME + 500);
    const auto strips = primitivesOf(GL_LINE_STRIP);
    ASSERT_EQ(strips.size(), 7u * 80);
    auto vertex = [&](int meridian, int latitude) { return strips[meridian]->vertices[latitude - 1]; };
    EXPECT_NEAR(vertex(0, 20).x, 2.0f, 1e-5f);
    EXPECT_NEAR(vertex(40, 20).x, -2.0f, 1e-5f);
    EXPECT_NEAR(vertex(0, 10).y, 1.4571f, 1e-4f);
    EXPECT_NEAR(vertex(0, 30).y, -1.4571f, 1e-4f);
    EXPECT_TRUE(strips[0]->vertices[0].g == 0.9f && strips[6 * 80]->vertices[0].g == 0.3f);  // red outside
}
