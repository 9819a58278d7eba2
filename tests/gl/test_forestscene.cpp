// test_forestscene.cpp -- the forest's camera, tree growth on the beat, and the leaves' timing and flight.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "forestscene.h"
#include "glrecorder.h"
#include "greybmp.h"
#include "random.h"
#include "scenefolder.h"
#include "tempo.h"

namespace {
constexpr int SCENE_START = 212000;  // show ms at which the timeline makes the forest current (beat 424)
constexpr int TREES = 41;
constexpr int TREE_LINE_VERTICES = 2 * 1093;

// "hf.bmp" in the working folder: a 64 x 64 ramp rising along x.
struct RampHeightImage {
    RampHeightImage()
    {
        std::vector<int> levels(64 * 64);
        for (std::size_t i = 0; i < levels.size(); ++i)
            levels[i] = 3 * static_cast<int>(i % 64);
        writeGreyBmp("hf.bmp", 64, 64, levels);
    }
    ~RampHeightImage() { std::remove("hf.bmp"); }
};

struct ForestSceneTest : ::testing::Test {
    ForestSceneTest() : tempo(120, 0)
    {
        glrec::reset();
        glrec::setClock(0);
        tempo.start();
        scene.setup();
        drawAt(0);
    }

    // One frame at scene time sceneMs, the scene having latched its start at SCENE_START.
    void drawAt(int sceneMs)
    {
        glrec::reset();
        glrec::setClock(static_cast<std::uint32_t>(SCENE_START + sceneMs));
        scene.draw(tempo);
    }

    SceneFolder folder;
    RampHeightImage heights;
    ForestScene scene;
    Tempo tempo;
};

std::size_t verticesOf(GLenum mode)
{
    std::size_t n = 0;
    for (const glrec::Primitive& primitive : glrec::primitives())
        if (primitive.mode == mode)
            n += primitive.vertices.size();
    return n;
}

std::vector<const glrec::Primitive*> primitivesOf(GLenum mode)
{
    std::vector<const glrec::Primitive*> found;
    for (const glrec::Primitive& primitive : glrec::primitives())
        if (primitive.mode == mode)
            found.push_back(&primitive);
    return found;
}

// The translation of leaf i in the frame just drawn: after the camera's and all the trees'.
Vec3 leafTranslation(std::size_t i)
{
    const std::vector<double> args = glrec::callsNamed("glTranslatef").at(1 + TREES + i).args;
    return Vec3{static_cast<float>(args[0]), static_cast<float>(args[1]), static_cast<float>(args[2])};
}
}

TEST_F(ForestSceneTest, TreesGrowALevelABeatTheFirstFromBeatFortyTheRestFromSixtyNine)
{
    drawAt(19999);
    EXPECT_EQ(verticesOf(GL_LINES), 0u);
    EXPECT_EQ(primitivesOf(GL_TRIANGLES).size(), 63u);
    EXPECT_EQ(primitivesOf(GL_LINE_STRIP).size(), 128u);

    drawAt(20250);  // beat 40 and a half: half the trunk
    ASSERT_EQ(verticesOf(GL_LINES), 2u);
    const std::vector<glrec::Vertex>& trunk = primitivesOf(GL_LINES).back()->vertices;
    EXPECT_FLOAT_EQ(trunk[1].y, 0.5f);

    drawAt(23500);  // beat 47: complete
    EXPECT_EQ(verticesOf(GL_LINES), static_cast<std::size_t>(TREE_LINE_VERTICES));

    // The other forty follow one beat apart from beat 69.
    drawAt(34250);  // beat 68.5: the second tree is still half a beat away
    EXPECT_EQ(verticesOf(GL_LINES), static_cast<std::size_t>(TREE_LINE_VERTICES));
    drawAt(34750);  // beat 69.5: half of its trunk
    EXPECT_EQ(verticesOf(GL_LINES), static_cast<std::size_t>(TREE_LINE_VERTICES + 2));
    drawAt(56999);  // just short of beat 114: the last tree lacks only its finest twigs
    EXPECT_EQ(verticesOf(GL_LINES), static_cast<std::size_t>(TREES * TREE_LINE_VERTICES - 2 * 729));
    drawAt(57500);  // beat 115: all complete
    EXPECT_EQ(verticesOf(GL_LINES), static_cast<std::size_t>(TREES * TREE_LINE_VERTICES));
}

