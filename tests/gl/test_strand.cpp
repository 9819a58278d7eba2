// test_strand.cpp -- the seaweed strand's ladder, its current weighting and its blow-up guard.
#include <gtest/gtest.h>

#include <cmath>

#include "seaweedscene.h"

namespace {
float distance(const StrandNode& a, const StrandNode& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}
}

TEST(Strand, BuildsAnUprightLadderWithEverySpringAtRest)
{
    const float width = 3.0f, angle = 0.7f;
    const Strand strand(10, width, angle);
    ASSERT_EQ(strand.nodes.size(), 22u);
    ASSERT_EQ(strand.springs.size(), 51u);
    EXPECT_FLOAT_EQ(strand.nodes[1].x, width * std::cos(angle));
    EXPECT_FLOAT_EQ(strand.nodes[1].z, width * std::sin(angle));
    EXPECT_FLOAT_EQ(strand.nodes[21].y, 30.0f);
    for (const StrandNode& node : strand.nodes)
        EXPECT_FLOAT_EQ(node.mass, 45.0f);
    for (const StrandSpring& spring : strand.springs) {
        EXPECT_NEAR(distance(strand.nodes[spring.first], strand.nodes[spring.second]), spring.restLength, 1e-5);
        EXPECT_EQ(spring.stiffness, 2.0f);
    }
}

TEST(Strand, CurrentPullsHardestAtTheMiddleNode)
{
    Strand strand(10, 2.0f, 0.0f);
    const float mass = strand.nodes[0].mass;
    const float startX = strand.nodes[11].x;
    strand.step(Vec3{1.0f, 0.0f, 0.0f});  // springs at rest: the current is the only force
    // velocity = 2 * (0.2 * weight * current) / mass, weight = (11 - |i - 11|) / 11
    EXPECT_FLOAT_EQ(strand.nodes[11].vx, 2 * 0.2f * 1.0f / mass);
    EXPECT_FLOAT_EQ(strand.nodes[2].vx, 2 * 0.2f * (2.0f / 11) / mass);
    EXPECT_FLOAT_EQ(strand.nodes[21].vx, 2 * 0.2f * (1.0f / 11) / mass);
    EXPECT_FLOAT_EQ(strand.nodes[11].x, startX + 2 * strand.nodes[11].vx);
}

TEST(Strand, NodeFlungTooHardStopsDeadForTheStep)
{
    Strand strand(10, 2.0f, 0.0f);
    strand.nodes[21].vx = 0.3f;
    strand.nodes[21].y += 100;  // its springs pull back far harder than |a| < 1 allows
    const StrandNode before = strand.nodes[21];
    strand.step(Vec3{0, 0, 0});
    EXPECT_EQ(strand.nodes[21].vx, 0.0f);
    EXPECT_EQ(strand.nodes[21].vy, 0.0f);
    EXPECT_EQ(strand.nodes[21].x, before.x);
    EXPECT_EQ(strand.nodes[21].y, before.y);
}

TEST(Strand, CoincidentNodesStopRatherThanTurnToNaN)
{
    Strand strand(10, 2.0f, 0.0f);
    strand.nodes[3] = strand.nodes[2];  // a zero-length rung: its force is 0/0
    strand.nodes[3].vx = 0.1f;
    strand.step(Vec3{0, 0.3f, 0});
    EXPECT_EQ(strand.nodes[3].vx, 0.0f);
    EXPECT_EQ(strand.nodes[3].x, strand.nodes[2].x);
}
