// test_wormholescene.cpp -- the wormhole's beat pulse, ring colours and sizes, and the teddy trail.
#include <gtest/gtest.h>

#include <cmath>

#include "glrecorder.h"
#include "scenefixture.h"
#include "tempo.h"
#include "wormholescene.h"

namespace {
constexpr std::size_t TEDDIES = 40;
constexpr std::size_t PRIMITIVES_PER_RING = 61;  // 30 polygons, 30 outlines, one circle of points
constexpr double PEAK_AT_098 = 0.277836712032933;  // 2^(-1 / (8 * 0.51^4)): the pulse where v = 0.98

struct WormholeSceneTest : SceneFixture<WormholeScene> {
    const glrec::Primitive& ringPart(int ring, int part) const
    {
        return glrec::primitives().at(TEDDIES + ring * PRIMITIVES_PER_RING + part);
    }

    // The radius from the near-edge corners at 0 and 180 degrees (x = P, y = Q + W and Q - W).
    float ringRadius(int ring) const
    {
        return (ringPart(ring, 0).vertices[0].y - ringPart(ring, 30).vertices[0].y) / 2;
    }
};

void expectColour(const glrec::Vertex& v, double r, double g, double b, double a)
{
    EXPECT_NEAR(v.r, r, 1e-5);
    EXPECT_NEAR(v.g, g, 1e-5);
    EXPECT_NEAR(v.b, b, 1e-5);
    EXPECT_NEAR(v.a, a, 1e-5);
}
}

TEST(WormholePulse, IsExactlyZeroUpToItsBand)
{
    EXPECT_EQ(WormholeScene::pulse(0.0, 0), 0.0);
    EXPECT_EQ(WormholeScene::pulse(0.47, 0), 0.0);  // the band's edge: 2^(-1/0) taken as its limit
    EXPECT_EQ(WormholeScene::pulse(0.0, 23), 0.0);  // v = 0.46
    const double justInside = WormholeScene::pulse(0.4700001, 0);
    EXPECT_FALSE(std::isnan(justInside));
    EXPECT_GE(justInside, 0.0);
    EXPECT_LT(justInside, 1e-30);
}

TEST(WormholePulse, PeaksJustBeforeTheBeatWraps)
{
    EXPECT_NEAR(WormholeScene::pulse(0.98, 0), PEAK_AT_098, 1e-6);
    EXPECT_NEAR(WormholeScene::pulse(0.5, 24), PEAK_AT_098, 1e-6);  // ring position counts 0.02 a ring
    EXPECT_NEAR(WormholeScene::pulse(0.0, 49), PEAK_AT_098, 1e-6);
    EXPECT_NEAR(WormholeScene::pulse(0.99999, 0), 0.3335, 1e-4);  // the brightest, as v nears 1
}

TEST_F(WormholeSceneTest, OnTheBeatNearRingsAreDarkAndTheFarthestGlows)
{
    drawAt(84000);  // beat phase 0, a whole 50 ms step
    ASSERT_EQ(glrec::primitives().size(), TEDDIES + 50 * PRIMITIVES_PER_RING);

    // Ring 0: no pulse, radius 2, alpha 0; its outline is the fixed dark orange.
    expectColour(ringPart(0, 0).vertices[0], 0.5, 0.15, 0.05, 0.0);
    expectColour(ringPart(0, 1).vertices[0], 0.5, 0.15, 0.05, 1.0);
    EXPECT_NEAR(ringRadius(0), 2.0f, 1e-5f);
    expectColour(ringPart(0, 60).vertices[0], 0.15, 0.15, 0.2, 1.0);

    // Ring 24 sits just inside the band, where the pulse underflows to 0.
    expectColour(ringPart(24, 0).vertices[0], 0.5, 0.15, 0.05, 0.48);
    EXPECT_NEAR(ringRadius(24), 2.0f, 1e-5f);

    // Ring 49 (v = 0.98) is lit; its alpha passes 1 unclamped.
    const double o = PEAK_AT_098;
    expectColour(ringPart(49, 0).vertices[0], o + 0.5, o + 0.15, o + 0.05, o + 0.98);
    EXPECT_NEAR(ringRadius(49), 2 + 2 * o, 1e-5);
    expectColour(ringPart(49, 60).vertices[0], o + 0.15, o + 0.15, o + 0.2, o + 0.02);
}

