// test_teddy.cpp -- the teddy's one-time loading and its per-corner cel shade coordinate.
#include <gtest/gtest.h>
#include <SDL/SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "exception.h"
#include "glrecorder.h"
#include "teddy.h"

// Reaches the shared model so that each test starts from "not loaded yet", whatever ran before.
struct TeddyTestAccess {
    static void unload()
    {
        Teddy::teddyVertices.clear();
        Teddy::teddyNormals.clear();
        Teddy::teddyTexture = 0;
    }
};

namespace {

// Nine corners, one normal each: the cases of the shade rule in file order.
const char* const SHADE_MODEL =
    "o shades\n"
    "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
    "vt 0 0 0\n"
    "vn -1 0 0\n"               // 1: faces -x fully
    "vn 1 0 0\n"                // 2: faces away
    "vn 0 1 0\n"                // 3: side on
    "vn 0 0 1\n"                // 4: side on
    "vn -0.5 0 0.8660254\n"     // 5: halfway
    "vn -4 0 0\n"               // 6: long normal
    "vn -1.5 0 2.5980762\n"     // 7: halfway, length 3
    "vn 0 0 0\n"                // 8: no direction at all
    "vn 0 -1 0\n"               // 9
    "f 1/1/1 2/1/2 3/1/3\n"
    "f 1/1/4 2/1/5 3/1/6\n"
    "f 1/1/7 2/1/8 3/1/9\n";

class TeddyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TeddyTestAccess::unload();
        glrec::reset();
        char pattern[] = "/tmp/bearings-teddytest-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        char* cwd = getcwd(nullptr, 0);
        previous = cwd;
        std::free(cwd);
        ASSERT_EQ(chdir(folder.c_str()), 0);
    }

    void TearDown() override
    {
        TeddyTestAccess::unload();  // later tests load a model of their own
        ASSERT_EQ(chdir(previous.c_str()), 0);
        std::remove((folder + "/teddy.obj").c_str());
        std::remove((folder + "/celshades.png").c_str());
        rmdir(folder.c_str());
    }

    void writeFiles(const std::string& model)
    {
        std::ofstream("teddy.obj") << model;
        // SDL_image recognises the BMP by its content, whatever the name says.
        SDL_Surface* ramp = SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 1, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
        SDL_SaveBMP(ramp, "celshades.png");
        SDL_FreeSurface(ramp);
    }

    // The shade coordinate s of each corner drawn, in order.
    std::vector<float> drawnShades()
    {
        std::vector<float> shades;
        for (const glrec::Vertex& vertex : glrec::primitives().back().vertices)
            shades.push_back(vertex.s);
        return shades;
    }

    std::string folder;
    std::string previous;
};

}  // namespace

TEST_F(TeddyTest, ShadeGrowsAsTheNormalFacesMinusX)
{
    writeFiles(SHADE_MODEL);
    Teddy teddy;
    teddy.draw();
    const std::vector<float> shades = drawnShades();
    const float expected[9] = {0.99f, 0.01f, 0.01f, 0.01f, 0.5f, 0.99f, 0.5f, 0.01f, 0.01f};
    ASSERT_EQ(shades.size(), 9u);
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(shades[i], expected[i], 1e-6) << "corner " << i;
    for (const glrec::Vertex& vertex : glrec::primitives().back().vertices)
        EXPECT_EQ(vertex.t, 0.0f);  // always the ramp's first row
}

TEST_F(TeddyTest, ShadeUsesTheTransposedModelViewRotation)
{
    writeFiles(SHADE_MODEL);
    Teddy teddy;
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    teddy.draw();
    const std::vector<float> shades = drawnShades();
    ASSERT_EQ(shades.size(), 9u);
    EXPECT_NEAR(shades[8], 0.99f, 1e-6);  // (0, -1, 0) turned by -90 degrees faces -x
    EXPECT_NEAR(shades[2], 0.01f, 1e-6);  // (0, 1, 0) faces +x
    EXPECT_NEAR(shades[0], 0.01f, 1e-6);  // (-1, 0, 0) faces +y
}

