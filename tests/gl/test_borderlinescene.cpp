// test_borderlinescene.cpp -- the border's streaming squares, the marks they leave and how marks fade.
#include "borderlinescene.h"
#include "random.h"
#include "scenefixture.h"

namespace {
constexpr int FIRST_FRAME = 300000;  // show time at which the timeline makes the scene current
using BorderlineSceneTest = SceneFixture<BorderlineScene>;
}

TEST_F(BorderlineSceneTest, SquaresTakeZThenXThenYFromTheSequenceSeededWithThousandAndStartAgainAsBuiltWithNoMarks)
{
    ASSERT_EQ(scene.particles.size(), 2000u);
    seedRandom15(1000);
    const float u1 = randomUnit(), u2 = randomUnit(), u3 = randomUnit();
    EXPECT_EQ(scene.particles[0].x, 30 * u2 - 15);
    EXPECT_EQ(scene.particles[0].y, 6 * u3 - 1);
    EXPECT_EQ(scene.particles[0].z, 30 * u1 - 15);

    const std::vector<Vec3> built = scene.particles;
    drawAt(FIRST_FRAME);
    drawAt(FIRST_FRAME + 5000);
    ASSERT_NE(scene.particles[0].x, built[0].x);
    scene.hits.push_back(BorderHit{0, 1, 1, 0.5f});  // a mark still fading
    scene.setup();  // a viewer jumps back to the scene
    for (std::size_t i = 0; i < built.size(); ++i)
        EXPECT_EQ(scene.particles[i].x, built[i].x) << "square " << i;
    EXPECT_TRUE(scene.hits.empty());
}

TEST_F(BorderlineSceneTest, FirstFrameStandsStillThenSquaresStreamAThirdOfAUnitPerHundredMsWrappingPastFifteen)
{
    scene.particles[0] = Vec3{15.0f, 1, 1};
    scene.particles[1] = Vec3{14.2f, 1, 1};
    scene.particles[2] = Vec3{3.0f, 1, 1};
    drawAt(FIRST_FRAME);
    EXPECT_TRUE(scene.particles[0].x == 15.0f && scene.particles[2].x == 3.0f);
    drawAt(FIRST_FRAME + 300);  // one unit
    EXPECT_EQ(scene.particles[0].x, -15.0f);
    EXPECT_FLOAT_EQ(scene.particles[1].x, -15.0f);  // the excess over 15 is dropped
    EXPECT_FLOAT_EQ(scene.particles[2].x, 4.0f);
    EXPECT_TRUE(scene.particles[2].y == 1 && scene.particles[2].z == 1);
}

TEST_F(BorderlineSceneTest, SquaresAreOrangeRedUpToTheBorderAndMarkItInsideTheBand)
{
    // At show time 0 particle 0 sways by exactly 2 + 1.5: base x 3.5 puts it at X = 0.
    scene.particles.resize(1);
    for (float offset : {0.09f, -0.09f, 0.11f, -0.11f}) {
        scene.hits.clear();
        scene.particles[0].x = 3.5f + offset;
        drawAt(0);
        const bool inside = offset > -0.1f && offset < 0.1f;
        EXPECT_EQ(scene.hits.size(), inside ? 1u : 0u) << offset;
        const glrec::Vertex& square = primitivesOf(GL_POLYGON).at(0)->vertices[0];
        // Orange-red (1, 0.15, 0.1) up to the border, white beyond.
        EXPECT_TRUE(offset <= 0 ? square.g == 0.15f && square.b == 0.1f : square.g == 1.0f && square.b == 1.0f) << offset;
    }
    scene.particles[0].x = 3.5f;
    drawAt(0);
    ASSERT_EQ(scene.hits.size(), 1u);
    EXPECT_EQ(scene.hits[0].x, 0.0f);
    EXPECT_EQ(scene.hits[0].z, scene.particles[0].z);
    EXPECT_EQ(scene.hits[0].alpha, 1.0f);  // new: it flares

    scene.hits.assign(BorderlineScene::MAX_HITS, BorderHit{0, 0, 0, 0.5f});  // marks stop at the cap
    drawAt(0);
    EXPECT_TRUE(scene.hits.size() == BorderlineScene::MAX_HITS && scene.hits.capacity() == BorderlineScene::MAX_HITS);
}

TEST_F(BorderlineSceneTest, ANewMarkFlaresAndMarksFadeOverOneSecondDrawnOnceMoreBeforeLeaving)
{
    scene.particles.clear();
    scene.hits = {BorderHit{0, 1, 1, 1.0f}, BorderHit{0, 2, 2, 0.8f}};
    drawAt(FIRST_FRAME);
    EXPECT_EQ(primitivesOf(GL_QUADS, scene.hitTexture).size(), 3u);  // mark and flare, then the mark alone
    const std::vector<glrec::Call> scales = glrec::callsNamed("glScalef");  // mark, flare, mark
    EXPECT_EQ(scales.end()[-2].args, (std::vector<double>{1, 0.4f, 0.4f}));
    EXPECT_EQ(scales.end()[-1].args, (std::vector<double>{1, 0.1f, 0.1f}));

    scene.hits = {BorderHit{0, 1, 1, 1.0f}, BorderHit{0, 2, 2, 0.5f}, BorderHit{0, 3, 3, 0.05f}, BorderHit{0, 4, 4, 0.3f}};
    drawAt(FIRST_FRAME + 100);
    EXPECT_EQ(primitivesOf(GL_QUADS, scene.hitTexture).size(), 5u);  // all four drawn, the first with its flare
    ASSERT_EQ(scene.hits.size(), 3u);
    EXPECT_FLOAT_EQ(scene.hits[0].alpha, 0.9f);
    EXPECT_FLOAT_EQ(scene.hits[2].alpha, 0.2f);
    EXPECT_EQ(scene.hits[2].y, 4.0f);  // order kept across the removal
    drawAt(FIRST_FRAME + 1100);
    EXPECT_TRUE(scene.hits.empty());
}
