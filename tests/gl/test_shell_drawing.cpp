// test_shell_drawing.cpp -- title cards, the loading screen, the overlay pass and texture loading,
// checked against the recorded GL stream at chosen clock values.
#include <algorithm>
#include <cmath>

#include "board.h"
#include "demo.h"
#include "random.h"
#include "scenefixture.h"

namespace {
struct ShellDrawing : ::testing::Test {
    ShellDrawing()
    {
        glrec::reset();
        glrec::setClock(0);
        demo.letterboxTexture = 11;
        demo.noiseTexture = 12;
        demo.lineTexture = 13;
        demo.blobTexture = 14;
        demo.loadingTexture = 15;
        demo.tempo->start();
    }
    ~ShellDrawing() override { Tempo::setTickSource(nullptr); }

    // The overlay pass at show time ms: the quads drawn with one texture.
    std::vector<const glrec::Primitive*> overlayQuadsAt(int ms, GLuint texture)
    {
        glrec::reset();
        glrec::setClock(ms);
        demo.drawOverlays();
        return primitivesOf(GL_QUADS, texture);
    }

    Demo demo{Demo::Unloaded{}};  // known texture names, no SDL, no files
};
}

TEST_F(ShellDrawing, BoardUploadsItsImageAndDrawsTwentyAdditiveCopiesOnARingThatShrinksWithTime)
{
    ScratchFolder folder(false);
    writeImage("card.bmp", 6, 3, 255, 255, 255);
    Board board("card.bmp");  // its image uploaded as mipmapped RGBA
    EXPECT_EQ(glrec::callsNamed("gluBuild2DMipmaps").at(0).args, (std::vector<double>{GL_TEXTURE_2D, GL_RGBA, 6, 3, GL_RGBA, GL_UNSIGNED_BYTE}));
    EXPECT_EQ(glrec::callsNamed("glTexParameteri").at(1).args[2], GL_LINEAR_MIPMAP_LINEAR);
    board.setup();
    board.draw(*demo.tempo);  // at 0 ms: one batch per screen region
    const glrec::Primitive atStart = glrec::primitives().at(0);
    EXPECT_EQ(glrec::primitives().size(), 1u);  // an opaque card: one region, the whole quad
    EXPECT_TRUE(atStart.scissored && atStart.blended && atStart.texture == board.texture);
    EXPECT_FALSE(glrec::isEnabled(GL_SCISSOR_TEST) || glrec::isEnabled(GL_DEPTH_TEST));
    ASSERT_EQ(atStart.vertices.size(), 80u);
    EXPECT_EQ(glrec::state().blendDestination, GLenum(GL_ONE));
    const glrec::Vertex& first = atStart.vertices[0];
    // Copy 0 at 0 ms sits 0.02 to the right; its corners carry the upright image.
    EXPECT_NEAR(first.x, 0.02f - 0.95f, 1e-6f);
    EXPECT_NEAR(first.y, -0.7f, 1e-6f);
    EXPECT_EQ(first.t, 1.0f);
    // Copies i and i + 10 coincide: the ring goes round twice.
    EXPECT_NEAR(atStart.vertices[4 * 3 + 1].y, atStart.vertices[4 * 13 + 1].y, 1e-5f);

    // Near 6283 ms the cosine reaches -1 and all copies collapse onto one.
    glrec::reset();
    glrec::setClock(6283);
    board.draw(*demo.tempo);
    const glrec::Primitive collapsed = glrec::primitives().at(0);
    for (int i = 0; i < 20; ++i)
        EXPECT_NEAR(collapsed.vertices[4 * i].x, -0.95f, 1e-5f);
}

TEST_F(ShellDrawing, LoadingBarGrowsFromTheCentreBehindTheLeftOfTheImage)
{
    demo.progress = 7;  // of 20
    demo.drawLoadingScreen();
    ASSERT_EQ(glrec::primitives().size(), 2u);
    const auto &bar = glrec::primitives()[0], &image = glrec::primitives()[1];
    EXPECT_FLOAT_EQ(bar.vertices[0].x, -0.35f);
    EXPECT_FLOAT_EQ(bar.vertices[2].x, 0.35f);
    EXPECT_FALSE(bar.textured);
    EXPECT_EQ(image.texture, demo.loadingTexture);
    EXPECT_EQ(image.vertices[0].t, 1.0f);  // upright
    EXPECT_FLOAT_EQ(image.vertices[2].s, 0.7f);
}

