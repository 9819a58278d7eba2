// capture.h -- driving a Demo with a virtual clock: frames, benchmarks, video and a contact sheet.
#pragma once

#include <string>
#include <vector>

#include "demo.h"

struct CaptureOptions {
    std::vector<int> frameTimes;  // show times (ms) to write as PNG, sorted
    std::string outDir = ".";
    int fps = 60;                 // virtual frames per second
    int fromMs = 0;               // the stretch (video, part, benchmark) starts at this show time (ms)
    bool fromSet = false;         // --from was given
    int toMs = -1;                // stop before this show time; -1: as late as the work needs
    bool bench = false;
    std::string videoFile;        // H.264/MP4 export of the stretch, with the music
    std::string partFile;         // the stretch's picture alone, one part of an export for --join
    bool lossless = false;        // H.264 at -qp 0 for --video and --part, for checking joins
    std::string joinFile;         // --join: the parts in partsDir end to end, the music under them
    std::string partsDir;
    bool noSeek = false;          // draw frames nobody sees in full too (the slow reference)
    bool gentle = false;          // the show kept below the photosensitive flash limits
    std::string contactSheetFile;  // one PNG of labelled thumbnails, one per timeline entry
    double loadingMs = 0;         // wall time from start-up to the finished timeline, for --bench
};

// Plays the requested stretch of the show; returns the process exit status.
int runCapture(Demo& demo, const CaptureOptions& options);
