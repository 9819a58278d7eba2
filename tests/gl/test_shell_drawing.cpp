// test_shell_drawing.cpp -- title cards, the loading screen, the overlay pass and texture loading,
// checked against the recorded GL stream at chosen clock values.
#include <gtest/gtest.h>

#include <cmath>

#include "board.h"
#include "demo.h"
#include "exception.h"
#include "glrecorder.h"
#include "random.h"
#include "testfiles.h"
#include "util.h"

namespace {

struct ShellDrawing : ::testing::Test {
    void SetUp() override
    {
        glrec::reset();
        glrec::setClock(0);
    }
    void TearDown() override { Tempo::setTickSource(nullptr); }
};

// A Demo with known texture names and a started clock, without SDL or files.
struct OverlayDemo {
    Demo demo{Demo::Unloaded{}};
    OverlayDemo()
    {
        demo.letterboxTexture = 11;
        demo.noiseTexture = 12;
        demo.lineTexture = 13;
        demo.blobTexture = 14;
        demo.loadingTexture = 15;
        demo.tempo->start();
    }
};

std::vector<glrec::Primitive> quadsWithTexture(GLuint texture)
{
    std::vector<glrec::Primitive> found;
    for (const auto& p : glrec::primitives())
        if (p.mode == GL_QUADS && p.texture == texture)
            found.push_back(p);
    return found;
}

}  // namespace

TEST_F(ShellDrawing, LoadTextureReportsMissingFileByItsExactName)
{
    try {
        loadTexture("no-such-image.png");
        FAIL() << "a missing image was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.getMessage(), "Unable to load: no-such-image.png");
    }
    EXPECT_EQ(glrec::count("glGenTextures"), 0u);
}

TEST_F(ShellDrawing, LoadTextureUploadsMipmappedRgbaAndLeavesItBound)
{
    ScratchFolder folder;
    writeSolidBmp(folder.path("a.bmp"), 6, 3, 200, 100, 50);
    const GLuint first = loadTexture(folder.path("a.bmp"));
    EXPECT_EQ(glrec::boundTexture(), first);
    const GLuint second = loadTexture(folder.path("a.bmp"));
    EXPECT_NE(first, second);  // nothing is cached

    const auto mipmaps = glrec::callsNamed("gluBuild2DMipmaps");
    ASSERT_EQ(mipmaps.size(), 2u);
    EXPECT_EQ(mipmaps[0].args, (std::vector<double>{GL_TEXTURE_2D, GL_RGBA, 6, 3, GL_RGBA, GL_UNSIGNED_BYTE}));
    const auto filters = glrec::callsNamed("glTexParameteri");
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[0].args[2], GL_LINEAR);
    EXPECT_EQ(filters[1].args[2], GL_LINEAR_MIPMAP_LINEAR);
}

TEST_F(ShellDrawing, BoardSetupSelectsIdentityMatricesAndBrownClear)
{
    ScratchFolder folder;
    writeSolidBmp(folder.path("card.bmp"), 4, 4, 255, 255, 255);
    Board board(folder.path("card.bmp"));
    glrec::reset();
    board.setup();
    EXPECT_EQ(glrec::matrixMode(), static_cast<GLenum>(GL_MODELVIEW));
    const auto clear = glrec::callsNamed("glClearColor");
    ASSERT_EQ(clear.size(), 1u);
    EXPECT_NEAR(clear[0].args[0], 0.3, 1e-6);
    EXPECT_NEAR(clear[0].args[1], 0.2, 1e-6);
    EXPECT_NEAR(clear[0].args[2], 0.15, 1e-6);
}

