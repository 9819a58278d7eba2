// test_heightfield.cpp -- the terrain's baked lighting, its triangles and its grid lines.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "glrecorder.h"
#include "greybmp.h"
#include "heightfield.h"

namespace {
float cellRed(std::size_t row, std::size_t cell)
{
    return glrec::primitives().at(row).vertices.at(6 * cell).r;
}
}

TEST(HeightfieldDrawing, CellsFacingTheLightAreBrighterThanFlatGroundAndNeverNegative)
{
    glrec::reset();
    const float flat = 0.5f * (0.1f + 0.9f * 1.5f / std::sqrt(4.25f));  // about 0.377
    HeightImage(3, 2, std::vector<int>(6, 128)).terrain().drawSurface();
    EXPECT_NEAR(cellRed(0, 0), flat, 1e-5f);
    EXPECT_NEAR(cellRed(0, 1), flat, 1e-5f);

    // A ridge along z at x = 1; the light travels towards -x, so the slope falling to +x faces it.
    glrec::reset();
    HeightImage(3, 2, {0, 40, 0, 0, 40, 0}).terrain().drawSurface();
    EXPECT_LT(cellRed(0, 0), flat);
    EXPECT_GT(cellRed(0, 0), 0.0f);
    EXPECT_GT(cellRed(0, 1), flat);

    // Turned far enough away, or lit from below, a cell is black rather than negative.
    glrec::reset();
    HeightImage(3, 2, {0, 200, 0, 0, 200, 0}).terrain().drawSurface();
    EXPECT_EQ(cellRed(0, 0), 0.0f);
    glrec::reset();
    HeightImage(2, 2, std::vector<int>(4, 50)).terrain(Vec3{0, 1, 0}).drawSurface();
    EXPECT_EQ(cellRed(0, 0), 0.0f);
}

TEST(HeightfieldDrawing, SinglePointDrawsNoCellsAndTwoOnePointStrips)
{
    const Heightfield field = HeightImage(1, 1, {77}).terrain();
    glrec::reset();
    field.drawSurface();
    EXPECT_TRUE(glrec::calls().empty());
    field.drawGrid();
    ASSERT_EQ(glrec::primitives().size(), 2u);
    EXPECT_EQ(glrec::primitives()[0].vertices.size(), 1u);
    EXPECT_EQ(glrec::primitives()[1].vertices.size(), 1u);
}
