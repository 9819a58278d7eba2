// test_heightfield.cpp -- heights read from an image and the height queries between grid points.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "exception.h"
#include "heightfield.h"

namespace {
// Writes an 8-bit grey BMP whose pixel (x, z) is levels[x + z * width].
void writeGreyBmp(const std::string& path, int width, int depth, const std::vector<int>& levels)
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
}

class HeightfieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/bearings-hftest-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        path = folder + "/heights.bmp";
    }

    void TearDown() override
    {
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }

    // A terrain with height scale 7 and the forest's light.
    Heightfield load(int width, int depth, const std::vector<int>& levels)
    {
        writeGreyBmp(path, width, depth, levels);
        return Heightfield(path, 7.0f, Vec3{-1, -1.5f, -1}, Vec3{0.5f, 0.5f, 0.5f}, 0.1f);
    }

    std::string folder;
    std::string path;
};

constexpr float levelHeight = 7.0f / 255.0f;  // terrain units per grey level at height scale 7
}

TEST_F(HeightfieldTest, GridPointsHoldTheirScaledGreyLevels)
{
    // Rows are z, top row first: (x, z) = (2, 1) is the sixth pixel.
    const Heightfield field = load(4, 3, {0, 10, 20, 30, 40, 50, 255, 70, 80, 90, 100, 110});
    EXPECT_EQ(field.getWidth(), 4);
    EXPECT_EQ(field.getDepth(), 3);
    EXPECT_FLOAT_EQ(field.heightAt(0, 0), 0.0f);
    EXPECT_FLOAT_EQ(field.heightAt(1, 0), 10 * levelHeight);
    EXPECT_FLOAT_EQ(field.heightAt(2, 1), 7.0f);
    EXPECT_FLOAT_EQ(field.heightAt(1, 2), 90 * levelHeight);
}

TEST_F(HeightfieldTest, InterpolatesBilinearlyAcrossACell)
{
    const Heightfield field = load(2, 2, {0, 100, 40, 200});
    EXPECT_NEAR(field.heightAt(0.5f, 0.0f), 50 * levelHeight, 1e-5f);
    EXPECT_NEAR(field.heightAt(0.0f, 0.5f), 20 * levelHeight, 1e-5f);
    EXPECT_NEAR(field.heightAt(0.5f, 0.5f), 85 * levelHeight, 1e-5f);
    EXPECT_NEAR(field.heightAt(0.25f, 0.75f), 66.25f * levelHeight, 1e-5f);
}

TEST_F(HeightfieldTest, IsZeroOutsideTheTerrain)
{
    const Heightfield field = load(3, 3, std::vector<int>(9, 200));
    EXPECT_EQ(field.heightAt(3.0f, 1.0f), 0.0f);
    EXPECT_EQ(field.heightAt(1.0f, 3.0f), 0.0f);
    EXPECT_EQ(field.heightAt(1e9f, 1.0f), 0.0f);
    EXPECT_EQ(field.heightAt(-0.5f, 1.0f), 0.0f);
    EXPECT_EQ(field.heightAt(1.0f, -0.5f), 0.0f);
}

// The last column and row have no neighbour beyond them: their edge heights carry on to the rim.
TEST_F(HeightfieldTest, LastColumnAndRowHoldTheirEdgeHeights)
{
    const Heightfield field = load(3, 2, {10, 20, 30, 40, 50, 60});
    EXPECT_FLOAT_EQ(field.heightAt(2.0f, 0.0f), 30 * levelHeight);
    EXPECT_FLOAT_EQ(field.heightAt(2.5f, 0.0f), 30 * levelHeight);
    EXPECT_NEAR(field.heightAt(2.5f, 0.5f), 45 * levelHeight, 1e-5f);
    EXPECT_NEAR(field.heightAt(0.5f, 1.5f), 45 * levelHeight, 1e-5f);
}

TEST_F(HeightfieldTest, SinglePixelIsOnePointEverywhereInside)
{
    const Heightfield field = load(1, 1, {51});
    EXPECT_FLOAT_EQ(field.heightAt(0.0f, 0.0f), 51 * levelHeight);
    EXPECT_FLOAT_EQ(field.heightAt(0.9f, 0.9f), 51 * levelHeight);
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
