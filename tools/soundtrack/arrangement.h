// arrangement.h -- the soundtrack's form: one section per row of the show's running order, and the
// score composed over those sections.
//
// The sections are read from timelineRows(), so the music changes exactly where the pictures do;
// each row's name picks the music written for it.
#pragma once

#include <string>
#include <vector>

#include "runningorder.h"
#include "score.h"

constexpr double TAIL_SECONDS = 1.5;  // release after the show's last bar, faded to silence

struct Section {
    std::string name;  // the timeline row's name
    int startBar;      // the row's start bar
    int endBar;        // the row's start bar plus its length: the next row's start, or the show's end

    int bars() const { return endBar - startBar; }
};

// One section per row, in row order; throws unless each row starts where the one before ends, the
// first at bar 0, all of them within the show.
std::vector<Section> sectionsOf(const std::vector<TimelineRow>& rows);

// Whether the composition has music for a row of this name.
bool hasMusicFor(const std::string& name);

// The whole score over the sections; throws for a section that has no music.
Score compose(const std::vector<Section>& sections);
