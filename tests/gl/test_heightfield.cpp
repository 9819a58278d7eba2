// test_heightfield.cpp -- heights read from an image, the height queries between grid points, and
// the terrain's baked lighting.
#include "heightfield.h"
#include "scenefixture.h"

namespace {
constexpr float levelHeight = 7.0f / 255.0f;  // terrain units per grey level at height scale 7

// The grey levels as a terrain of height scale 7, with the forest's base colour and ambient level.
Heightfield terrain(int width, int depth, const std::vector<int>& levels, Vec3 light = Vec3{-1, -1.5f, -1})
{
    ScratchFolder folder(false);
    writeGreyImage("hf.bmp", width, depth, levels);
    return Heightfield("hf.bmp", 7.0f, light, Vec3{0.5f, 0.5f, 0.5f}, 0.1f);
}

// The red of the first corner of a cell of the surface just drawn.
float cellRed(std::size_t cell) { return glrec::primitives().at(0).vertices.at(6 * cell).r; }
}

TEST(Heightfield, HoldsScaledGreyLevelsInRowsAlongZInterpolatesBilinearlyAndHoldsTheEdgeToTheRim)
{
    const Heightfield field = terrain(4, 3, {0, 10, 20, 30, 40, 50, 255, 70, 80, 90, 100, 110});
    EXPECT_EQ(field.getWidth(), 4);
    EXPECT_EQ(field.getDepth(), 3);
    EXPECT_FLOAT_EQ(field.heightAt(2, 1), 7.0f);
    EXPECT_FLOAT_EQ(field.heightAt(1, 2), 90 * levelHeight);
    EXPECT_NEAR(field.heightAt(0.25f, 0.75f), 32.5f * levelHeight, 1e-5f);

    // Outside the terrain the ground is 0; in the last column and row, which have no neighbour
    // beyond, the edge heights carry on to the rim instead of reading past the grid.
    EXPECT_EQ(field.heightAt(4.0f, 1.0f), 0.0f);
    EXPECT_EQ(field.heightAt(-0.5f, 1.0f), 0.0f);
    EXPECT_NEAR(field.heightAt(3.5f, 0.5f), 50 * levelHeight, 1e-5f);
    EXPECT_NEAR(field.heightAt(0.5f, 2.5f), 85 * levelHeight, 1e-5f);
}

TEST(Heightfield, CellsFacingTheLightAreBrighterThanFlatGroundAndTheOthersDarker)
{
    glrec::reset();
    terrain(3, 2, std::vector<int>(6, 128)).drawSurface();
    const float flat = cellRed(1);
    EXPECT_NEAR(flat, 0.377f, 1e-3f);  // the base 0.5 lit by ambient 0.1 and the slanting light

    // A ridge along z at x = 1; the light travels towards -x, so the slope falling to +x faces it.
    glrec::reset();
    terrain(3, 2, {0, 40, 0, 0, 40, 0}).drawSurface();
    EXPECT_LT(cellRed(0), flat);
    EXPECT_GT(cellRed(0), 0.0f);
    EXPECT_GT(cellRed(1), flat);
}
