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
    std::size_t raysDrawn() const
    {
        std::size_t n = 0;
        for (const glrec::Primitive* batch : primitivesOf(GL_TRIANGLES))
            n += batch->texture == scene.rayTexture && batch->textured;
        return n;
    }
};
}

TEST(Shell, HasNineHundredShardsTakingThreeDrawsEachAndTheSceneContinuesTheSeaweedsSequence)
{
    seedRandom15(10);
    const Shell shell(30, 15);
    ASSERT_EQ(shell.shards.size(), 900u);
    const int afterShell = random15();
    seedRandom15(10);
    for (int draw = 0; draw < 2700; ++draw)
        random15();
    EXPECT_EQ(random15(), afterShell);

    // The core is built right after the seaweed, which seeds 10 and draws for its strands, anchors
    // and motes; each shard flies off along its centre plus the three draws, last draw along x.
    ScratchFolder folder;
    const SeaweedScene seaweed;
    const CoreScene core;
    seedRandom15(10);
    for (int draw = 0; draw < 100 * 2 + 1000 * 2 + 2000 * 3; ++draw)
        random15();
    const float r1 = randomUnit() - 0.5f, r2 = randomUnit() - 0.5f, r3 = randomUnit() - 0.5f;
    const Shard& first = core.shell.shards[0];
    EXPECT_EQ(first.velocity.x, first.centre.x + r3);
    EXPECT_EQ(first.velocity.y, first.centre.y + r2);
    EXPECT_EQ(first.velocity.z, first.centre.z + r1);
}

TEST(Shell, UpdateFallsUnderGravityBeforeMoving)
{
    Shell shell(30, 15);
    const Shard before = shell.shards[100];
    shell.update(0.5f);
    const Shard& after = shell.shards[100];
    EXPECT_FLOAT_EQ(after.velocity.y, before.velocity.y - 1.0f);  // 2 units/s^2 for half a second
    EXPECT_FLOAT_EQ(after.centre.y, before.centre.y + 0.5f * (before.velocity.y - 1.0f));  // the new velocity
    EXPECT_FLOAT_EQ(after.centre.z, before.centre.z + 0.5f * before.velocity.z);
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
    EXPECT_EQ(shellBatch().vertices.size(), 2700u);
}

TEST_F(CoreSceneTest, BurstsFortyBeatsInNotBeforeAndSetupRestartsOnlyTheCountdown)
{
    const Shell before = scene.shell;
    drawAt(FIRST_FRAME + 10);  // the countdown starts at the first frame's beat, 840
    drawAt(FIRST_FRAME + 39 * 500 + 499);
    EXPECT_EQ(raysDrawn(), 0u);
    EXPECT_EQ(scene.shell.shards[5].centre.y, before.shards[5].centre.y);

    drawAt(FIRST_FRAME + 40 * 500);  // beat 880, even, but the shell has burst: no throb
    EXPECT_EQ(raysDrawn(), 20u);
    const Shard& now = scene.shell.shards[5];
    EXPECT_NE(now.centre.x, before.shards[5].centre.x);
    EXPECT_FLOAT_EQ(shellBatch().vertices[15].x, now.centre.x + now.corners[0].x);
    const float velocityY = now.velocity.y;
    drawAt(FIRST_FRAME + 40 * 500 + 100);  // the shards fall by the frame's time in seconds
    EXPECT_FLOAT_EQ(scene.shell.shards[5].velocity.y, velocityY - 0.2f);

    const float flown = scene.shell.shards[0].centre.x;
    scene.setup();
    drawAt(FIRST_FRAME + 21000);  // a first frame again: 0 beats in, and the shell stays burst
    EXPECT_EQ(raysDrawn(), 0u);
    EXPECT_EQ(scene.shell.shards[0].centre.x, flown);
}

TEST_F(CoreSceneTest, HusksAreSpheresGrownByPowersThatKeepTheirSign)
{
    // On beat 841 the innermost husk (size 1, yellow) has exponents 1 across latitudes and 0.3 round
    // the meridians: at the equator it reaches 2 along x, -x and z; at 45 degrees north y is
    // cos 45 + 1.5 sin 45 cos 45.
    drawAt(FIRST_FRAME + 500);
    const auto strips = primitivesOf(GL_LINE_STRIP);
    ASSERT_EQ(strips.size(), 7u * 80);
    auto vertex = [&](int meridian, int latitude) { return strips[meridian]->vertices[latitude - 1]; };
    EXPECT_NEAR(vertex(0, 20).x, 2.0f, 1e-5f);
    EXPECT_NEAR(vertex(40, 20).x, -2.0f, 1e-5f);
    EXPECT_NEAR(vertex(20, 20).z, 2.0f, 1e-5f);
    EXPECT_NEAR(vertex(0, 10).y, 1.4571f, 1e-4f);
    EXPECT_NEAR(vertex(0, 30).y, -1.4571f, 1e-4f);
    EXPECT_FLOAT_EQ(strips[0]->vertices[0].g, 0.9f);
    EXPECT_FLOAT_EQ(strips[6 * 80]->vertices[0].g, 0.3f);  // red outside
}