TEST_F(ShellDrawing, OverlayPassShiftsTheGrainByOneRandomValueAndLeavesDocumentedStateAndMatrices)
{
    seedRandom15(5);
    const float shift = randomUnit();
    seedRandom15(5);
    glrec::setClock(3000);
    glMatrixMode(GL_PROJECTION);
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(4, 5, 6);
    glEnable(GL_DEPTH_TEST);
    demo.drawOverlays();

    EXPECT_FALSE(glrec::isEnabled(GL_DEPTH_TEST) || glrec::isEnabled(GL_BLEND) || glrec::isEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glrec::state().matrixMode, GLenum(GL_MODELVIEW));
    EXPECT_EQ(glrec::matrix(GL_PROJECTION)[12], 1.0f);
    EXPECT_EQ(glrec::matrix(GL_MODELVIEW)[12], 4.0f);
    EXPECT_EQ(glrec::state().stacks[GL_MODELVIEW].size(), 1u);
    EXPECT_EQ(glrec::state().blendSource, GLenum(GL_ZERO));  // the grain multiplies
    EXPECT_EQ(glrec::state().colour[0], 1.0f);
    const glrec::Primitive& grain = glrec::primitives().back();
    EXPECT_TRUE(grain.texture == 12 && grain.vertices[0].s == shift && grain.vertices[2].t == shift + 4);
}

TEST_F(ShellDrawing, OverlayLinesAlternateOffFirstBlobsAreCappedAndLeftOutWhileDarkAndTheLetterboxDipsGentlyWhenAsked)
{
    const std::pair<int, std::size_t> linesAt[] = {{2136, 0}, {2137, 1}, {4274, 0}, {6411, 2}};
    for (auto [ms, lines] : linesAt)  // line A on in odd periods of 2137 ms, line B of 5422 ms
        EXPECT_EQ(overlayQuadsAt(ms, 13).size(), lines) << ms;

    // Blob A's level is 0.6 sin(2 pi t / 10234 ms), blob B's 0.6 sin(2 pi t / 13043 ms), capped at
    // 0.4; one not above 0 would add black, so it is not drawn.
    const std::pair<int, std::vector<float>> expected[] = {
        {0, {}}, {1000, {0.3457f, 0.2780f}}, {2500, {0.4f, 0.4f}}, {6000, {0.1492f}}};
    for (const auto& [ms, levels] : expected) {
        const auto blobs = overlayQuadsAt(ms, 14);
        ASSERT_EQ(blobs.size(), levels.size()) << ms;
        for (std::size_t i = 0; i < blobs.size(); ++i)
            EXPECT_NEAR(blobs[i]->vertices[0].r, levels[i], 1e-4f) << ms;
    }

    // The letterbox's sine trough lies near 70.7 ms: the designed mask multiplies by 0.9 there.
    ASSERT_EQ(overlayQuadsAt(71, 11).size(), 1u);
    EXPECT_NEAR(overlayQuadsAt(71, 11)[0]->vertices[0].r, 0.9f, 1e-3f);
    demo.gentle = true;
    EXPECT_NEAR(overlayQuadsAt(71, 11)[0]->vertices[0].r, 0.98f, 1e-3f);
    // Over a whole second, the gentle dip in linear light (colour ^ 2.2) stays well under the
    // tenth of full brightness that makes a transition.
    float deepest = 1;
    for (int ms = 0; ms < 1000; ++ms)
        deepest = std::min(deepest, std::pow(std::min(1.0f, overlayQuadsAt(ms, 11)[0]->vertices[0].r), 2.2f));
    EXPECT_GT(deepest, 0.95f);
    EXPECT_LT(deepest, 0.96f);  // it still flickers
}