TEST_F(ShellDrawing, BoardDrawsTwentyAdditiveCopiesOnARingThatShrinksWithTime)
{
    ScratchFolder folder;
    writeSolidBmp(folder.path("card.bmp"), 4, 4, 255, 255, 255);
    Board board(folder.path("card.bmp"));
    Tempo tempo(120, 0);
    tempo.start();

    auto drawAt = [&](int ms) {
        glrec::reset();
        glrec::setClock(ms);
        board.draw(tempo);
        const auto& primitives = glrec::primitives();
        EXPECT_EQ(primitives.size(), 1u);  // an opaque card: one region, the whole quad
        EXPECT_FALSE(glrec::isEnabled(GL_SCISSOR_TEST));
        if (primitives.empty())
            return glrec::Primitive{};
        EXPECT_TRUE(primitives[0].scissored);
        return primitives[0];
    };

    const glrec::Primitive atStart = drawAt(0);
    ASSERT_EQ(atStart.vertices.size(), 80u);
    EXPECT_EQ(atStart.texture, board.texture);
    EXPECT_TRUE(glrec::isEnabled(GL_BLEND));
    EXPECT_TRUE(glrec::isEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glrec::isEnabled(GL_DEPTH_TEST));
    GLenum source, destination;
    glrec::blendFunc(&source, &destination);
    EXPECT_EQ(source, static_cast<GLenum>(GL_SRC_ALPHA));
    EXPECT_EQ(destination, static_cast<GLenum>(GL_ONE));
    const glrec::Vertex& first = atStart.vertices[0];
    EXPECT_NEAR(first.r, 0.6f, 1e-6f);
    EXPECT_NEAR(first.g, 0.3f, 1e-6f);
    EXPECT_NEAR(first.b, 0.1f, 1e-6f);
    EXPECT_NEAR(first.a, 0.2f, 1e-6f);
    // Copy 0 at 0 ms sits 0.02 to the right; its corners carry the upright image.
    EXPECT_NEAR(first.x, 0.02f - 0.95f, 1e-6f);
    EXPECT_NEAR(first.y, -0.7f, 1e-6f);
    EXPECT_EQ(first.s, 0.0f);
    EXPECT_EQ(first.t, 1.0f);
    EXPECT_EQ(atStart.vertices[2].t, 0.0f);
    // Copies i and i + 10 coincide: the ring goes round twice.
    for (int corner = 0; corner < 4; ++corner) {
        EXPECT_NEAR(atStart.vertices[4 * 3 + corner].x, atStart.vertices[4 * 13 + corner].x, 1e-5f);
        EXPECT_NEAR(atStart.vertices[4 * 3 + corner].y, atStart.vertices[4 * 13 + corner].y, 1e-5f);
    }

    // Near 6283 ms the cosine reaches -1 and all copies collapse onto one.
    const glrec::Primitive collapsed = drawAt(6283);
    for (int i = 0; i < 20; ++i)
        EXPECT_NEAR(collapsed.vertices[4 * i].x, -0.95f, 1e-5f);

    // The same clock gives the same picture: the board keeps no state.
    const glrec::Primitive again = drawAt(0);
    for (std::size_t i = 0; i < 80; ++i)
        EXPECT_EQ(again.vertices[i].x, atStart.vertices[i].x);
}

TEST_F(ShellDrawing, ARealCardIsDrawnOnlyWhereItShowsAnythingWithEveryCopyInEachRegion)
{
    Board board(std::string(SHOW_DIR) + "/titleboard.png");
    Tempo tempo(120, 0);
    tempo.start();
    auto drawnArea = [&](int ms) {
        glrec::reset();
        glrec::setClock(ms);
        board.draw(tempo);
        long sum = 0;
        for (const auto& p : glrec::primitives())
            sum += long(p.scissor[2]) * p.scissor[3];
        return sum;
    };
    // Late in the show the ring has shrunk to a fraction of a pixel, and so have the margins.
    const long late = drawnArea(300000);
    const long area = drawnArea(1000);
    EXPECT_LT(late, area * 9 / 10);

    const auto& primitives = glrec::primitives();
    ASSERT_GT(primitives.size(), 1u);
    for (const auto& p : primitives) {
        ASSERT_TRUE(p.scissored);
        // Each region gets all twenty copies, in the same order as every other region.
        ASSERT_EQ(p.vertices.size(), 80u);
        for (std::size_t i = 0; i < 80; ++i) {
            EXPECT_EQ(p.vertices[i].x, primitives[0].vertices[i].x);
            EXPECT_EQ(p.vertices[i].y, primitives[0].vertices[i].y);
            EXPECT_EQ(p.vertices[i].s, primitives[0].vertices[i].s);
        }
    }
    // The title's words and emblem fill well under half of the quad's 973 x 538 pixels.
    EXPECT_LT(area, 973L * 538 / 2);
    EXPECT_GT(area, 973L * 538 / 20);
    EXPECT_FALSE(glrec::isEnabled(GL_SCISSOR_TEST));
}

TEST_F(ShellDrawing, LoadingBarGrowsFromTheCentreBehindTheImage)
{
    OverlayDemo fixture;
    Demo& demo = fixture.demo;
    for (int progress : {0, 7, 22}) {
        glrec::reset();
        demo.progress = progress;
        demo.drawLoadingScreen();
        const auto& primitives = glrec::primitives();
        ASSERT_EQ(primitives.size(), 2u);
        const auto& bar = primitives[0];
        ASSERT_EQ(bar.vertices.size(), 4u);
        const float a = static_cast<float>(progress * 0.05);
        EXPECT_FLOAT_EQ(bar.vertices[0].x, -a);
        EXPECT_FLOAT_EQ(bar.vertices[2].x, a);
        EXPECT_FLOAT_EQ(bar.vertices[1].y, 0.1f);
        EXPECT_FLOAT_EQ(bar.vertices[0].r, 0.5f);
        EXPECT_FALSE(bar.textured);

        const auto& image = primitives[1];
        EXPECT_TRUE(image.textured);
        EXPECT_EQ(image.texture, demo.loadingTexture);
        // Upright, and only the left 70 % of the image's width.
        EXPECT_EQ(image.vertices[0].t, 1.0f);
        EXPECT_EQ(image.vertices[1].t, 0.0f);
        EXPECT_FLOAT_EQ(image.vertices[2].s, 0.7f);
        EXPECT_FALSE(glrec::isEnabled(GL_BLEND));
    }
}