TEST_F(ForestSceneTest, LeavesComeFromTheRunningSequenceThenFromSeedFive)
{
    // The first tree's tips take the running sequence; then eight draws plant each seeded tree
    // before its own 2187 tips.
    seedRandom15(99);
    std::size_t expected = 0;
    for (int tip = 0; tip < 2187; ++tip)
        expected += random15() % 20 == 1;
    seedRandom15(5);
    for (int tree = 0; tree < 40; ++tree) {
        for (int parameter = 0; parameter < 8; ++parameter)
            random15();
        for (int tip = 0; tip < 2187; ++tip)
            expected += random15() % 20 == 1;
    }
    seedRandom15(99);
    const ForestScene rebuilt;
    EXPECT_EQ(rebuilt.treeCount(), static_cast<std::size_t>(TREES));
    EXPECT_EQ(rebuilt.leafCount(), expected);
}

TEST_F(ForestSceneTest, NoLeafCallsBeforeSixtySeconds)
{
    drawAt(59999);
    EXPECT_TRUE(primitivesOf(GL_POLYGON).empty());
    // After the last tree, only the closing state: drawLeaves made no call at all.
    const std::vector<glrec::Call>& calls = glrec::calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 3].name, "glPopMatrix");
    EXPECT_EQ(calls[calls.size() - 2].name, "glDisable");
    EXPECT_EQ(calls[calls.size() - 1].name, "glDepthMask");

    drawAt(60000);
    EXPECT_GT(scene.leafCount(), 3000u);
    EXPECT_EQ(primitivesOf(GL_POLYGON).size(), scene.leafCount());
    EXPECT_EQ(primitivesOf(GL_LINE_STRIP).size(), 128 + scene.leafCount());
}

TEST_F(ForestSceneTest, LeavesUnfoldOverOneSecondAndBlushOrangeRed)
{
    drawAt(60500);
    const glrec::Vertex halfOpen = primitivesOf(GL_POLYGON).at(0)->vertices.at(0);
    EXPECT_NEAR(halfOpen.x, 0.1f, 1e-6f);
    EXPECT_NEAR(halfOpen.g, 1 - 0.85f * 0.5f, 1e-5f);
    EXPECT_NEAR(halfOpen.a, 0.15f, 1e-5f);

    drawAt(61000);
    const std::vector<const glrec::Primitive*> leaves = primitivesOf(GL_POLYGON);
    const glrec::Vertex open = leaves.at(0)->vertices.at(0);
    EXPECT_NEAR(open.x, 0.2f, 1e-6f);
    EXPECT_NEAR(open.r, 1.0f, 1e-6f);
    EXPECT_NEAR(open.g, 0.15f, 1e-5f);
    EXPECT_NEAR(open.b, 0.1f, 1e-5f);
    EXPECT_NEAR(open.a, 0.3f, 1e-5f);
    // Leaf 26 starts 2.6 s after leaf 0: still nothing to add to the picture.
    EXPECT_LE(leaves.at(26)->vertices.at(0).a, 0.0f);

    drawAt(63600);
    EXPECT_NEAR(primitivesOf(GL_POLYGON).at(26)->vertices.at(0).a, 0.3f, 1e-5f);
}

TEST_F(ForestSceneTest, LeavesDriftFromSeventySecondsLeafZeroFirst)
{
    drawAt(65000);
    const Vec3 rest0 = leafTranslation(0), rest1 = leafTranslation(1), rest50 = leafTranslation(50);

    drawAt(70000);  // the drift begins: nothing has moved yet
    EXPECT_FLOAT_EQ(leafTranslation(0).x, rest0.x);

    drawAt(70100);  // leaves 0, 50, 100, ... move off first; leaf 1 waits a tenth of a second more
    EXPECT_NE(leafTranslation(0).x, rest0.x);
    EXPECT_NE(leafTranslation(50).x, rest50.x);
    EXPECT_FLOAT_EQ(leafTranslation(1).x, rest1.x);
    EXPECT_FLOAT_EQ(leafTranslation(1).y, rest1.y);
    EXPECT_FLOAT_EQ(leafTranslation(1).z, rest1.z);

    drawAt(100000);  // 30 s of drift: well downwind along +x and risen
    EXPECT_GT(leafTranslation(0).x, rest0.x + 55);
    EXPECT_GT(leafTranslation(0).y, rest0.y + 6);
}
