// test_showorder.cpp -- the running order: every card and scene at its bar. That rows tile the show
// and that every sync beat falls inside its scene is checked where they are used: the soundtrack's
// sections refuse gaps and overlaps, and the composition's tests find each hit in its scene.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runningorder.h"

// The one place the show's order is written out in the tests: moving a row moves the music and the
// pictures, so it should be a deliberate change here too. The sync beats are pinned where they act.
TEST(ShowOrder, HoldsEveryCardAndSceneInOrderAtItsBarAndTheSharedBeats)
{
    using K = SceneKind;
    struct Expected {
        const char* name;
        K kind;
        int bar;
    };
    const std::vector<Expected> expected = {
        {"title board", K::Board, 0},        {"presents board", K::Board, 7},    {"galaxy board", K::Board, 14},
        {"galaxy", K::Galaxy, 18},           {"wormhole board", K::Board, 38},   {"wormhole", K::Wormhole, 42},
        {"planet board", K::Board, 54},      {"planet", K::Planet, 58},          {"cloudman board", K::Board, 82},
        {"cloudman", K::Cloudman, 86},       {"forest board", K::Board, 102},    {"forest", K::Forest, 106},
        {"borderline", K::Borderline, 150},  {"storm board", K::Board, 166},     {"storm", K::Storm, 170},
        {"seaweed board", K::Board, 186},    {"seaweed", K::Seaweed, 190},       {"core board", K::Board, 206},
        {"core", K::Core, 210},              {"end board", K::Board, 228},       {"credits board", K::Board, 236},
    };
    const std::vector<TimelineRow>& rows = timelineRows();
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::string(rows[i].name), expected[i].name) << "row " << i;
        EXPECT_EQ(rows[i].kind, expected[i].kind) << rows[i].name;
        EXPECT_EQ(rows[i].startBar, expected[i].bar) << rows[i].name;
    }
    EXPECT_STREQ(rows[1].card, "mirvboard.png");  // the one card not named after its row
}
