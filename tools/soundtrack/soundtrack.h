// soundtrack.h -- the whole soundtrack in one call: compose over the running order, render, master
// and encode.
#pragma once

#include <cstdint>
#include <vector>

#include "runningorder.h"

// What one render did, for the tool's report line.
struct SoundtrackFacts {
    std::size_t notes = 0;       // notes in the score
    double loudnessLufs = 0.0;   // integrated loudness of the master
    double peakDbfs = 0.0;       // sample peak of the master, before encoding
    double mixSeconds = 0.0;     // wall time spent composing and rendering
    double masterSeconds = 0.0;  // on mastering
    double encodeSeconds = 0.0;  // on Vorbis encoding
};

// Frames in the file: the show's bars and the release tail after them.
std::int64_t soundtrackFrames();

// The Ogg Vorbis file of the music over these rows; the same rows always give the same bytes.
std::vector<unsigned char> renderSoundtrack(const std::vector<TimelineRow>& rows, SoundtrackFacts* facts = nullptr);
