// test_wormholescene.cpp -- the wormhole's beat pulse, ring colours and sizes, and the teddy trail.
#include <cmath>

#include "scenefixture.h"
#include "wormholescene.h"

namespace {
constexpr std::size_t TEDDIES = 40;
constexpr std::size_t PRIMITIVES_PER_RING = 61;  // 30 polygons, 30 outlines, one circle of points
constexpr double PEAK_AT_098 = 0.277836712032933;  // 2^(-1 / (8 * 0.51^4)): the pulse where v = 0.98

struct WormholeSceneTest : SceneFixture<WormholeScene> {
    // A cube 200 units wide about the camera: every teddy in view.
    WormholeSceneTest() { projection = {0.01f, 0, 0, 0, 0, 0.01f, 0, 0, 0, 0, 0.01f, 0, 0, 0, 0, 1}; }
    const glrec::Primitive& ringPart(int ring, int part) const
    {
        return glrec::primitives().at(TEDDIES + ring * PRIMITIVES_PER_RING + part);
    }
    // The radius from the near-edge corners at 0 and 180 degrees.
    float ringRadius(int ring) const { return (ringPart(ring, 0).vertices[0].y - ringPart(ring, 30).vertices[0].y) / 2; }
    // Colour of the first corner of a ring's part, offset by the glow o.
    void expectColour(int ring, int part, double o, std::vector<double> rgba) const
    {
        const glrec::Vertex& v = ringPart(ring, part).vertices[0];
        const std::vector<double> drawn = {v.r, v.g, v.b, v.a};
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(drawn[i], o + rgba[i], 1e-5) << "ring " << ring << " part " << part << " channel " << i;
    }
};
}

// Where it glows on the rings is checked in the drawn frames below.
TEST(WormholePulse, IsExactlyZeroUpToItsBandAndPeaksJustBeforeTheBeatWraps)
{
    EXPECT_EQ(WormholeScene::pulse(0.0, 0), 0.0);
    EXPECT_EQ(WormholeScene::pulse(0.47, 0), 0.0);  // the band's edge: 2^(-1/0) taken as its limit
    const double justInside = WormholeScene::pulse(0.4700001, 0);
    EXPECT_TRUE(justInside >= 0.0 && justInside < 1e-30);  // not NaN
    EXPECT_NEAR(WormholeScene::pulse(0.99999, 0), 0.3335, 1e-4);  // the brightest, as v nears 1
}

TEST_F(WormholeSceneTest, OnTheBeatTheFarthestRingGlowsHalfABeatLaterTheMiddleOneAndGentlyAFifthAsMuch)
{
    drawAt(84000);  // beat phase 0
    ASSERT_EQ(glrec::primitives().size(), TEDDIES + 50 * PRIMITIVES_PER_RING);
    ASSERT_TRUE(ringPart(7, 58).mode == GL_POLYGON && ringPart(7, 59).mode == GL_LINE_STRIP && ringPart(7, 60).mode == GL_POINTS);
    EXPECT_EQ(ringPart(7, 59).vertices.size(), 4u);  // the outline's edge back to the start is not drawn
    // Ring 0: no pulse, radius 2, alpha 0; its points blue-grey.
    expectColour(0, 0, 0, {0.5, 0.15, 0.05, 0.0});
    expectColour(0, 60, 0, {0.15, 0.15, 0.2, 1.0});
    EXPECT_NEAR(ringRadius(0), 2.0f, 1e-5f);
    // Ring 49 (v = 0.98) is lit, its alpha past 1 and left unclamped.
    expectColour(49, 0, PEAK_AT_098, {0.5, 0.15, 0.05, 0.98});
    expectColour(49, 60, PEAK_AT_098, {0.15, 0.15, 0.2, 0.02});
    EXPECT_NEAR(ringRadius(49), 2 + 2 * PEAK_AT_098, 1e-5);

    drawAt(84250);  // the peak has moved towards the camera, to ring 24
    EXPECT_NEAR(ringRadius(24), 2 + 2 * PEAK_AT_098, 1e-4);
    EXPECT_NEAR(ringRadius(49), 2.0f, 1e-5f);

    // Gentle rings glow with a fifth of the pulse, on the same rings.
    WormholeScene gentle(true);
    gentle.setup();
    drawAt(84000, &gentle);
    ASSERT_EQ(glrec::primitives().size(), TEDDIES + 50 * PRIMITIVES_PER_RING);
    expectColour(0, 0, 0, {0.5, 0.15, 0.05, 0.0});
    expectColour(49, 0, 0.2 * PEAK_AT_098, {0.5, 0.15, 0.05, 0.98});
    EXPECT_NEAR(ringRadius(49), 2 + 2 * 0.2 * PEAK_AT_098, 1e-5);
}

// Through the scene's own frustum (80 degrees high, 4:3, near 1, far 200; the recorder leaves the
// camera's sway out), the ghosts that have passed the camera are not drawn, and those well ahead are:
// after the opaque lead, each adding its light without writing depth.
TEST_F(WormholeSceneTest, SkipsOnlyTheGhostsWhollyOutOfViewAndDrawsTheRestAdditiveAfterAnOpaqueLead)
{
    const float f = 1 / std::tan(40 * 3.14159265f / 180);
    projection = {f * 0.75f, 0, 0, 0, 0, f, 0, 0, 0, 0, -201.0f / 199, -1, 0, 0, -400.0f / 199, 0};
    drawAt(84000);
    // The test teddy reaches 1 unit from its origin, 0.2 once scaled; the trail's translations are
    // logged whether or not the teddy is drawn.
    const std::vector<glrec::Call> places = glrec::callsNamed("glTranslatef");
    ASSERT_EQ(places.size(), TEDDIES);
    std::size_t behind = 0, ahead = 0;
    for (const glrec::Call& place : places) {
        behind += place.args[2] > 0.2;  // wholly behind the eye
        ahead += place.args[2] < -3;    // 3 units on, within 1.5 of the axis: inside the view
    }
    ASSERT_GT(behind, 0u);  // at 84 s the trail reaches from z = -4.1 to z = 0.8
    const auto teddies = primitivesOf(GL_TRIANGLES);
    EXPECT_LE(teddies.size(), TEDDIES - behind);
    EXPECT_GE(teddies.size(), ahead);
    EXPECT_TRUE(!teddies.at(0)->blended && teddies.at(0)->depthWrites && teddies.at(0)->vertices[0].a == 1.0f);  // the lead
    EXPECT_TRUE(teddies.back()->blended && !teddies.back()->depthWrites);
    EXPECT_TRUE(glrec::state().depthMask);  // depth writes come back at the end of the frame
    EXPECT_EQ(primitivesOf(GL_POINTS).size(), 50u);  // the rings are all still there
}
