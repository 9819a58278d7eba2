// test_teddy.cpp -- the teddy's one-time loading and its per-corner cel shade coordinate.
#include <cstdio>
#include <fstream>

#include "scenefixture.h"
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
    "o shades\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0 0\n"
    "vn -1 0 0\nvn 1 0 0\nvn 0 1 0\n"                  // faces -x fully, faces away, side on
    "vn 0 0 1\nvn -0.5 0 0.8660254\nvn -4 0 0\n"       // side on, halfway, long
    "vn -1.5 0 2.5980762\nvn 0 0 0\nvn 0 -1 0\n"       // halfway and long, no direction at all
    "f 1/1/1 2/1/2 3/1/3\nf 1/1/4 2/1/5 3/1/6\nf 1/1/7 2/1/8 3/1/9\n";

struct TeddyTest : ::testing::Test {
    TeddyTest()
    {
        TeddyTestAccess::unload();
        glrec::reset();
        std::ofstream("teddy.obj") << SHADE_MODEL;
        writeImage("celshades.png", 8, 1);
    }
    ~TeddyTest() override { TeddyTestAccess::unload(); }  // later tests load a model of their own

    // Checks the shade coordinate s of chosen corners of the last teddy drawn.
    static void expectShades(const std::vector<std::pair<int, float>>& expected)
    {
        const std::vector<glrec::Vertex>& corners = glrec::primitives().back().vertices;
        ASSERT_EQ(corners.size(), 9u);
        for (auto [corner, shade] : expected)
            EXPECT_NEAR(corners[corner].s, shade, 1e-5) << "corner " << corner;
    }

    ScratchFolder folder{false};
};
}  // namespace

TEST_F(TeddyTest, ShadeGrowsAsTheNormalFacesMinusXAfterTheModelViewRotationAndPositionsGoOutAsRead)
{
    Teddy teddy;
    teddy.draw();
    expectShades({{0, 0.99f}, {1, 0.01f}, {2, 0.01f}, {3, 0.01f}, {4, 0.5f}, {5, 0.99f}, {6, 0.5f}, {7, 0.01f}, {8, 0.01f}});
    const glrec::Primitive& drawn = glrec::primitives().back();
    EXPECT_TRUE(drawn.mode == GL_TRIANGLES && drawn.vertices[4].t == 0.0f);  // always the ramp's first row
    EXPECT_EQ(drawn.vertices[5].y, 1.0f);
    EXPECT_EQ(drawn.vertices[5].nx, -4.0f);  // not normalised

    // The shade follows the model-view's rotation, but not its scale or translation.
    glPushMatrix();
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    teddy.draw();
    // (0, -1, 0) turned by -90 degrees faces -x, (0, 1, 0) faces +x, (-1, 0, 0) faces +y.
    expectShades({{8, 0.99f}, {2, 0.01f}, {0, 0.01f}});
    glPopMatrix();
    glTranslatef(5.0f, -3.0f, 20.0f);
    glScalef(0.03f, 0.03f, 0.03f);
    teddy.draw();
    expectShades({{0, 0.99f}, {4, 0.5f}, {1, 0.01f}});
}

TEST_F(TeddyTest, LoadsTheModelAndItsUnfilteredRampOnceAndLeavesTheCallersStateAlone)
{
    Teddy first;
    const GLuint ramp = glrec::state().texture;
    const auto filters = glrec::callsNamed("glTexParameteri");  // the last two win
    ASSERT_GE(filters.size(), 2u);
    EXPECT_EQ(filters.end()[-2].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST}));
    EXPECT_EQ(filters.end()[-1].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST}));
    std::remove("teddy.obj");  // later handles must not need the files any more
    std::remove("celshades.png");
    Teddy others[5];
    EXPECT_EQ(glrec::callsNamed("gluBuild2DMipmaps").size(), 1u);

    glEnable(GL_TEXTURE_2D);
    glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
    others[4].draw();
    EXPECT_TRUE(glrec::primitives().back().texture == ramp && glrec::primitives().back().textured);
    EXPECT_FALSE(glrec::isEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glrec::state().colour[2], 0.6f);
}

// The wormhole skips teddies whose bounding sphere is out of view: it must hold the farthest corner.
TEST_F(TeddyTest, BoundingRadiusReachesTheFarthestCorner)
{
    std::ofstream("teddy.obj") << "o t\nv 1 0 0\nv -3 0 -4\nv 0 2 0\nvt 0 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n";
    EXPECT_FLOAT_EQ(Teddy().boundingRadius(), 5.0f);
}