TEST_F(TeddyTest, ScaleAndTranslationLeaveTheShadeAlone)
{
    writeFiles(SHADE_MODEL);
    Teddy teddy;
    glTranslatef(5.0f, -3.0f, 20.0f);
    glScalef(0.03f, 0.03f, 0.03f);
    teddy.draw();
    const std::vector<float> shades = drawnShades();
    ASSERT_EQ(shades.size(), 9u);
    EXPECT_NEAR(shades[0], 0.99f, 1e-5);
    EXPECT_NEAR(shades[4], 0.5f, 1e-5);
    EXPECT_NEAR(shades[1], 0.01f, 1e-5);
}

TEST_F(TeddyTest, SendsModelSpacePositionsAndNormalsUnchanged)
{
    writeFiles(SHADE_MODEL);
    Teddy teddy;
    glScalef(2.0f, 2.0f, 2.0f);
    teddy.draw();
    const glrec::Vertex& corner = glrec::primitives().back().vertices[5];
    EXPECT_EQ(corner.x, 0.0f);
    EXPECT_EQ(corner.y, 1.0f);
    EXPECT_EQ(corner.nx, -4.0f);  // not normalised
    EXPECT_EQ(glrec::primitives().back().mode, static_cast<GLenum>(GL_TRIANGLES));
}

TEST_F(TeddyTest, LoadsModelOnceForManyHandles)
{
    writeFiles(SHADE_MODEL);
    Teddy first;
    const GLuint ramp = glrec::boundTexture();
    std::remove("teddy.obj");  // later handles must not need the files any more
    std::remove("celshades.png");
    for (int i = 0; i < 5; ++i)
        Teddy another;
    Teddy last;
    EXPECT_EQ(glrec::count("gluBuild2DMipmaps"), 1u);
    last.draw();
    EXPECT_EQ(glrec::primitives().back().texture, ramp);
    EXPECT_EQ(glrec::primitives().back().vertices.size(), 9u);
}

TEST_F(TeddyTest, RampIsSampledWithoutInterpolation)
{
    writeFiles(SHADE_MODEL);
    Teddy teddy;
    std::vector<glrec::Call> parameters = glrec::callsNamed("glTexParameteri");
    ASSERT_GE(parameters.size(), 2u);
    parameters.erase(parameters.begin(), parameters.end() - 2);  // the last two win
    EXPECT_EQ(parameters[0].args[1], GL_TEXTURE_MAG_FILTER);
    EXPECT_EQ(parameters[0].args[2], GL_NEAREST);
    EXPECT_EQ(parameters[1].args[1], GL_TEXTURE_MIN_FILTER);
    EXPECT_EQ(parameters[1].args[2], GL_NEAREST);
}

TEST_F(TeddyTest, DrawLeavesTextureDisabledAndTheCallersStateAlone)
{
    writeFiles(SHADE_MODEL);
    Teddy teddy;
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_TEXTURE_2D);
    glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
    glTranslatef(1.0f, 2.0f, 3.0f);
    float before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    teddy.draw();
    EXPECT_FALSE(glrec::isEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glrec::primitives().back().textured);
    EXPECT_NE(glrec::boundTexture(), 0u);  // the ramp stays bound
    float colour[4];
    glrec::currentColor(colour);
    EXPECT_EQ(colour[2], 0.6f);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(glrec::matrix(GL_MODELVIEW)[i], before[i]);
}

TEST_F(TeddyTest, ModelWithoutObjectDrawsNothingButStillDisablesTexture)
{
    writeFiles("v 0 0 0\n");
    Teddy teddy;
    glEnable(GL_TEXTURE_2D);
    teddy.draw();
    EXPECT_TRUE(glrec::primitives().back().vertices.empty());
    EXPECT_FALSE(glrec::isEnabled(GL_TEXTURE_2D));
}

TEST_F(TeddyTest, MissingModelThrowsUnableToOpen)
{
    try {
        Teddy teddy;
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.getMessage(), "Unable to openteddy.obj");
    }
}
