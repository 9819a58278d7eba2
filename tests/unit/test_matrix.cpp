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

TEST(Matrix, RotationsTurnCounterClockwiseAboutTheirAxis)
{
    expectPoint(Matrix(RotateX, -halfPi) * Vec3{0, 1, 0}, 0, 0, -1);
    expectPoint(Matrix(RotateX, -halfPi) * Vec3{0, 0, 1}, 0, 1, 0);
    expectPoint(Matrix(RotateY, halfPi) * Vec3{0, 0, 1}, 1, 0, 0);
    expectPoint(Matrix(RotateZ, halfPi) * Vec3{1, 0, 0}, 0, 1, 0);
}

TEST(Matrix, TranslationAndScaleMovePoints)
{
    expectPoint(Matrix::translation(1, 2, 3) * Vec3{0, 0, 0}, 1, 2, 3);
    expectPoint(Matrix(Scale, 2) * Vec3{1, 2, 3}, 2, 4, 6);
    expectPoint(Matrix::identity() * Vec3{4, 5, 6}, 4, 5, 6);
}

TEST(Matrix, RightHandFactorActsFirst)
{
    const Matrix m = Matrix::translation(1, 0, 0) * Matrix(RotateZ, halfPi);
    expectPoint(m * Vec3{1, 0, 0}, 1, 1, 0);
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

TEST(Matrix, PointTransformIgnoresBottomRow)
{
    float values[16] = {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7, 9, 9, 9, 9};
    expectPoint(Matrix(values) * Vec3{1, 1, 1}, 6, 7, 8);
}

TEST(Matrix, FillingFromSixteenFloatsKeepsIndexOrder)
{
    float values[16];
    for (int i = 0; i < 16; ++i)
        values[i] = static_cast<float>(i);
    const Matrix m(values);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m.m[i], static_cast<float>(i));
}

TEST(Matrix, UnknownKindThrowsBadMatrixOperation)
{
    for (int kind : {0, 5, -1}) {
        try {
            Matrix m(kind, 1.0f);
            FAIL() << "kind " << kind << " was accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.getMessage(), "Bad matrix operation");
        }
    }
}

TEST(Random, DefaultSequenceStartsFromSeedOne)
{
    seedRandom15(1);
    const int first = random15(), second = random15();
    seedRandom15(1);
    EXPECT_EQ(random15(), first);
    EXPECT_EQ(random15(), second);
    // The C standard's example generator: 16838 and 5758 are its first values for seed 1.
    EXPECT_EQ(first, 16838);
    EXPECT_EQ(second, 5758);
}

TEST(Random, ValuesStayWithinFifteenBitsAndCoverTheRange)
{
    seedRandom15(42);
    int lowest = RANDOM_MAX, highest = 0;
    std::set<int> seen;
    for (int i = 0; i < 200000; ++i) {
        const int v = random15();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, RANDOM_MAX);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
        seen.insert(v);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, RANDOM_MAX);
    EXPECT_GT(seen.size(), 30000u);
}

TEST(Random, RandomUnitMapsTheEndsOntoZeroAndOne)
{
    EXPECT_EQ(static_cast<float>(0) * 3.0518509e-05f, 0.0f);
    EXPECT_EQ(static_cast<float>(RANDOM_MAX) * 3.0518509e-05f, 1.0f);
    seedRandom15(7);
    for (int i = 0; i < 100000; ++i) {
        const float u = randomUnit();
        ASSERT_GE(u, 0.0f);
        ASSERT_LE(u, 1.0f);
    }
}

TEST(Random, RandomUnitConsumesExactlyOneValue)
{
    seedRandom15(99);
    randomUnit();
    const int afterOne = random15();
    seedRandom15(99);
    random15();
    EXPECT_EQ(random15(), afterOne);
}
