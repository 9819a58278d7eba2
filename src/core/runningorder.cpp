// runningorder.cpp -- the show's running order, one row per title card or scene.
#include "runningorder.h"

#include <iterator>

namespace {
// A row as written below; its length follows from the next row's start.
struct RowStart {
    const char* name;
    const char* card;
    SceneKind kind;
    int startBar;
};

const RowStart ROW_STARTS[] = {
    // name               card image            kind                    start bar
    {"title board",      "titleboard.png",     SceneKind::Board,        0},
    {"presents board",   "mirvboard.png",      SceneKind::Board,        7},
    {"galaxy board",     "galaxyboard.png",    SceneKind::Board,       14},
    {"galaxy",           nullptr,              SceneKind::Galaxy,      18},
    {"wormhole board",   "wormholeboard.png",  SceneKind::Board,       38},
    {"wormhole",         nullptr,              SceneKind::Wormhole,    42},
    {"planet board",     "planetboard.png",    SceneKind::Board,       54},
    {"planet",           nullptr,              SceneKind::Planet,      58},
    {"cloudman board",   "cloudmanboard.png",  SceneKind::Board,       82},
    {"cloudman",         nullptr,              SceneKind::Cloudman,    86},
    {"forest board",     "forestboard.png",    SceneKind::Board,      102},
    {"forest",           nullptr,              SceneKind::Forest,     106},
    {"borderline",       nullptr,              SceneKind::Borderline, 150},
    {"storm board",      "stormboard.png",     SceneKind::Board,      166},
    {"storm",            nullptr,              SceneKind::Storm,      170},
    {"seaweed board",    "seaweedboard.png",   SceneKind::Board,      186},
    {"seaweed",          nullptr,              SceneKind::Seaweed,    190},
    {"core board",       "coreboard.png",      SceneKind::Board,      206},
    {"core",             nullptr,              SceneKind::Core,       210},
    {"end board",        "endboard.png",       SceneKind::Board,      228},
    {"credits board",    "creditsboard.png",   SceneKind::Board,      236},
};

std::vector<TimelineRow> withLengths()
{
    std::vector<TimelineRow> rows;
    const int count = static_cast<int>(std::size(ROW_STARTS));
    for (int i = 0; i < count; ++i) {
        const RowStart& row = ROW_STARTS[i];
        const int endBar = i + 1 < count ? ROW_STARTS[i + 1].startBar : SHOW_BARS;
        rows.push_back(TimelineRow{row.name, row.card, row.kind, row.startBar, endBar - row.startBar});
    }
    return rows;
}
}  // namespace

const std::vector<TimelineRow>& timelineRows()
{
    static const std::vector<TimelineRow> rows = withLengths();
    return rows;
}
