// test_matrix.cpp -- the CPU matrix kit and the shared random helpers.
#include <gtest/gtest.h>

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
    expectPoint(Matrix(RotateY, halfPi) * Vec3{0, 0, 1}, 1, 0, 0);
    expectPoint(Matrix(RotateZ, halfPi) * Vec3{1, 0, 0}, 0, 1, 0);
    expectPoint(Matrix::translation(1, 2, 3) * Vec3{0, 0, 0}, 1, 2, 3);
    expectPoint(Matrix(Scale, 2) * Vec3{1, 2, 3}, 2, 4, 6);
    expectPoint((Matrix::translation(1, 0, 0) * Matrix(RotateZ, halfPi)) * Vec3{1, 0, 0}, 1, 1, 0);
}

TEST(Matrix, ProductIntoItsOwnOperandIsSafe)
{
    Matrix m = Matrix::translation(1, 2, 3);
    m = m * m;
    expectPoint(m * Vec3{0, 0, 0}, 2, 4, 6);
}

TEST(Matrix, SixteenFloatsFillRowByRowAndThePointTransformIgnoresTheBottomRow)
{
    float values[16] = {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7, 9, 9, 9, 9};
    expectPoint(Matrix(values) * Vec3{1, 1, 1}, 6, 7, 8);
    EXPECT_EQ(Matrix(values).m[3], 5.0f);
    for (int kind : {0, 5, -1})
        EXPECT_THROW(Matrix(kind, 1.0f), Exception) << "kind " << kind;
}

TEST(Random, IsTheStandardsExampleGeneratorFromSeedOne)
{
    seedRandom15(1);
    EXPECT_EQ(random15(), 16838);  // the first values of the C standard's example for seed 1
    EXPECT_EQ(random15(), 5758);
    EXPECT_EQ(random15(), 10113);
}

TEST(Random, RandomUnitMapsTheRangeOntoZeroToOneAndTakesExactlyOneValue)
{
    seedRandom15(99);
    const int first = random15(), second = random15();
    seedRandom15(99);
    EXPECT_EQ(randomUnit(), first / 32767.0f);
    EXPECT_EQ(random15(), second);
}
