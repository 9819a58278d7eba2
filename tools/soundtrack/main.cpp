// main.cpp -- bearings-music: composes the soundtrack over the show's running order and renders it
// to an Ogg Vorbis file.
//
//   bearings-music FILE.ogg      the whole piece, mastered and encoded
//   bearings-music --sections    the arrangement's sections, one per timeline row
//   bearings-music --kick-beats  the beats on which the score puts a kick, one a line
#include <cstdio>
#include <string>

#include "arrangement.h"
#include "dsp.h"
#include "exception.h"
#include "soundtrack.h"
#include "vorbiswriter.h"

namespace {

void printSections()
{
    for (const Section& section : sectionsOf(timelineRows()))
        std::printf("%-16s bars %3d-%3d\n", section.name.c_str(), section.startBar, section.endBar);
}

void printKickBeats()
{
    for (int beat : kickBeats(compose(sectionsOf(timelineRows()))))
        std::printf("%d\n", beat);
}

void render(const std::string& path)
{
    SoundtrackFacts facts;
    writeFile(path, renderSoundtrack(timelineRows(), &facts));
    std::printf("bearings-music: %zu notes, %.1f s of music, %.1f LUFS, peak %.1f dBFS; mix %.1f s, master %.1f s, encode %.1f s\n",
                facts.notes, static_cast<double>(soundtrackFrames()) / SAMPLE_RATE, facts.loudnessLufs, facts.peakDbfs,
                facts.mixSeconds, facts.masterSeconds, facts.encodeSeconds);
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
            render(what);
    } catch (const Exception& e) {
        std::fprintf(stderr, "bearings-music: %s\n", e.getMessage().c_str());
        return 1;
    }
    return 0;
}
