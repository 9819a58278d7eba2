// instruments.h -- turns one note of the score into sound on the mixing buses.
#pragma once

#include <cstdint>

#include "score.h"

// Where notes play into: full-length buffers that start at an absolute frame of the music.
struct Buses {
    float* left;               // dry stereo mix
    float* right;
    float* reverbSend;         // mono feed of the hall
    float* echoSend;           // mono feed of the dotted-eighth echo
    const float* duckCurve;    // side-chain depth per frame, 0 (none) .. 1 (kick just hit)
    std::int64_t firstFrame;   // absolute frame of buffer index 0
    std::int64_t frames;       // length of every buffer
};

// Adds the note, its whole decay included, to the buses. Parts outside the buffers are computed
// (the sound's state depends on them) but not written.
void renderNote(const Note& note, const Buses& buses);

// Seconds a note sounds from its start to the end of its release or decay.
float soundingSeconds(const Note& note);
