// test_matrix.cpp -- the CPU matrix kit and the shared random helpers.
#include <gtest/gtest.h>

#include <set>

#include "matrix.h"
#include "random.h"

namespace {
void expectPoint(const Vec3& p, float x, float y, float z)
{
    EXPECT_NEAR(p.x, x, 1e-6f);
    EXPECT_NEAR(p.y, y, 1e-6f);
    EXPECT_NEAR(p.z, z, 1e-6f);
}
const float halfPi = 1.5707963267948966f;
}

TEST(Matrix, RotationsTurnCounterClockwiseAndTheRightHandFactorActsFirst)
{
    expectPoint(Matrix(RotateX, -halfPi) * Vec3{0, 1, 0}, 0, 0, -1);
    expectPoint(Matrix(RotateX, -halfPi) * Vec3{0, 0, 1}, 0, 1, 0);
    expectPoint(Matrix(RotateY, halfPi) * Vec3{0, 0, 1}, 1, 0, 0);
    expectPoint(Matrix(RotateZ, halfPi) * Vec3{1, 0, 0}, 0, 1, 0);
    expectPoint(Matrix::translation(1, 2, 3) * Vec3{0, 0, 0}, 1, 2, 3);
    expectPoint(Matrix(Scale, 2) * Vec3{1, 2, 3}, 2, 4, 6);
    expectPoint(Matrix::identity() * Vec3{4, 5, 6}, 4, 5, 6);
    expectPoint((Matrix::translation(1, 0, 0) * Matrix(RotateZ, halfPi)) * Vec3{1, 0, 0}, 1, 1, 0);
}

TEST(Matrix, ProductIntoItsOwnOperandIsSafe)
{
    Matrix m = Matrix::translation(1, 2, 3);
    m = m * m;
    expectPoint(m * Vec3{0, 0, 0}, 2, 4, 6);
    Matrix n = Matrix(Scale, 3);
    n = Matrix::translation(1, 0, 0) * n;
    expectPoint(n * Vec3{1, 1, 1}, 4, 3, 3);
}

TEST(Matrix, SixteenFloatsFillRowByRowAndThePointTransformIgnoresTheBottomRow)
{
    float values[16] = {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7, 9, 9, 9, 9};
    expectPoint(Matrix(values) * Vec3{1, 1, 1}, 6, 7, 8);
    EXPECT_EQ(Matrix(values).m[3], 5.0f);
    for (int kind : {0, 5, -1}) {
        try {
            Matrix bad(kind, 1.0f);
            FAIL() << "kind " << kind << " was accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.getMessage(), "Bad matrix operation");
        }
    }
}

TEST(Random, IsTheStandardsExampleGeneratorFromSeedOneCoveringFifteenBits)
{
    seedRandom15(1);
    EXPECT_EQ(random15(), 16838);  // the first values of the C standard's example for seed 1
    EXPECT_EQ(random15(), 5758);
    seedRandom15(42);
    int lowest = RANDOM_MAX, highest = 0;
    std::set<int> seen;
    for (int i = 0; i < 200000; ++i) {
        const int v = random15();
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
        seen.insert(v);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, RANDOM_MAX);
    EXPECT_GT(seen.size(), 30000u);
}

TEST(Random, RandomUnitMapsTheEndsOntoZeroAndOneAndTakesExactlyOneValue)
{
    seedRandom15(7);
    for (int i = 0; i < 100000; ++i) {
        const float u = randomUnit();
        ASSERT_TRUE(u >= 0.0f && u <= 1.0f);
    }
    seedRandom15(99);
    const int first = random15(), second = random15();
    seedRandom15(99);
    EXPECT_EQ(randomUnit(), first / 32767.0f);
    EXPECT_EQ(random15(), second);
}
