// test_timeline.cpp -- the running order: cards and scenes at their bars, in order, to 490 s.
#include <gtest/gtest.h>

#include <string>

#include "timeline.h"

namespace {
int barOf(const std::string& name)
{
    for (const TimelineRow& row : timelineRows())
        if (name == row.name)
            return row.startBar;
    return -1;
}
}

TEST(Timeline, RowsStartAtBarZeroInStrictlyIncreasingOrderBeforeTheEnd)
{
    const auto& rows = timelineRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().startBar, 0);
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_LT(rows[i - 1].startBar, rows[i].startBar) << rows[i].name;
    EXPECT_LT(rows.back().startBar, SHOW_BARS);
    EXPECT_EQ(SHOW_BARS * BEATS_PER_BAR * 500, 490000);
}

TEST(Timeline, TitleCardsSitAtTheirBars)
{
    EXPECT_EQ(barOf("title board"), 0);
    EXPECT_EQ(barOf("presents board"), 7);
    EXPECT_EQ(barOf("galaxy board"), 14);
    EXPECT_EQ(barOf("wormhole board"), 38);
    EXPECT_EQ(barOf("planet board"), 54);
    EXPECT_EQ(barOf("cloudman board"), 82);
    EXPECT_EQ(barOf("forest board"), 102);
    EXPECT_EQ(barOf("storm board"), 166);
    EXPECT_EQ(barOf("seaweed board"), 186);
    EXPECT_EQ(barOf("core board"), 206);
    EXPECT_EQ(barOf("end board"), 228);
    EXPECT_EQ(barOf("credits board"), 236);
}

TEST(Timeline, EveryRowCanBeConstructed)
{
    for (const TimelineRow& row : timelineRows())
        EXPECT_NE(row.create, nullptr) << row.name;
}
