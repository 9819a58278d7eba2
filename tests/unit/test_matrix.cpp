// test_matrix.cpp -- the CPU matrix kit. (The random sequence is pinned by the galaxy's and the cloud
// figure's draw-order tests, whose values come from the show's generator.)
#include <gtest/gtest.h>

#include "matrix.h"

namespace {
void expectPoint(const Vec3& p, float x, float y, float z)
{
    EXPECT_NEAR(p.x, x, 1e-6f);
    EXPECT_NEAR(p.y, y, 1e-6f);
    EXPECT_NEAR(p.z, z, 1e-6f);
}
const float halfPi = 1.5707963267948966f;
}

TEST(Matrix, RotationsTurnCounterClockwiseTheRightHandFactorActsFirstAndAProductMayOverwriteItsOperand)
{
    expectPoint(Matrix(RotateX, -halfPi) * Vec3{0, 1, 0}, 0, 0, -1);
    expectPoint(Matrix(RotateY, halfPi) * Vec3{0, 0, 1}, 1, 0, 0);
    expectPoint(Matrix(RotateZ, halfPi) * Vec3{1, 0, 0}, 0, 1, 0);
    expectPoint(Matrix::translation(1, 2, 3) * Vec3{0, 0, 0}, 1, 2, 3);
    expectPoint(Matrix(Scale, 2) * Vec3{1, 2, 3}, 2, 4, 6);
    expectPoint((Matrix::translation(1, 0, 0) * Matrix(RotateZ, halfPi)) * Vec3{1, 0, 0}, 1, 1, 0);
    Matrix m = Matrix::translation(1, 2, 3);  // a product into its own operand
    m = m * m;
    expectPoint(m * Vec3{0, 0, 0}, 2, 4, 6);
}
