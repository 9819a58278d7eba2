// test_screen.cpp -- the whole show built from the generated assets: every entry at its time, the
// loading bar after each, the first and last frames of the main loop; and on outputs of other sizes:
// sizes in pixels follow the picture's height, wider than GL allows is clamped and said once, the
// bars are cleared black, cards stay in the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <typeinfo>
#include <vector>

#include "board.h"
#include "demo.h"
#include "glrecorder.h"
#include "scene.h"
#include "screen.h"

namespace {
// The point size or line width in effect at each point or line primitive drawn since the
// primitives were cleared, from primitive `from` on (points positive, lines negative), a run of the
// same once.
std::vector<double> sizesInEffect(std::size_t from = 0)
{
    std::vector<double> sizes;
    const std::vector<glrec::Primitive>& drawn = glrec::primitives();
    for (std::size_t k = from; k < drawn.size(); ++k) {
        const GLenum mode = drawn[k].mode;
        const bool lines = mode == GL_LINES || mode == GL_LINE_STRIP || mode == GL_LINE_LOOP;
        if (mode != GL_POINTS && !lines)
            continue;
        const double size = lines ? -drawn[k].lineWidth : drawn[k].pointSize;
        if (sizes.empty() || sizes.back() != size)
            sizes.push_back(size);
    }
    return sizes;
}

// Works in the show folder (the generated assets) and puts the output back to 1024x768 afterwards.
class Show : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousFolder = std::filesystem::current_path();
        std::filesystem::current_path(SHOW_DIR);
        glrec::reset();
    }
    void TearDown() override
    {
        setOutputSize(1024, 768);
        Tempo::setTickSource(nullptr);
        std::filesystem::current_path(previousFolder);
    }

    std::filesystem::path previousFolder;
};

}  // namespace

// Builds the whole timeline, as the show does behind its loading screen.
TEST_F(Show, BuildsEachRowAtItsBarBehindTheLoadingScreenAndPlaysEveryEntryInTurnTo490Seconds)
{
    glrec::setClock(0);
    Demo demo(Demo::Unloaded{});
    demo.buildTimeline();
    EXPECT_EQ(demo.progress, 22);  // the loading bar, a step for every entry

    const std::vector<TimelineRow>& rows = timelineRows();
    ASSERT_EQ(demo.timeline.size(), rows.size() + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(demo.timeline[i].start, rows[i].startBar * 2000) << rows[i].name;  // 2 s a bar
        std::string type = typeid(*demo.timeline[i].scene).name();  // e.g. "10StormScene"
        std::transform(type.begin(), type.end(), type.begin(), [](unsigned char c) { return std::tolower(c); });
        const std::string expected = rows[i].kind == SceneKind::Board ? "board" : rows[i].name + std::string("scene");
        EXPECT_NE(type.find(expected), std::string::npos) << rows[i].name << " built as " << type;
    }
    EXPECT_EQ(demo.timeline.back().start, 490000);
    EXPECT_EQ(demo.timeline.back().scene, nullptr);

    demo.startClockAndMusic(false);
    ASSERT_TRUE(demo.advanceTimeline());
    EXPECT_EQ(demo.currentEntry(), 0);
    // A stall of 200 s: the following frames still advance one entry each.
    glrec::setClock(200000);
    for (int expected = 1; expected <= 9; ++expected) {
        ASSERT_TRUE(demo.advanceTimeline());
        EXPECT_EQ(demo.currentEntry(), expected);
    }
    ASSERT_TRUE(demo.advanceTimeline());
    EXPECT_EQ(demo.currentEntry(), 9);  // the forest card (204 s) is still in the future

    glrec::setClock(489999);
    for (int step = 0; step < 20; ++step)
        ASSERT_TRUE(demo.advanceTimeline());
    EXPECT_EQ(demo.currentEntry(), 20);  // the credits are still on at 489999 ms
    glrec::setClock(490000);
    EXPECT_FALSE(demo.advanceTimeline());
}

