// test_heightfield.cpp -- heights read from an image and the height queries between grid points.
#include <gtest/gtest.h>

#include <vector>

#include "exception.h"
#include "greybmp.h"
#include "heightfield.h"

namespace {
constexpr float levelHeight = 7.0f / 255.0f;  // terrain units per grey level at height scale 7
}

TEST(Heightfield, GridPointsHoldTheirScaledGreyLevelsRowsAlongZ)
{
    const Heightfield field = HeightImage(4, 3, {0, 10, 20, 30, 40, 50, 255, 70, 80, 90, 100, 110}).terrain();
    EXPECT_EQ(field.getWidth(), 4);
    EXPECT_EQ(field.getDepth(), 3);
    EXPECT_FLOAT_EQ(field.heightAt(1, 0), 10 * levelHeight);
    EXPECT_FLOAT_EQ(field.heightAt(2, 1), 7.0f);
    EXPECT_FLOAT_EQ(field.heightAt(1, 2), 90 * levelHeight);
}

TEST(Heightfield, InterpolatesBilinearlyAcrossACell)
{
    const Heightfield field = HeightImage(2, 2, {0, 100, 40, 200}).terrain();
    EXPECT_NEAR(field.heightAt(0.5f, 0.0f), 50 * levelHeight, 1e-5f);
    EXPECT_NEAR(field.heightAt(0.5f, 0.5f), 85 * levelHeight, 1e-5f);
    EXPECT_NEAR(field.heightAt(0.25f, 0.75f), 66.25f * levelHeight, 1e-5f);
}

// Outside the terrain the ground is 0; in the last column and row, which have no neighbour beyond,
// the edge heights carry on to the rim instead of reading past the grid.
TEST(Heightfield, IsZeroOutsideAndHoldsTheEdgeInTheLastColumnAndRow)
{
    const Heightfield field = HeightImage(3, 2, {10, 20, 30, 40, 50, 60}).terrain();
    EXPECT_EQ(field.heightAt(3.0f, 1.0f), 0.0f);
    EXPECT_EQ(field.heightAt(1.0f, 2.0f), 0.0f);
    EXPECT_EQ(field.heightAt(-0.5f, 1.0f), 0.0f);
    EXPECT_FLOAT_EQ(field.heightAt(2.5f, 0.0f), 30 * levelHeight);
    EXPECT_NEAR(field.heightAt(2.5f, 0.5f), 45 * levelHeight, 1e-5f);
    EXPECT_NEAR(field.heightAt(0.5f, 1.5f), 45 * levelHeight, 1e-5f);

    const Heightfield point = HeightImage(1, 1, {51}).terrain();
    EXPECT_FLOAT_EQ(point.heightAt(0.9f, 0.9f), 51 * levelHeight);
}

TEST(Heightfield, MissingImageThrowsUnableToLoad)
{
    try {
        Heightfield field("/nonexistent/hf.bmp", 7.0f, Vec3{-1, -1.5f, -1}, Vec3{0.5f, 0.5f, 0.5f}, 0.1f);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.getMessage(), "Unable to load: /nonexistent/hf.bmp");
    }
}
