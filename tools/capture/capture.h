// capture.h -- driving a Demo with a virtual clock: frame captures and per-entry timings.
#pragma once

#include <string>
#include <vector>

#include "demo.h"

struct CaptureOptions {
    std::vector<int> frameTimes;  // show times (ms) to write as PNG, sorted
    std::string outDir = ".";
    int fps = 60;                 // virtual frames per second
    int fromMs = 0;               // fast-forward to the entry holding this show time (ms)
    int toMs = -1;                // -1: the last requested frame, or the show's end
    bool bench = false;
};

// Plays the requested stretch of the show; returns the process exit status.
int runCapture(Demo& demo, const CaptureOptions& options);

// Reads the current back buffer (1024x768) into top-row-first RGB bytes.
std::vector<unsigned char> readFrame();
void writeFramePng(const std::vector<unsigned char>& rgb, int width, int height, const std::string& path);
