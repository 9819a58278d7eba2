// mixdown.h -- from score to finished stereo: the band, side-chain, echo and hall, then mastering
// (loudness, brick-wall limiter, end fade).
#pragma once

#include <cstdint>
#include <vector>

#include "score.h"

// Stereo samples in full scale (1.0 = 0 dBFS); index 0 is absolute frame firstFrame of the music.
struct StereoMix {
    std::int64_t firstFrame = 0;
    std::vector<float> left, right;

    std::int64_t frames() const { return static_cast<std::int64_t>(left.size()); }
};

// Renders every note that sounds within [firstFrame, firstFrame + frames), with the kick's
// side-chain, the echo and the hall. Effects start empty at firstFrame. Not yet mastered.
StereoMix renderMix(const Score& score, std::int64_t firstFrame, std::int64_t frames);

// Integrated loudness in LUFS (K-weighted, 400 ms blocks, absolute and relative gates); -70 or
// below for silence.
double integratedLoudness(const StereoMix& mix);

// Largest absolute sample of either channel.
float samplePeak(const StereoMix& mix);

struct MasterSettings {
    double targetLufs = -16.0;    // integrated loudness the master aims for
    float ceilingDbfs = -2.5f;    // no sample above this after the limiter; Vorbis adds ~0.6 dB
    double fadeOutSeconds = 0.0;  // raised-cosine fade to silence over the final seconds
};

// Masters the whole piece in place: removes DC and rumble, sets the loudness, limits the peaks and
// fades out the end. Returns the gain applied before the limiter, in dB.
double masterMix(StereoMix& mix, const MasterSettings& settings);
