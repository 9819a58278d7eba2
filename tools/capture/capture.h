// capture.h -- driving a Demo with a virtual clock: frames, benchmarks, video and a contact sheet.
#pragma once

#include <string>
#include <vector>

#include "demo.h"

struct CaptureOptions {
    std::vector<int> frameTimes;  // show times (ms) to write as PNG, sorted
    std::string outDir = ".";
    int fps = 60;                 // virtual frames per second
    int fromMs = 0;               // fast-forward to the entry holding this show time (ms)
    int toMs = -1;                // stop before this show time; -1: as late as the work needs
    bool bench = false;
    std::string videoFile;        // H.264/MP4 export of the stretch, with the music
    std::string contactSheetFile;  // one PNG of labelled thumbnails, one per timeline entry
    double loadingMs = 0;         // wall time from start-up to the finished timeline, for --bench
};

// Plays the requested stretch of the show; returns the process exit status.
int runCapture(Demo& demo, const CaptureOptions& options);
