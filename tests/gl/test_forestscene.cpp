// test_forestscene.cpp -- the forest's tree growth on the beat, and the leaves' seeds, timing and flight.
#include "forestscene.h"
#include "random.h"
#include "scenefixture.h"

namespace {
constexpr int SCENE_START = 212000;  // show ms at which the timeline makes the forest current (beat 424)
constexpr int TREES = 41;
constexpr std::size_t TREE_LINE_VERTICES = 2 * 1093;

struct ForestSceneTest : SceneFixture<ForestScene> {
    ForestSceneTest() { drawAt(SCENE_START); }

    // Vertices of the trees' line segments in the frame at scene time sceneMs.
    std::size_t treeVerticesAt(int sceneMs)
    {
        drawAt(SCENE_START + sceneMs);
        std::size_t n = 0;
        for (const glrec::Primitive* lines : primitivesOf(GL_LINES))
            n += lines->vertices.size();
        return n;
    }
};

// The translation of leaf i in the frame just drawn: after the camera's and all the trees'.
std::vector<double> leafPlace(std::size_t i)
{
    return glrec::callsNamed("glTranslatef").at(1 + TREES + i).args;
}
}

TEST_F(ForestSceneTest, TreesGrowALevelABeatTheFirstFromBeatFortyTheRestFromSixtyNine)
{
    EXPECT_EQ(treeVerticesAt(19999), 0u);
    EXPECT_EQ(primitivesOf(GL_TRIANGLES).size(), 63u);  // the terrain's rows
    EXPECT_EQ(treeVerticesAt(20250), 2u);  // beat 40 and a half: half the trunk
    EXPECT_FLOAT_EQ(primitivesOf(GL_LINES).back()->vertices[1].y, 0.5f);
    EXPECT_EQ(treeVerticesAt(23500), TREE_LINE_VERTICES);  // beat 47: complete
    EXPECT_EQ(treeVerticesAt(34750), TREE_LINE_VERTICES + 2);  // beat 69.5: half its trunk
    // Just short of beat 114 the last tree lacks only its finest twigs; at beat 115 all are complete.
    EXPECT_EQ(treeVerticesAt(56999), TREES * TREE_LINE_VERTICES - 2 * 729);
    EXPECT_EQ(treeVerticesAt(57500), TREES * TREE_LINE_VERTICES);
}

TEST_F(ForestSceneTest, LeavesComeFromTheRunningSequenceThenFromSeedFive)
{
    // The first tree's tips take the running sequence; then eight draws plant each seeded tree
    // before its own 2187 tips, a leaf where a tip draws 1 modulo 20.
    seedRandom15(99);
    std::size_t expected = 0;
    for (int tip = 0; tip < 2187; ++tip)
        expected += random15() % 20 == 1;
    seedRandom15(5);
    for (int tree = 0; tree < 40; ++tree)
        for (int draw = 0; draw < 8 + 2187; ++draw)
            expected += random15() % 20 == 1 && draw >= 8;
    seedRandom15(99);
    const ForestScene rebuilt;
    EXPECT_EQ(rebuilt.treeCount(), std::size_t(TREES));
    EXPECT_EQ(rebuilt.leafCount(), expected);
}

TEST_F(ForestSceneTest, LeavesAppearAtSixtySecondsUnfoldOverOneSecondBlushOrangeRedAndDriftFromSeventyLeafZeroFirst)
{
    drawAt(SCENE_START + 59999);
    EXPECT_TRUE(primitivesOf(GL_POLYGON).empty());
    drawAt(SCENE_START + 60000);
    EXPECT_GT(scene.leafCount(), 3000u);
    EXPECT_EQ(primitivesOf(GL_POLYGON).size(), scene.leafCount());
    EXPECT_EQ(primitivesOf(GL_LINE_STRIP).size(), 128 + scene.leafCount());  // the terrain's grid and an outline each

    drawAt(SCENE_START + 60500);  // half open, halfway from white to orange-red (1, 0.15, 0.1)
    const glrec::Vertex halfOpen = primitivesOf(GL_POLYGON).at(0)->vertices.at(0);
    EXPECT_NEAR(halfOpen.x, 0.1f, 1e-6f);
    EXPECT_NEAR(halfOpen.g, 0.575f, 1e-5f);
    EXPECT_NEAR(halfOpen.a, 0.15f, 1e-5f);
    // Leaf 26 starts 2.6 s after leaf 0: still nothing to add to the picture, until then.
    EXPECT_LE(primitivesOf(GL_POLYGON).at(26)->vertices.at(0).a, 0.0f);
    drawAt(SCENE_START + 63600);
    EXPECT_NEAR(primitivesOf(GL_POLYGON).at(26)->vertices.at(0).a, 0.3f, 1e-5f);

    // From seventy seconds they drift, leaf 0 first.
    drawAt(SCENE_START + 65000);
    const std::vector<double> rest0 = leafPlace(0), rest1 = leafPlace(1), rest50 = leafPlace(50);
    drawAt(SCENE_START + 70000);  // the drift begins: nothing has moved yet
    EXPECT_EQ(leafPlace(0), rest0);
    drawAt(SCENE_START + 70100);  // leaves 0, 50, 100, ... move off first; leaf 1 waits 0.1 s more
    EXPECT_TRUE(leafPlace(0) != rest0 && leafPlace(50) != rest50 && leafPlace(1) == rest1);

    drawAt(SCENE_START + 100000);  // 30 s of drift: well downwind along +x and risen
    EXPECT_TRUE(leafPlace(0)[0] > rest0[0] + 55 && leafPlace(0)[1] > rest0[1] + 6);
}
