// test_galaxyscene.cpp -- the galaxy's generated points and the scene's camera, teddy and draw state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "galaxyscene.h"
#include "glrecorder.h"
#include "random.h"
#include "scenefolder.h"
#include "tempo.h"

namespace {
// The scene as the show drives it: the clock started at 0, setup once, then frames at show times.
struct GalaxySceneTest : ::testing::Test {
    GalaxySceneTest() : tempo(120, 0)
    {
        glrec::reset();
        glrec::setClock(0);
        tempo.start();
    }

    void drawAt(int showMs)
    {
        glrec::setClock(static_cast<std::uint32_t>(showMs));
        scene.draw(tempo);
    }

    SceneFolder folder;
    GalaxyScene scene;
    Tempo tempo;
};

float arg(const char* name, int which, std::size_t occurrence = 0)
{
    return static_cast<float>(glrec::callsNamed(name).at(occurrence).args.at(which));
}

std::size_t callIndex(const std::string& name, std::size_t from = 0)
{
    const auto& calls = glrec::calls();
    for (std::size_t i = from; i < calls.size(); ++i)
        if (calls[i].name == name)
            return i;
    return calls.size();
}
}

TEST(Galaxy, CoreHoldsQuarterOfPointsPlusOne)
{
    seedRandom15(1);
    const Galaxy galaxy(20000, 0.3f, 0.15f, 0.05f, 0.5f);
    ASSERT_EQ(galaxy.count, 20000);

    // Points 0..5000 fill the ellipsoid of semi-axes 0.3, 0.25, 0.3.
    for (int j = 0; j < 20000; ++j) {
        const float x = galaxy.positions[3 * j], y = galaxy.positions[3 * j + 1], z = galaxy.positions[3 * j + 2];
        if (j <= 5000) {
            const float inEllipsoid = (x / 0.3f) * (x / 0.3f) + (y / 0.25f) * (y / 0.25f) + (z / 0.3f) * (z / 0.3f);
            ASSERT_LE(inEllipsoid, 1.0001f) << "core point " << j;
        } else {
            // The arms are no thicker than their bound at r <= 0.3 plus the jitter, no wider than the disc.
            ASSERT_LE(std::fabs(y), 0.5f / 3.2f + 0.02f + 1e-5f) << "arm point " << j;
            ASSERT_LE(std::hypot(x, z), 1.0f + 0.02f * std::sqrt(2.0f) + 1e-5f) << "arm point " << j;
        }
        ASSERT_EQ(galaxy.indices[j], static_cast<GLuint>(j));
    }

    // Four more points give the core one more: the two galaxies agree up to point 5000 and part
    // at 5001, where the larger one still samples its core.
    seedRandom15(1);
    const Galaxy larger(20004, 0.3f, 0.15f, 0.05f, 0.5f);
    for (int i = 0; i < 3 * 5001; ++i)
        ASSERT_EQ(galaxy.positions[i], larger.positions[i]) << "coordinate " << i;
    EXPECT_NE(galaxy.positions[3 * 5001 + 1], larger.positions[3 * 5001 + 1]);
}

TEST(Galaxy, ColoursStayWithinHalfAgainOfBase)
{
    seedRandom15(1);
    const Galaxy galaxy(20000, 0.3f, 0.15f, 0.05f, 0.5f);
    const float base[4] = {0.3f, 0.15f, 0.05f, 0.5f};
    for (int channel = 0; channel < 4; ++channel) {
        float lowest = 1e9f, highest = -1e9f;
        for (int j = 0; j < galaxy.count; ++j) {
            lowest = std::min(lowest, galaxy.colours[4 * j + channel]);
            highest = std::max(highest, galaxy.colours[4 * j + channel]);
        }
        EXPECT_GE(lowest, base[channel] / 1.5f * 0.99999f) << "channel " << channel;
        EXPECT_LE(highest, base[channel] * 1.5f * 1.00001f) << "channel " << channel;
        // Each channel varies on its own and uses the whole range.
        EXPECT_LT(lowest, base[channel] / 1.5f * 1.02f) << "channel " << channel;
        EXPECT_GT(highest, base[channel] * 1.5f * 0.98f) << "channel " << channel;
    }
}

