// test_heightfield.cpp -- the terrain's baked lighting, its triangles and its grid lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "glrecorder.h"
#include "heightfield.h"

namespace {
class HeightfieldDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/bearings-hfdraw-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        path = folder + "/heights.bmp";
        glrec::reset();
    }

    void TearDown() override
    {
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }

    // An 8-bit grey image of the given levels (row z = image row z) as a terrain of height scale 7.
    Heightfield load(int width, int depth, const std::vector<int>& levels, Vec3 light = Vec3{-1, -1.5f, -1})
    {
        SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, depth, 8, 0, 0, 0, 0);
        SDL_Color greys[256];
        for (int level = 0; level < 256; ++level)
            greys[level] = SDL_Color{static_cast<Uint8>(level), static_cast<Uint8>(level), static_cast<Uint8>(level), 0};
        SDL_SetColors(surface, greys, 0, 256);
        for (int z = 0; z < depth; ++z)
            for (int x = 0; x < width; ++x)
                static_cast<Uint8*>(surface->pixels)[z * surface->pitch + x] = static_cast<Uint8>(levels[x + z * width]);
        SDL_SaveBMP(surface, path.c_str());
        SDL_FreeSurface(surface);
        return Heightfield(path, 7.0f, light, Vec3{0.5f, 0.5f, 0.5f}, 0.1f);
    }

    std::string folder;
    std::string path;
};
}

TEST_F(HeightfieldDrawing, FlatGroundTakesOneLitGrey)
{
    const Heightfield field = load(3, 3, std::vector<int>(9, 128));
    field.drawSurface();
    const float expected = 0.5f * (0.1f + 0.9f * 1.5f / std::sqrt(4.25f));  // about 0.377
    ASSERT_EQ(glrec::primitives().size(), 2u);
    for (const glrec::Primitive& row : glrec::primitives()) {
        EXPECT_EQ(row.mode, static_cast<GLenum>(GL_TRIANGLES));
        ASSERT_EQ(row.vertices.size(), 12u);
        for (const glrec::Vertex& vertex : row.vertices) {
            EXPECT_NEAR(vertex.r, expected, 1e-5f);
            EXPECT_NEAR(vertex.g, expected, 1e-5f);
            EXPECT_NEAR(vertex.b, expected, 1e-5f);
            EXPECT_EQ(vertex.a, 1.0f);
        }
    }
}

TEST_F(HeightfieldDrawing, SlopesFacingTheLightAreBrighterThanSlopesFacingAway)
{
    // A low ridge along z at x = 1: the cell at x = 0 rises towards +x, the cell at x = 1 falls.
    // The light travels towards -x, so the falling slope faces it.
    const float flat = 0.5f * (0.1f + 0.9f * 1.5f / std::sqrt(4.25f));
    {
        const Heightfield field = load(3, 2, {0, 40, 0, 0, 40, 0});
        field.drawSurface();
        const std::vector<glrec::Vertex>& row = glrec::primitives().at(0).vertices;
        EXPECT_GT(row.at(6).r, flat);
        EXPECT_LT(row.at(0).r, flat);
        EXPECT_GT(row.at(0).r, 0.0f);
    }
    glrec::reset();
    {
        // Turned far enough away, the shade clamps at black rather than going negative.
        const Heightfield field = load(3, 2, {0, 200, 0, 0, 200, 0});
        field.drawSurface();
        EXPECT_EQ(glrec::primitives().at(0).vertices.at(0).r, 0.0f);
    }
}

TEST_F(HeightfieldDrawing, LightFromBelowLeavesBlack)
{
    const Heightfield field = load(2, 2, std::vector<int>(4, 50), Vec3{0, 1, 0});
    field.drawSurface();
    EXPECT_EQ(glrec::primitives().at(0).vertices.at(0).r, 0.0f);
}

TEST_F(HeightfieldDrawing, CellsSplitAlongTheDiagonalFromTheNearCorner)
{
    const Heightfield field = load(2, 2, {10, 20, 30, 40});
    field.drawSurface();
    const std::vector<glrec::Vertex>& cell = glrec::primitives().at(0).vertices;
    const float corners[6][3] = {{0, 10, 0}, {0, 30, 1}, {1, 40, 1}, {0, 10, 0}, {1, 40, 1}, {1, 20, 0}};
    ASSERT_EQ(cell.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(cell[i].x, corners[i][0]) << "corner " << i;
        EXPECT_NEAR(cell[i].y, corners[i][1] * 7.0f / 255.0f, 1e-5f) << "corner " << i;
        EXPECT_FLOAT_EQ(cell[i].z, corners[i][2]) << "corner " << i;
    }
}

TEST_F(HeightfieldDrawing, GridRunsAlongZThenXJustAboveTheGroundInTheCallersColour)
{
    const Heightfield field = load(3, 2, {0, 50, 100, 150, 200, 250});
    glColor4f(0.9f, 0.9f, 0.9f, 1.0f);
    glrec::reset();
    field.drawGrid();
    const std::vector<glrec::Primitive>& strips = glrec::primitives();
    ASSERT_EQ(strips.size(), 5u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(strips[i].vertices.size(), 2u);
    for (std::size_t i = 3; i < 5; ++i)
        EXPECT_EQ(strips[i].vertices.size(), 3u);
    const glrec::Vertex& corner = strips[4].vertices[2];  // x = 2, z = 1
    EXPECT_FLOAT_EQ(corner.x, 2.0f);
    EXPECT_FLOAT_EQ(corner.z, 1.0f);
    EXPECT_NEAR(corner.y, 250 * 7.0f / 255.0f + 0.01f, 1e-5f);
    EXPECT_EQ(glrec::count("glColor4f"), 0u);
    EXPECT_EQ(glrec::count("glLineWidth"), 0u);
}

TEST_F(HeightfieldDrawing, SinglePointDrawsNoCellsAndTwoOnePointStrips)
{
    const Heightfield field = load(1, 1, {77});
    field.drawSurface();
    EXPECT_TRUE(glrec::calls().empty());
    field.drawGrid();
    ASSERT_EQ(glrec::primitives().size(), 2u);
    EXPECT_EQ(glrec::primitives()[0].vertices.size(), 1u);
    EXPECT_EQ(glrec::primitives()[1].vertices.size(), 1u);
}
