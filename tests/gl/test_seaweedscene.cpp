// test_seaweedscene.cpp -- the strands' springs, the fixed-step catch-up, the motes' wrapping and
// what a frame draws.
#include <cmath>

#include "scenefixture.h"
#include "seaweedscene.h"

namespace {
constexpr int FIRST_FRAME = 380000;  // show time at which the timeline makes the scene current
using SeaweedSceneTest = SceneFixture<SeaweedScene>;

bool sameNodes(const Strand& a, const Strand& b, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (a.nodes[i].x != b.nodes[i].x || a.nodes[i].y != b.nodes[i].y || a.nodes[i].z != b.nodes[i].z)
            return false;
    return true;
}
}

TEST(Strand, BuildsAnUprightLadderAtRestAndTheCurrentPullsHardestMidway)
{
    Strand strand(10, 3.0f, 0.7f);
    ASSERT_EQ(strand.nodes.size(), 22u);
    ASSERT_EQ(strand.springs.size(), 51u);
    EXPECT_NEAR(strand.nodes[1].x, 3.0f * std::cos(0.7f), 1e-6f);  // the width at the angle
    EXPECT_FLOAT_EQ(strand.nodes[21].y, 30.0f);
    for (const StrandSpring& spring : strand.springs) {
        const StrandNode &a = strand.nodes[spring.first], &b = strand.nodes[spring.second];
        EXPECT_NEAR(std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)),
                    spring.restLength, 1e-5);
    }
    // At rest the current is the only force: 0.2 of it on node 11 of mass 45, less towards the ends.
    strand.step(Vec3{1.0f, 0.0f, 0.0f});
    EXPECT_FLOAT_EQ(strand.nodes[11].vx, 0.4f / 45);
    EXPECT_FLOAT_EQ(strand.nodes[21].vx, 0.4f / 45 / 11);
}

TEST(Strand, NodeFlungTooHardOrOnTopOfAnotherStopsDeadForTheStep)
{
    Strand strand(10, 2.0f, 0.0f);
    strand.nodes[21].vx = 0.3f;
    strand.nodes[21].y += 100;  // its springs pull back far harder than |a| < 1 allows
    strand.nodes[3] = strand.nodes[2];  // a zero-length rung: its force is 0/0
    strand.nodes[3].vx = 0.1f;
    const StrandNode flung = strand.nodes[21];
    strand.step(Vec3{0, 0.3f, 0});
    EXPECT_TRUE(strand.nodes[21].vx == 0.0f && strand.nodes[21].y == flung.y);
    EXPECT_TRUE(strand.nodes[3].vx == 0.0f && strand.nodes[3].x == strand.nodes[2].x);  // not NaN
}

TEST_F(SeaweedSceneTest, StepsEveryTwentyMsFromTheFirstFrameALateFrameCatchesUpToTheSameStateAndBegunAgainStandsAtRest)
{
    const SeaweedScene untouched;
    drawAt(FIRST_FRAME);
    EXPECT_EQ(scene.stepCount, 0);
    drawAt(FIRST_FRAME + 119);
    EXPECT_EQ(scene.stepCount, 5);
    ASSERT_FALSE(sameNodes(scene.strands[7], untouched.strands[7], 22));
    scene.setup();  // a viewer jumps back to the scene
    for (int i : {0, 7, 99})
        EXPECT_TRUE(sameNodes(scene.strands[i], untouched.strands[i], 22)) << "strand " << i;

    SeaweedScene steady, late;  // each seeds the sequence afresh: the same strands and motes
    for (int now = 0; now <= 1000; now += 20)
        steady.catchUp(now);
    late.catchUp(0);
    late.catchUp(1000);  // one frame after a 1 s stall
    EXPECT_EQ(late.stepCount, 50);
    for (int i : {0, 99}) {
        EXPECT_TRUE(sameNodes(late.strands[i], steady.strands[i], 22)) << "strand " << i;
        EXPECT_TRUE(sameNodes(late.strands[i], untouched.strands[i], 2)) << "strand " << i << ": the roots stay put";
        EXPECT_FALSE(sameNodes(late.strands[i], untouched.strands[i], 22)) << "strand " << i << " does not sway";
    }
    EXPECT_TRUE(late.motes[1999].x == steady.motes[1999].x && late.motes[1999].z == steady.motes[1999].z);
}