TEST_F(WormholeSceneTest, PulseTravelsTowardsTheCameraWithinTheBeat)
{
    drawAt(84250);  // half a beat later the peak has moved from ring 49 to ring 24
    const double o = PEAK_AT_098;
    expectColour(ringPart(24, 0).vertices[0], o + 0.5, o + 0.15, o + 0.05, o + 0.48);
    EXPECT_NEAR(ringRadius(24), 2 + 2 * o, 1e-4);
    EXPECT_NEAR(ringRadius(49), 2.0f, 1e-5f);
}

TEST_F(WormholeSceneTest, RingIsThirtyClosedPolygonsWithOpenOutlinesAndAWiderCircleOfPoints)
{
    drawAt(84000);
    for (int segment = 0; segment < 30; ++segment) {
        const glrec::Primitive& polygon = ringPart(7, 2 * segment);
        const glrec::Primitive& outline = ringPart(7, 2 * segment + 1);
        ASSERT_EQ(polygon.mode, static_cast<GLenum>(GL_POLYGON));
        ASSERT_EQ(outline.mode, static_cast<GLenum>(GL_LINE_STRIP));
        ASSERT_EQ(polygon.vertices.size(), 4u);
        ASSERT_EQ(outline.vertices.size(), 4u);  // the edge back to the start is not drawn
        for (int corner = 0; corner < 4; ++corner) {
            EXPECT_EQ(polygon.vertices[corner].x, outline.vertices[corner].x);
            EXPECT_EQ(polygon.vertices[corner].y, outline.vertices[corner].y);
        }
        // Near edge at z = -0.5 u, far edge half a unit beyond.
        EXPECT_FLOAT_EQ(polygon.vertices[0].z, -3.5f);
        EXPECT_FLOAT_EQ(polygon.vertices[1].z, -4.0f);
    }
    const glrec::Primitive& points = ringPart(7, 60);
    ASSERT_EQ(points.mode, static_cast<GLenum>(GL_POINTS));
    ASSERT_EQ(points.vertices.size(), 30u);
    const float centreY = ringPart(7, 0).vertices[0].y - ringRadius(7);
    EXPECT_NEAR(points.vertices[0].y - centreY, 1.1f * 2, 1e-4f);
    EXPECT_FLOAT_EQ(points.vertices[0].z, -3.5f);
}

TEST_F(WormholeSceneTest, LeadTeddyIsOpaqueAndItsThirtyNineGhostsAdditive)
{
    drawAt(90000);
    std::vector<std::size_t> teddyStarts;
    const auto& calls = glrec::calls();
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].name == "glBegin" && calls[i].args[0] == GL_TRIANGLES)
            teddyStarts.push_back(i);
    ASSERT_EQ(teddyStarts.size(), TEDDIES);

    expectColour(glrec::primitives()[0].vertices[0], 0.6, 0.6, 0.6, 1.0);
    for (std::size_t i = 1; i < TEDDIES; ++i)
        expectColour(glrec::primitives()[i].vertices[0], 0.4, 0.4, 0.6, 0.1);

    // Blending and depth writes change only between the lead and its first ghost.
    std::size_t blendOn = calls.size(), depthOff = calls.size();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].name == "glEnable" && calls[i].args[0] == GL_BLEND && blendOn == calls.size())
            blendOn = i;
        if (calls[i].name == "glDepthMask" && calls[i].args[0] == GL_FALSE && depthOff == calls.size())
            depthOff = i;
    }
    EXPECT_GT(blendOn, teddyStarts[0]);
    EXPECT_LT(blendOn, teddyStarts[1]);
    EXPECT_GT(depthOff, teddyStarts[0]);
    EXPECT_LT(depthOff, teddyStarts[1]);
    EXPECT_TRUE(glrec::depthMask());  // restored at the end of the frame
}
