// timeline.h -- the show's timeline: the running order's rows built into cards and scenes.
#pragma once

#include "runningorder.h"

class Scene;

// Constructs the card or scene a row names, as designed or, with gentle, kept below the
// photosensitive flash limits; may load files and throw.
Scene* createScene(const TimelineRow& row, bool gentle = false);

// A timeline item and the show time it becomes current; a null scene ends the show.
struct TimelineEntry {
    Scene* scene;  // owned by the Demo; null only in the last entry
    int start;     // ms after Tempo::start
};
