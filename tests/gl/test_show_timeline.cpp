// test_show_timeline.cpp -- the whole show built from the generated assets: every entry at its
// time, the loading bar after each, and the first and last frames of the main loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <typeinfo>

#include "demo.h"
#include "glrecorder.h"
#include "scene.h"

// Builds the whole timeline, as the show does behind its loading screen, from the show folder.
TEST(ShowTimeline, BuildsEachRowAtItsBarBehindTheLoadingScreenAndPlaysEveryEntryInTurnTo490Seconds)
{
    const std::filesystem::path previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(SHOW_DIR);
    glrec::reset();
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
    Tempo::setTickSource(nullptr);
    std::filesystem::current_path(previousFolder);
}
