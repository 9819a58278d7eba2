// test_show_timeline.cpp -- the whole show built from the generated assets: every entry at its
// time, the loading bar after each, and the first and last frames of the main loop.
#include <gtest/gtest.h>

#include <unistd.h>

#include "demo.h"
#include "glrecorder.h"
#include "scene.h"

namespace {

// Builds the whole timeline once for the suite: it loads every asset and generates every scene.
class ShowTimeline : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char* cwd = getcwd(nullptr, 0);
        previousFolder = cwd;
        free(cwd);
        ASSERT_EQ(chdir(SHOW_DIR), 0);
        glrec::reset();
        glrec::setClock(0);
        demo = new Demo(Demo::Unloaded{});
        demo->loadingTexture = 99;
        demo->buildTimeline();
        loadingFrames = 0;
        for (const auto& primitive : glrec::primitives())
            loadingFrames += primitive.texture == 99 && primitive.textured;
    }
    static void TearDownTestSuite()
    {
        delete demo;
        Tempo::setTickSource(nullptr);
        EXPECT_EQ(chdir(previousFolder.c_str()), 0);
    }

    static Demo* demo;
    static int loadingFrames;
    static std::string previousFolder;
};

Demo* ShowTimeline::demo = nullptr;
int ShowTimeline::loadingFrames = 0;
std::string ShowTimeline::previousFolder;

}  // namespace

TEST_F(ShowTimeline, HoldsTwentyTwoEntriesAtTheirMusicalTimes)
{
    const int expectedStart[] = {0, 14000, 28000, 36000, 76000, 84000, 108000, 116000, 164000, 172000, 204000,
                                 212000, 300000, 332000, 340000, 372000, 380000, 412000, 420000, 456000, 472000, 490000};
    ASSERT_EQ(demo->timeline.size(), 22u);
    for (std::size_t i = 0; i < 22; ++i) {
        EXPECT_EQ(demo->timeline[i].start, expectedStart[i]) << "entry " << i;
        EXPECT_EQ(demo->timeline[i].scene == nullptr, i == 21) << "entry " << i;
    }
    EXPECT_EQ(demo->progress, 22);
    EXPECT_EQ(demo->bar, 245);
}

TEST_F(ShowTimeline, RedrawsTheLoadingScreenAfterEveryEntry)
{
    EXPECT_EQ(loadingFrames, 22);
}

TEST_F(ShowTimeline, PlaysFromTheTitleCardToTheEndWithoutSkippingAnEntry)
{
    glrec::setClock(0);
    demo->startClockAndMusic(false);
    ASSERT_TRUE(demo->advanceTimeline());
    EXPECT_EQ(demo->currentEntry(), 0);

    // A stall of 200 s: the following frames still advance one entry each.
    glrec::setClock(200000);
    for (int expected = 1; expected <= 9; ++expected) {
        ASSERT_TRUE(demo->advanceTimeline());
        EXPECT_EQ(demo->currentEntry(), expected);
    }
    ASSERT_TRUE(demo->advanceTimeline());
    EXPECT_EQ(demo->currentEntry(), 9);  // the forest card (204 s) is still in the future

    glrec::setClock(489999);
    for (int step = 0; step < 20; ++step)
        ASSERT_TRUE(demo->advanceTimeline());
    EXPECT_EQ(demo->currentEntry(), 20);  // the credits are still on at 489999 ms
    glrec::setClock(490000);
    EXPECT_FALSE(demo->advanceTimeline());
}
