// test_galaxyscene.cpp -- the galaxy's generated points, and the scene's camera, teddy and draw state.
#include <cmath>

#include "galaxyscene.h"
#include "random.h"
#include "scenefixture.h"

namespace {
using GalaxySceneTest = SceneFixture<GalaxyScene>;
constexpr int FIRST_FRAME = 36000;  // show time at which the timeline makes the scene current
}

TEST(Galaxy, CoreIsAnEllipsoidOfAQuarterOfThePointsPlusOneAndTheArmsAThinDisc)
{
    seedRandom15(1);
    const Galaxy galaxy(20000, 0.3f, 0.15f, 0.05f, 0.5f);
    for (int j = 0; j < 20000; ++j) {
        const float x = galaxy.positions[3 * j], y = galaxy.positions[3 * j + 1], z = galaxy.positions[3 * j + 2];
        if (j <= 5000) {  // the ellipsoid of semi-axes 0.3, 0.25, 0.3
            ASSERT_LE((x / 0.3f) * (x / 0.3f) + (y / 0.25f) * (y / 0.25f) + (z / 0.3f) * (z / 0.3f), 1.0001f) << j;
        } else {  // no thicker than the bound at r <= 0.3 plus the jitter, no wider than the disc
            ASSERT_LE(std::fabs(y), 0.5f / 3.2f + 0.02f + 1e-5f) << j;
            ASSERT_LE(std::hypot(x, z), 1.0f + 0.02f * std::sqrt(2.0f) + 1e-5f) << j;
        }
    }
}

// The order of the draws fixes the picture: these values, taken from the show's generator, change
// when any two draws of an arm point or its colour trade places, when the core's size changes, or
// when a colour channel leaves its range of base / 1.5 to base * 1.5.
TEST(Galaxy, ArmPointsTakeTheirDrawsInAFixedOrder)
{
    seedRandom15(1);
    const Galaxy galaxy(8, 0.3f, 0.15f, 0.05f, 0.5f);  // points 0 to 2 the core, 3 to 7 the arms
    const float point3[7] = {0.0630981922f, 0.0177571308f, -0.669816852f, 0.435399771f, 0.140161544f, 0.0631128997f, 0.4998402f};
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_FLOAT_EQ(galaxy.positions[3 * 3 + axis], point3[axis]) << "axis " << axis;
    for (int channel = 0; channel < 4; ++channel)
        EXPECT_FLOAT_EQ(galaxy.colours[4 * 3 + channel], point3[3 + channel]) << "channel " << channel;
    EXPECT_FLOAT_EQ(galaxy.positions[3 * 7], 0.908085585f);  // the draws run on from point to point
    EXPECT_FLOAT_EQ(galaxy.colours[4 * 7 + 3], 0.498742759f);
}

// The points add up without writing depth, after an opaque teddy that flies from behind the camera
// to the centre in thirty seconds of slowed time.
TEST_F(GalaxySceneTest, PointsAddUpAfterAnOpaqueTeddyThatReachesTheCentreInThirtySecondsOfSlowedTime)
{
    drawAt(FIRST_FRAME);
    EXPECT_EQ(glrec::callsNamed("gluLookAt").at(0).args, (std::vector<double>{3, 5, 25, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(glrec::callsNamed("glTranslatef").at(0).args, (std::vector<double>{-9.0f, 7.7f, 35.5f}));
    const auto& primitives = glrec::primitives();
    ASSERT_EQ(primitives.size(), 2u);
    EXPECT_TRUE(primitives[0].mode == GL_TRIANGLES && primitives[1].mode == GL_POINTS);  // the teddy first
    ASSERT_EQ(primitives[1].vertices.size(), 20000u);
    EXPECT_TRUE(primitives[1].vertices[7].y == scene.galaxy.positions[22] && primitives[1].vertices[7].a == scene.galaxy.colours[31]);
    EXPECT_TRUE(!primitives[0].blended && primitives[0].depthWrites);
    EXPECT_TRUE(primitives[1].blended && !primitives[1].depthWrites);
    EXPECT_TRUE(glrec::state().depthMask);
    EXPECT_EQ(glrec::state().blendDestination, GLenum(GL_ONE));
    EXPECT_TRUE(glrec::isEnabled(GL_BLEND) && glrec::isEnabled(GL_DEPTH_TEST));

    drawAt(FIRST_FRAME + 42857);  // 0.7 x 42857 = 29999.9 ms of scene time
    const std::vector<glrec::Call> translations = glrec::callsNamed("glTranslatef");
    for (double coordinate : translations.at(0).args)
        EXPECT_NEAR(coordinate, 1.0, 1e-3);
    EXPECT_NEAR(glrec::callsNamed("gluLookAt").at(0).args[2], 15 + 10 * std::cos(2.0), 1e-3);  // swung in from 25
}