TEST_F(Show, SizesFollowThePictureHeightAndAfterAResizeAreThoseOfAStartAtTheNewSize)
{
    glrec::setClock(0);
    Demo demo(Demo::Unloaded{});
    demo.buildTimeline();
    demo.startClockAndMusic(false);
    int checked = 0;
    for (int i = 0; i + 1 < static_cast<int>(demo.timeline.size()); ++i) {
        // Played from the start of entry i at 1024x768...
        setOutputSize(1024, 768);
        while (demo.currentEntry() < i) {
            glrec::setClock(static_cast<std::uint32_t>(demo.timeline[demo.currentEntry() + 1].start));
            demo.advanceTimeline();
        }
        if (timelineRows()[i].kind == SceneKind::Board)
            continue;
        Scene& scene = *demo.timeline[i].scene;
        const int start = demo.timeline[i].start, middle = (start + demo.timeline[i + 1].start) / 2;
        glrec::setClock(static_cast<std::uint32_t>(start));
        scene.draw(*demo.tempo);
        // ...then the window made 2048x1536 and the middle of the entry drawn.
        glrec::state().primitives.clear();
        demo.outputChanged(2048, 1536);
        glrec::setClock(static_cast<std::uint32_t>(middle));
        scene.draw(*demo.tempo);
        const std::vector<double> resized = sizesInEffect();
        // The scene started afresh at 2048x1536 and at 1024x768: set up, drawn at the entry's start
        // and at its middle. Every size, the forest's branches too, doubles with the picture's height.
        auto startedAt = [&](int width, int height, std::vector<double>& middleSizes) {
            glrec::state().primitives.clear();
            setOutputSize(width, height);
            scene.setup();
            glrec::setClock(static_cast<std::uint32_t>(start));
            scene.draw(*demo.tempo);
            const std::size_t middleFrom = glrec::primitives().size();
            glrec::setClock(static_cast<std::uint32_t>(middle));
            scene.draw(*demo.tempo);
            middleSizes = sizesInEffect(middleFrom);
            return sizesInEffect();
        };
        std::vector<double> freshMiddle, designMiddle;
        const std::vector<double> fresh = startedAt(2048, 1536, freshMiddle), atDesignSize = startedAt(1024, 768, designMiddle);
        EXPECT_EQ(resized, freshMiddle) << timelineRows()[i].name;
        ASSERT_EQ(fresh.size(), atDesignSize.size()) << timelineRows()[i].name;
        for (std::size_t k = 0; k < fresh.size(); ++k)
            EXPECT_EQ(fresh[k], 2 * atDesignSize[k]) << timelineRows()[i].name << " size " << k;
        checked += resized.empty() ? 0 : 1;
    }
    EXPECT_EQ(checked, 8);  // every scene but the cloudman draws points or lines

    // What a scene inherits before it sets its own: one pixel of the layout, scaled.
    setOutputSize(1920, 1080);
    EXPECT_EQ(glrec::callsNamed("glLineWidth").back().args[0], 1.40625);
    EXPECT_EQ(glrec::callsNamed("glPointSize").back().args[0], 1.40625);
}

TEST_F(Show, SizesBeyondTheGlLimitAreClampedAndSaidOnce)
{
    glrec::state().largestSize = 10;
    setOutputSize(3840, 2160);  // scale 2.8125
    testing::internal::CaptureStderr();
    lineWidth(2);
    pointSize(6);
    lineWidth(5);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(glrec::callsNamed("glLineWidth").back().args[0], 10);
    EXPECT_EQ(glrec::callsNamed("glPointSize").back().args[0], 10);
    EXPECT_FLOAT_EQ(glrec::callsNamed("glLineWidth").at(glrec::callsNamed("glLineWidth").size() - 2).args[0], 5.625f);
    EXPECT_NE(said.find("16.875"), std::string::npos) << said;  // the first size too wide, named
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
}

