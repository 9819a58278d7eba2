// test_seaweedscene.cpp -- the seaweed's fixed-step catch-up, the motes' wrapping and what a frame draws.
#include <gtest/gtest.h>

#include "glrecorder.h"
#include "random.h"
#include "scenefixture.h"
#include "seaweedscene.h"
#include "tempo.h"

namespace {
constexpr int FIRST_FRAME = 380000;  // show time at which the timeline makes the scene current

using SeaweedSceneTest = SceneFixture<SeaweedScene>;

void expectSameNodes(const Strand& a, const Strand& b)
{
    ASSERT_EQ(a.nodes.size(), b.nodes.size());
    for (std::size_t i = 0; i < a.nodes.size(); ++i) {
        EXPECT_EQ(a.nodes[i].x, b.nodes[i].x);
        EXPECT_EQ(a.nodes[i].y, b.nodes[i].y);
        EXPECT_EQ(a.nodes[i].z, b.nodes[i].z);
        EXPECT_EQ(a.nodes[i].vx, b.nodes[i].vx);
    }
}
}

TEST_F(SeaweedSceneTest, FirstFrameRunsNoStepAndAFrameHundredMsLaterRunsFive)
{
    const std::vector<Vec3> motes = scene.motes;
    drawAt(FIRST_FRAME);
    EXPECT_EQ(scene.stepCount, 0);
    EXPECT_EQ(scene.startTime, FIRST_FRAME);
    EXPECT_EQ(scene.motes[5].x, motes[5].x);

    drawAt(FIRST_FRAME + 100);
    EXPECT_EQ(scene.stepCount, 5);
    drawAt(FIRST_FRAME + 119);
    EXPECT_EQ(scene.stepCount, 5);
}

TEST_F(SeaweedSceneTest, LateFrameCatchesUpToTheSameStateAsSteadyFrames)
{
    SeaweedScene steady;  // seeds the sequence afresh: the same strands and motes
    steady.setup();
    for (int now = 0; now <= 1000; now += 20)
        steady.catchUp(now);
    scene.catchUp(0);
    scene.catchUp(1000);  // one frame after a 1 s stall

    EXPECT_EQ(scene.stepCount, 50);
    EXPECT_EQ(steady.stepCount, 50);
    for (int i : {0, 42, 99})
        expectSameNodes(scene.strands[i], steady.strands[i]);
    for (int k : {0, 1000, 1999}) {
        EXPECT_EQ(scene.motes[k].x, steady.motes[k].x);
        EXPECT_EQ(scene.motes[k].z, steady.motes[k].z);
    }
}

TEST_F(SeaweedSceneTest, StrandsSwayButTheirRootsStayPut)
{
    const SeaweedScene untouched;
    scene.catchUp(0);
    scene.catchUp(5000);
    EXPECT_EQ(scene.stepCount, 250);
    for (std::size_t s = 0; s < scene.strands.size(); ++s) {
        for (int root : {0, 1}) {
            EXPECT_EQ(scene.strands[s].nodes[root].x, untouched.strands[s].nodes[root].x);
            EXPECT_EQ(scene.strands[s].nodes[root].y, untouched.strands[s].nodes[root].y);
            EXPECT_EQ(scene.strands[s].nodes[root].z, untouched.strands[s].nodes[root].z);
        }
    }
    EXPECT_NE(scene.strands[0].nodes[21].x, untouched.strands[0].nodes[21].x);
}

TEST_F(SeaweedSceneTest, MotesWrapAcrossTheFloorSquareButNeverInHeight)
{
    // Step 0 has no current in x or z; mote k moves by 0.1 sin(k) in both.
    scene.motes[1] = Vec3{149.95f, 500.0f, 149.95f};    // sin 1 > 0: out at +150
    scene.motes[4] = Vec3{-149.95f, -50.0f, -149.95f};  // sin 4 < 0: out at -150
    scene.catchUp(0);
    scene.catchUp(20);
    EXPECT_NEAR(scene.motes[1].x, 149.95 + 0.1 * std::sin(1.0) - 300, 1e-4);
    EXPECT_NEAR(scene.motes[1].z, 149.95 + 0.1 * std::sin(1.0) - 300, 1e-4);
    EXPECT_EQ(scene.motes[1].y, 500.0f);
    EXPECT_NEAR(scene.motes[4].x, -149.95 + 0.1 * std::sin(4.0) + 300, 1e-4);
    EXPECT_NEAR(scene.motes[4].z, -149.95 + 0.1 * std::sin(4.0) + 300, 1e-4);
    EXPECT_EQ(scene.motes[4].y, -50.0f);
}

TEST_F(SeaweedSceneTest, AnchorsOnTheFloorShowEveryStrandTenTimes)
{
    ASSERT_EQ(scene.anchors.size(), 1000u);
    drawAt(FIRST_FRAME);
    std::vector<const glrec::Primitive*> ribbons;
    for (const glrec::Primitive& primitive : glrec::primitives())
        if (primitive.mode == GL_TRIANGLE_STRIP)
            ribbons.push_back(&primitive);
    ASSERT_EQ(ribbons.size(), 1000u);
    ASSERT_EQ(ribbons[7]->vertices.size(), 22u);
    for (int copy : {107, 907})
        for (int v = 0; v < 22; ++v)
            EXPECT_EQ(ribbons[copy]->vertices[v].y, ribbons[7]->vertices[v].y);
    // The translations after the teddy's are the anchors, in order.
    EXPECT_EQ(glrec::callsNamed("glTranslatef").at(1 + 107).args[0], scene.anchors[107].x);
}
