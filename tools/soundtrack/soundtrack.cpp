// soundtrack.cpp -- compose, render, master and encode the whole piece.
#include "soundtrack.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "arrangement.h"
#include "dsp.h"
#include "mixdown.h"
#include "vorbiswriter.h"

std::int64_t soundtrackFrames()
{
    return stepToFrame(barToStep(SHOW_BARS)) + static_cast<std::int64_t>(TAIL_SECONDS * SAMPLE_RATE);
}

std::vector<unsigned char> renderSoundtrack(const std::vector<TimelineRow>& rows, SoundtrackFacts* facts)
{
    using Clock = std::chrono::steady_clock;
    auto secondsSince = [](Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); };
    const Clock::time_point began = Clock::now();
    const Score score = compose(sectionsOf(rows));
    StereoMix mix = renderMix(score, 0, soundtrackFrames());
    const Clock::time_point mixed = Clock::now();
    MasterSettings settings;
    settings.fadeOutSeconds = TAIL_SECONDS;
    masterMix(mix, settings);
    const Clock::time_point mastered = Clock::now();
    std::vector<unsigned char> bytes = encodeVorbis(mix);
    if (facts) {
        facts->notes = score.notes().size();
        facts->loudnessLufs = integratedLoudness(mix);
        facts->peakDbfs = 20.0 * std::log10(std::max(samplePeak(mix), 1e-9f));
        facts->mixSeconds = std::chrono::duration<double>(mixed - began).count();
        facts->masterSeconds = std::chrono::duration<double>(mastered - mixed).count();
        facts->encodeSeconds = secondsSince(mastered);
    }
    return bytes;
}