TEST_F(Show, BarsAreClearedBlackOutsideThePictureAndTheSceneStateIsLeftAsItWas)
{
    setOutputSize(1920, 1080);
    EXPECT_EQ(glrec::callsNamed("glViewport").back().args, (std::vector<double>{240, 0, 1440, 1080}));
    glClearColor(0.3f, 0.2f, 0.15f, 1.0f);
    glrec::state().log.clear();
    blackenBars();
    const std::vector<glrec::Call> clears = glrec::callsNamed("glClear");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[0].args, (std::vector<double>{GL_COLOR_BUFFER_BIT, 0, 0, 0, 0, 0, 240, 1080}));
    EXPECT_EQ(clears[1].args, (std::vector<double>{GL_COLOR_BUFFER_BIT, 0, 0, 0, 1680, 0, 240, 1080}));
    EXPECT_FLOAT_EQ(glrec::state().clearColour[0], 0.3f);  // the scene's clear colour is back
    EXPECT_FALSE(glrec::isEnabled(GL_SCISSOR_TEST));

    setOutputSize(1024, 1024);  // bars above and below
    glrec::state().log.clear();
    blackenBars();
    const std::vector<glrec::Call> rows = glrec::callsNamed("glClear");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::vector<double>(rows[0].args.begin() + 4, rows[0].args.end()), (std::vector<double>{0, 0, 1024, 128}));
    EXPECT_EQ(std::vector<double>(rows[1].args.begin() + 4, rows[1].args.end()), (std::vector<double>{0, 896, 1024, 128}));

    setOutputSize(1024, 768);
    glrec::state().log.clear();
    blackenBars();
    EXPECT_TRUE(glrec::state().log.empty());  // no bars, no calls: the design size draws as it always did
}

TEST_F(Show, ARealCardIsDrawnOnlyWhereItShowsAnythingInsideThePictureAndLaysOutAgainWhenItMoves)
{
    Board card("titleboard.png");
    glrec::setClock(0);
    Tempo tempo(120, 0);
    tempo.start();
    // The area of the regions drawn at ms, each scissored between left and right with all twenty
    // copies in the same order.
    auto drawnArea = [&](int ms, int left, int right) {
        glrec::state().primitives.clear();
        glrec::setClock(ms);
        card.draw(tempo);
        const std::vector<glrec::Primitive>& regions = glrec::primitives();
        EXPECT_GT(regions.size(), 1u);
        long area = 0;
        for (const glrec::Primitive& region : regions) {
            EXPECT_TRUE(region.scissored && region.scissor[0] >= left && region.scissor[0] + region.scissor[2] <= right)
                << region.scissor[0] << " + " << region.scissor[2];
            EXPECT_TRUE(region.vertices.size() == 80u && region.vertices[79].x == regions[0].vertices[79].x &&
                        region.vertices[79].s == regions[0].vertices[79].s);
            area += long(region.scissor[2]) * region.scissor[3];
        }
        return area;
    };
    const long area = drawnArea(1000, 0, 1024);
    EXPECT_LT(area, 973L * 538 / 2);  // the title's words and emblem: well under half the quad
    EXPECT_LT(drawnArea(300000, 0, 1024), area * 9 / 10);  // the ring has shrunk to a fraction of a pixel

    setOutputSize(1920, 1080);  // the card was built for 1024x768: it must follow
    drawnArea(1000, 240, 1680);
    EXPECT_GT(glrec::primitives().back().scissor[0] + glrec::primitives().back().scissor[2], 1024);  // spans the new width
}

TEST_F(Show, PicturesTallerThanTheLayoutLoadTheLargerDrawings)
{
    EXPECT_EQ(imageForPicture("titleboard.png"), "titleboard.png");
    setOutputSize(1920, 1080);
    EXPECT_EQ(imageForPicture("titleboard.png"), "titleboard-2x.png");
    EXPECT_EQ(imageForPicture("letterbox.bmp"), "letterbox-2x.bmp");
    setOutputSize(800, 600);
    EXPECT_EQ(imageForPicture("loading.png"), "loading.png");
}
