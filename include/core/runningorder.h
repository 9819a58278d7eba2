// runningorder.h -- the show's running order as plain data: what plays from which bar, and the beats
// on which the picture and the music meet.
//
// The show builds its cards and scenes from these rows and the soundtrack writes one section per row,
// so the music changes exactly where the pictures do. Adding a scene is one row (and its music).
#pragma once

#include <vector>

constexpr int SHOW_BPM = 120;  // the one tempo: the show's clock and the soundtrack's grid
constexpr int BEATS_PER_BAR = 4;
constexpr int SHOW_BARS = 245;  // the show ends at bar 245 (490 s at 120 BPM)

// What the show constructs for a row.
enum class SceneKind { Board, Galaxy, Wormhole, Planet, Cloudman, Forest, Borderline, Storm, Seaweed, Core };

struct TimelineRow {
    const char* name;  // short name used in benchmarks, captures and the arrangement
    const char* card;  // title card image of a Board row; nullptr for a scene
    SceneKind kind;    // what the show builds for the row
    int startBar;      // bar at which the item takes over the screen
    int bars;          // bars it plays: up to the next row's start bar, or the end of the show
};

// The rows in running order of strictly increasing start bars, the first at bar 0.
const std::vector<TimelineRow>& timelineRows();

// What the picture and the music share inside a scene. Beats count from the first beat of the scene's
// row: the scene's from the beat of its first frame, the composition's from its section's first step.
constexpr int PLANET_SWOOP_BEAT = 34;        // 17 s: the teddy swoops out of the planet's centre
constexpr int CLOUDMAN_KEY_FRAMES = 9;       // the cloud figure's shapes, one a bar, each with its chord
constexpr int FOREST_FIRST_TREE_BEAT = 40;   // the first tree starts to grow, one level (and note) a beat
constexpr int FOREST_TREE_LEVELS = 7;        // levels a tree grows: the trunk and six of branches
constexpr int FOREST_OTHER_TREES_BEAT = 69;  // the next tree starts; each later one a beat after it
constexpr int FOREST_OTHER_TREES = 40;       // trees after the first, a note each
constexpr int FOREST_LEAVES_BEAT = 120;      // 60 s: the leaves unfold
constexpr int FOREST_DRIFT_BEAT = 140;       // 70 s: the leaves drift away
constexpr int CORE_BURST_BEAT = 40;          // the core's shell bursts
