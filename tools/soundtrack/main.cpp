// main.cpp -- bearings-music: composes the soundtrack over the show's running order and renders it
// to an Ogg Vorbis file.
//
//   bearings-music FILE.ogg     the whole piece, mastered and encoded
//   bearings-music --sections   the arrangement's sections, one per timeline row
//   bearings-music --kick-beats the beats on which the score puts a kick, one a line
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "arrangement.h"
#include "dsp.h"
#include "exception.h"
#include "mixdown.h"
#include "vorbiswriter.h"

namespace {

void printSections()
{
    for (const Section& section : sectionsOf(timelineRows()))
        std::printf("%-16s bars %3d-%3d\n", section.name.c_str(), section.startBar, section.endBar);
}

void printKickBeats()
{
    const Score score = compose(sectionsOf(timelineRows()));
    for (int beat : kickBeats(score))
        std::printf("%d\n", beat);
}

void render(const std::string& path)
{
    using Clock = std::chrono::steady_clock;
    auto secondsSince = [](Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); };
    const Clock::time_point began = Clock::now();
    const Score score = compose(sectionsOf(timelineRows()));
    const std::int64_t showFrames = stepToFrame(barToStep(SHOW_BARS));
    const std::int64_t frames = showFrames + static_cast<std::int64_t>(TAIL_SECONDS * SAMPLE_RATE);
    StereoMix mix = renderMix(score, 0, frames);
    const double mixSeconds = secondsSince(began);
    MasterSettings settings;
    settings.fadeOutSeconds = TAIL_SECONDS;
    masterMix(mix, settings);
    const double loudness = integratedLoudness(mix);
    const float peak = samplePeak(mix);
    const double masterSeconds = secondsSince(began) - mixSeconds;
    writeFile(path, encodeVorbis(mix));
    const double totalSeconds = secondsSince(began);
    std::printf("bearings-music: %zu notes, %.1f s of music, %.1f LUFS, peak %.1f dBFS; "
                "%.1f s (mix %.1f, master %.1f, encode %.1f)\n",
                score.notes().size(), static_cast<double>(frames) / SAMPLE_RATE, loudness, 20.0 * std::log10(peak), totalSeconds,
                mixSeconds, masterSeconds, totalSeconds - mixSeconds - masterSeconds);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bearings-music FILE.ogg | --sections | --kick-beats\n");
        return 2;
    }
    try {
        const std::string what = argv[1];
        if (what == "--sections")
            printSections();
        else if (what == "--kick-beats")
            printKickBeats();
        else
            render(argv[1]);
    } catch (const Exception& e) {
        std::fprintf(stderr, "bearings-music: %s\n", e.getMessage().c_str());
        return 1;
    }
    return 0;
}
