// test_corescene.cpp -- the core's throb, its burst forty beats in, the rays and the husks.
#include <gtest/gtest.h>

#include <cmath>

#include "corescene.h"
#include "glrecorder.h"
#include "random.h"
#include "scenefixture.h"
#include "seaweedscene.h"
#include "tempo.h"

namespace {
constexpr int FIRST_FRAME = 420000;  // show time at which the timeline makes the scene current (beat 840)

struct CoreSceneTest : SceneFixture<CoreScene> {
    // The shell: the first triangle batch of the frame.
    const glrec::Primitive& shellBatch() const
    {
        for (const glrec::Primitive& primitive : glrec::primitives())
            if (primitive.mode == GL_TRIANGLES)
                return primitive;
        throw std::runtime_error("no triangles drawn");
    }

    std::size_t raysDrawn() const
    {
        std::size_t n = 0;
        for (const glrec::Primitive& primitive : glrec::primitives())
            n += primitive.mode == GL_TRIANGLES && primitive.texture == scene.rayTexture && primitive.textured;
        return n;
    }
};
}

TEST(CoreSceneSequence, ShardsContinueTheSequenceTheSeaweedSeeded)
{
    SceneFolder folder;
    const SeaweedScene seaweed;
    const CoreScene core;

    seedRandom15(10);
    const int seaweedDraws = 100 * 2 + 1000 * 2 + 2000 * 3;  // strands, anchors, motes
    for (int draw = 0; draw < seaweedDraws; ++draw)
        random15();
    const float r1 = randomUnit() - 0.5f, r2 = randomUnit() - 0.5f, r3 = randomUnit() - 0.5f;
    const Shard& first = core.shell.shards[0];
    EXPECT_EQ(first.velocity.x, first.centre.x + r3);
    EXPECT_EQ(first.velocity.y, first.centre.y + r2);
    EXPECT_EQ(first.velocity.z, first.centre.z + r1);
}

TEST_F(CoreSceneTest, ShellThrobsOnEvenBeatsAndRestsOnOddOnes)
{
    drawAt(FIRST_FRAME);  // beat 840, phase 0: scale 1.3
    const Shard& shard = scene.shell.shards[10];
    EXPECT_FLOAT_EQ(shellBatch().vertices[30].x, 1.3f * shard.centre.x + shard.corners[0].x);

    drawAt(FIRST_FRAME + 250);  // phase 0.5: scale 1.15
    EXPECT_FLOAT_EQ(shellBatch().vertices[30].y, 1.15f * shard.centre.y + shard.corners[0].y);

    drawAt(FIRST_FRAME + 600);  // beat 841: at rest
    EXPECT_FLOAT_EQ(shellBatch().vertices[31].z, shard.centre.z + shard.corners[1].z);
    EXPECT_EQ(shellBatch().vertices.size(), 2700u);
}

TEST_F(CoreSceneTest, BurstsFortyBeatsInAndNotAtThirtyNineAndAFraction)
{
    const Shell before = scene.shell;
    drawAt(FIRST_FRAME + 10);  // the countdown starts at the first frame's beat, 840
    drawAt(FIRST_FRAME + 39 * 500 + 499);
    EXPECT_EQ(raysDrawn(), 0u);
    EXPECT_EQ(scene.shell.shards[5].centre.y, before.shards[5].centre.y);

    drawAt(FIRST_FRAME + 40 * 500);  // beat 880, even, but the shell has burst: no throb
    EXPECT_EQ(raysDrawn(), 20u);
    const float dt = 0.001f;  // one ms since the frame before
    const Shard& was = before.shards[5];
    const Shard& now = scene.shell.shards[5];
    EXPECT_FLOAT_EQ(now.velocity.y, was.velocity.y - 2 * dt);
    EXPECT_FLOAT_EQ(now.centre.x, was.centre.x + dt * was.velocity.x);
    EXPECT_FLOAT_EQ(shellBatch().vertices[15].x, now.centre.x + now.corners[0].x);

    drawAt(FIRST_FRAME + 40 * 500 + 100);
    EXPECT_FLOAT_EQ(scene.shell.shards[5].velocity.y, was.velocity.y - 2 * dt - 0.2f);
}

TEST_F(CoreSceneTest, SetupRestartsTheCountdownButABurstShellStaysBurst)
{
    drawAt(FIRST_FRAME);
    drawAt(FIRST_FRAME + 20000);
    const float flown = scene.shell.shards[0].centre.x;
    scene.setup();
    drawAt(FIRST_FRAME + 21000);  // first frame again: 0 beats in
    EXPECT_EQ(raysDrawn(), 0u);
    EXPECT_EQ(scene.shell.shards[0].centre.x, flown);
}

TEST_F(CoreSceneTest, HuskIsTheSphereGrownByTheSignedPowers)
{
    drawAt(FIRST_FRAME + 1300);  // beat 842.6: exponents away from 1, negative cosines on the far side
    const double pi = 3.1415926535;
    const float beatPos = 842.6f;
    const int c = 2, m = 53, j = 30;  // theta past 3/4 of a turn, phi in the southern half
    const float p1 = static_cast<float>(1 + 0.7f * std::cos(0.6 * c + beatPos * pi / 2));
    const float p2 = static_cast<float>(1 + 0.7f * std::cos(0.6 * c + beatPos * pi));
    const float size = static_cast<float>(1 + 0.6 * c);
    const float theta = static_cast<float>(2 * m * 0.039269908168750006);
    const float cosTheta = static_cast<float>(std::cos(theta)), sinTheta = static_cast<float>(std::sin(theta));
    const double phi = j * 0.07853981633750001;
    const float sinPhi = static_cast<float>(std::sin(phi)), cosPhi = static_cast<float>(std::cos(phi));

    std::vector<const glrec::Primitive*> strips;
    for (const glrec::Primitive& primitive : glrec::primitives())
        if (primitive.mode == GL_LINE_STRIP)
            strips.push_back(&primitive);
    ASSERT_EQ(strips.size(), 560u);
    const glrec::Vertex& v = strips[80 * c + m]->vertices[j - 1];
    EXPECT_FLOAT_EQ(v.x, cosTheta * sinPhi + size * signedPower(sinPhi, p1) * signedPower(cosTheta, p2));
    EXPECT_FLOAT_EQ(v.y, cosPhi + 1.5f * size * sinPhi * signedPower(cosPhi, p1));
    EXPECT_FLOAT_EQ(v.z, sinTheta * sinPhi + size * signedPower(sinPhi, p1) * signedPower(sinTheta, p2));
    EXPECT_LT(v.y, 0.0f);
    EXPECT_FLOAT_EQ(strips[80 * c + m]->vertices[0].g, 0.7f);
}
