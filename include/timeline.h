// timeline.h -- the show's running order: which card or scene plays from which bar.
//
// The table behind timelineRows() is the one place the show is laid out; the start-up code builds
// the timeline from it and the soundtrack's arrangement follows it. Adding a scene is one row.
#pragma once

#include <vector>

class Scene;

constexpr int BEATS_PER_BAR = 4;
constexpr int SHOW_BARS = 245;  // the show ends at bar 245 (490 s at 120 BPM)

struct TimelineRow {
    const char* name;    // short name used in benchmarks, captures and the arrangement
    int startBar;        // bar at which the item takes over the screen; it plays until the next row's
    Scene* (*create)();  // constructs the item; may load files and throw
};

// The rows in running order of strictly increasing start bars, the first at bar 0.
const std::vector<TimelineRow>& timelineRows();

// A timeline item and the show time it becomes current; a null scene ends the show.
struct TimelineEntry {
    Scene* scene;  // owned by the Demo; null only in the last entry
    int start;     // ms after Tempo::start
};
