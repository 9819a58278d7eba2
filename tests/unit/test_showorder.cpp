// test_showorder.cpp -- the complete running order: all twenty-one items at their bars, then the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "timeline.h"

TEST(ShowOrder, HoldsEveryCardAndSceneInOrderAtItsBar)
{
    struct Expected {
        const char* name;
        int bar;
    };
    const std::vector<Expected> expected = {
        {"title board", 0},      {"presents board", 7}, {"galaxy board", 14},   {"galaxy", 18},
        {"wormhole board", 38},  {"wormhole", 42},      {"planet board", 54},   {"planet", 58},
        {"cloudman board", 82},  {"cloudman", 86},      {"forest board", 102},  {"forest", 106},
        {"borderline", 150},     {"storm board", 166},  {"storm", 170},         {"seaweed board", 186},
        {"seaweed", 190},        {"core board", 206},   {"core", 210},          {"end board", 228},
        {"credits board", 236},
    };
    const std::vector<TimelineRow>& rows = timelineRows();
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::string(rows[i].name), expected[i].name) << "row " << i;
        EXPECT_EQ(rows[i].startBar, expected[i].bar) << rows[i].name;
    }
}
