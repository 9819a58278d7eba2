// test_coreshell.cpp -- the core's shell of shards, their random flight and the husks' signed power.
#include <gtest/gtest.h>

#include <cmath>

#include "corescene.h"
#include "random.h"

TEST(Shell, HasNineHundredShardsPolesIncludedTakingThreeDrawsEach)
{
    seedRandom15(10);
    const Shell shell(30, 15);
    ASSERT_EQ(shell.shards.size(), 900u);
    const int afterShell = random15();

    seedRandom15(10);
    const float r1 = randomUnit() - 0.5f, r2 = randomUnit() - 0.5f, r3 = randomUnit() - 0.5f;
    for (int draw = 3; draw < 2700; ++draw)
        random15();
    EXPECT_EQ(random15(), afterShell);

    const Shard& first = shell.shards[0];  // the north pole's zero-area shard of slice 0
    EXPECT_FLOAT_EQ(first.velocity.x, first.centre.x + r3);
    EXPECT_FLOAT_EQ(first.velocity.y, first.centre.y + r2);
    EXPECT_FLOAT_EQ(first.velocity.z, first.centre.z + r1);
    EXPECT_EQ(first.corners[0].x, first.corners[1].x);  // two corners on the pole
    EXPECT_EQ(first.corners[0].y, first.corners[1].y);
}

TEST(Shell, UpdateFallsUnderGravityBeforeMoving)
{
    Shell shell(30, 15);
    const Shard before = shell.shards[100];
    shell.update(0.5f);
    const Shard& after = shell.shards[100];
    EXPECT_FLOAT_EQ(after.velocity.y, before.velocity.y - 1.0f);
    EXPECT_FLOAT_EQ(after.velocity.x, before.velocity.x);
    EXPECT_FLOAT_EQ(after.centre.y, before.centre.y + 0.5f * (before.velocity.y - 1.0f));
    EXPECT_FLOAT_EQ(after.centre.z, before.centre.z + 0.5f * before.velocity.z);
    EXPECT_EQ(after.corners[2].x, before.corners[2].x);
}

TEST(SignedPower, KeepsTheSignOfTheBase)
{
    EXPECT_FLOAT_EQ(signedPower(8.0f, 1.0f / 3), 2.0f);
    EXPECT_FLOAT_EQ(signedPower(-8.0f, 1.0f / 3), -2.0f);
    EXPECT_FLOAT_EQ(signedPower(-0.5f, 1.7f), -std::pow(0.5f, 1.7f));
    EXPECT_EQ(signedPower(0.0f, 0.3f), 0.0f);
    EXPECT_EQ(signedPower(-0.25f, 1.0f), -0.25f);
}