TEST_F(GalaxySceneTest, FirstFrameStartsTheTeddyBehindTheCamera)
{
    scene.setup();
    drawAt(36000);

    const std::vector<double> eye = glrec::callsNamed("gluLookAt").at(0).args;
    EXPECT_EQ(eye, (std::vector<double>{3, 5, 25, 0, 0, 0, 0, 1, 0}));
    EXPECT_FLOAT_EQ(arg("glRotatef", 0), 0.0f);  // no world turn yet
    EXPECT_FLOAT_EQ(arg("glTranslatef", 0), -9.0f);
    EXPECT_FLOAT_EQ(arg("glTranslatef", 1), 7.7f);
    EXPECT_FLOAT_EQ(arg("glTranslatef", 2), 35.5f);
    EXPECT_FLOAT_EQ(arg("glScalef", 0), 0.03f);
}

TEST_F(GalaxySceneTest, TeddyReachesTheCentreAtThirtySecondsOfSlowedTime)
{
    scene.setup();
    drawAt(36000);
    glrec::reset();
    drawAt(36000 + 42857);  // 0.7 x 42857 = 29999.9 ms of scene time

    EXPECT_NEAR(arg("glTranslatef", 0), 1.0f, 1e-3f);
    EXPECT_NEAR(arg("glTranslatef", 1), 1.0f, 1e-3f);
    EXPECT_NEAR(arg("glTranslatef", 2), 1.0f, 1e-3f);
    EXPECT_NEAR(arg("gluLookAt", 2), 15 + 10 * std::cos(2.0), 1e-3);  // eye swung in from 25
}

TEST_F(GalaxySceneTest, SecondSetupRestartsTheAnimation)
{
    scene.setup();
    drawAt(36000);
    drawAt(50000);
    scene.setup();
    glrec::reset();
    drawAt(60000);

    EXPECT_DOUBLE_EQ(glrec::callsNamed("gluLookAt").at(0).args[2], 25.0);
    EXPECT_FLOAT_EQ(arg("glTranslatef", 0), -9.0f);
}

TEST_F(GalaxySceneTest, PointsAddUpWithoutWritingDepthAfterAnOpaqueTeddy)
{
    glEnableClientState(GL_VERTEX_ARRAY);  // as start-up leaves them
    glEnableClientState(GL_COLOR_ARRAY);
    scene.setup();
    drawAt(36000);

    const auto& primitives = glrec::primitives();
    ASSERT_EQ(primitives.size(), 2u);
    EXPECT_EQ(primitives[0].mode, static_cast<GLenum>(GL_TRIANGLES));  // the teddy first
    EXPECT_EQ(primitives[1].mode, static_cast<GLenum>(GL_POINTS));
    ASSERT_EQ(primitives[1].vertices.size(), 20000u);
    EXPECT_FLOAT_EQ(primitives[1].vertices[7].y, scene.galaxy.positions[22]);
    EXPECT_FLOAT_EQ(primitives[1].vertices[7].a, scene.galaxy.colours[31]);

    // Blending goes off before the teddy; depth writes go off only around the points.
    const std::size_t teddy = callIndex("glBegin");
    const std::size_t points = callIndex("glDrawElements");
    EXPECT_LT(callIndex("glDisable"), teddy);
    EXPECT_EQ(glrec::calls()[callIndex("glDisable")].args[0], GL_BLEND);
    EXPECT_LT(teddy, callIndex("glDepthMask"));
    EXPECT_LT(callIndex("glDepthMask"), points);
    EXPECT_LT(points, callIndex("glDepthMask", callIndex("glDepthMask") + 1));
    EXPECT_TRUE(glrec::depthMask());
    GLenum source, destination;
    glrec::blendFunc(&source, &destination);
    EXPECT_EQ(source, static_cast<GLenum>(GL_SRC_ALPHA));
    EXPECT_EQ(destination, static_cast<GLenum>(GL_ONE));
    EXPECT_TRUE(glrec::isEnabled(GL_BLEND));
    EXPECT_TRUE(glrec::isEnabled(GL_DEPTH_TEST));
}