TEST_F(ShellDrawing, OverlayPassLeavesDocumentedStateAndRestoresMatrices)
{
    OverlayDemo fixture;
    glrec::setClock(3000);
    glMatrixMode(GL_PROJECTION);
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(4, 5, 6);
    glEnable(GL_DEPTH_TEST);
    fixture.demo.drawOverlays();

    EXPECT_FALSE(glrec::isEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glrec::isEnabled(GL_BLEND));
    EXPECT_FALSE(glrec::isEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glrec::matrixMode(), static_cast<GLenum>(GL_MODELVIEW));
    EXPECT_EQ(glrec::matrix(GL_PROJECTION)[12], 1.0f);
    EXPECT_EQ(glrec::matrix(GL_MODELVIEW)[12], 4.0f);
    EXPECT_EQ(glrec::stackDepth(GL_MODELVIEW), 1);
    GLenum source, destination;
    glrec::blendFunc(&source, &destination);
    EXPECT_EQ(source, static_cast<GLenum>(GL_ZERO));
    EXPECT_EQ(destination, static_cast<GLenum>(GL_SRC_COLOR));
    float colour[4];
    glrec::currentColor(colour);
    EXPECT_EQ(colour[0], 1.0f);
}

TEST_F(ShellDrawing, OverlayLinesAlternateOffFirst)
{
    OverlayDemo fixture;
    auto lineQuads = [&](int ms) {
        glrec::reset();
        glrec::setClock(ms);
        fixture.demo.drawOverlays();
        return quadsWithTexture(13).size();
    };
    EXPECT_EQ(lineQuads(0), 0u);
    EXPECT_EQ(lineQuads(2136), 0u);
    EXPECT_EQ(lineQuads(2137), 1u);   // line A only
    EXPECT_EQ(lineQuads(4274), 0u);
    EXPECT_EQ(lineQuads(5422), 1u);   // 5422 / 2137 = 2: A off; B on
    EXPECT_EQ(lineQuads(6411), 2u);   // both on: 6411 / 2137 = 3, 6411 / 5422 = 1
}

TEST_F(ShellDrawing, OverlayBlobsAreCappedAndLeftOutWhileDark)
{
    OverlayDemo fixture;
    for (int ms = 0; ms < 26000; ms += 250) {
        glrec::reset();
        glrec::setClock(ms);
        fixture.demo.drawOverlays();
        // A blob whose level is not above 0 would add black: it is left out.
        const double expectedA = 0.6 * std::sin(ms * 0.0006139520526675786);
        const double expectedB = 0.6 * std::sin(ms * 0.0004817285369163536);
        const auto blobs = quadsWithTexture(14);
        ASSERT_EQ(blobs.size(), std::size_t(expectedA > 0) + std::size_t(expectedB > 0)) << ms;
        for (const auto& blob : blobs) {
            EXPECT_LE(blob.vertices[0].r, 0.4f);
            EXPECT_GT(blob.vertices[0].r, 0.0f);
            EXPECT_EQ(blob.vertices[0].a, 1.0f);
        }
        if (expectedA > 0 && expectedA < 0.4) {
            EXPECT_EQ(blobs[0].vertices[0].x, -0.5f);
            EXPECT_NEAR(blobs[0].vertices[0].r, expectedA, 1e-6);
        }
    }
    // Blob A's corners: texture (0, 0) at (-0.5, -1), spanning right and up.
    glrec::reset();
    glrec::setClock(2000);
    fixture.demo.drawOverlays();
    const auto blobA = quadsWithTexture(14)[0];
    EXPECT_EQ(blobA.vertices[0].x, -0.5f);
    EXPECT_EQ(blobA.vertices[2].x, 2.0f);
    EXPECT_EQ(blobA.vertices[2].y, 2.0f);
}

TEST_F(ShellDrawing, OverlayGrainShiftsByOneRandomValueTakenBeforeDrawing)
{
    OverlayDemo fixture;
    seedRandom15(5);
    const float expected = static_cast<float>(random15()) * 3.0518509e-05f;
    seedRandom15(5);
    glrec::setClock(100);
    fixture.demo.drawOverlays();
    const auto grain = quadsWithTexture(12);
    ASSERT_EQ(grain.size(), 1u);
    EXPECT_EQ(grain[0].vertices[0].s, expected);
    EXPECT_EQ(grain[0].vertices[0].t, expected);
    EXPECT_EQ(grain[0].vertices[2].s, expected + 3);
    EXPECT_EQ(grain[0].vertices[2].t, expected + 4);
    // Multiplying blend for the letterbox and grain.
    const auto letterbox = quadsWithTexture(11);
    ASSERT_EQ(letterbox.size(), 1u);
    EXPECT_GE(letterbox[0].vertices[0].r, 0.9f);
    EXPECT_LE(letterbox[0].vertices[0].r, 1.1f);
}
