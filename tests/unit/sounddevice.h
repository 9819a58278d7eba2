// sounddevice.h -- the sound device the clock tests simulate: its rate, buffer and latency, when it
// calls for each buffer and what is heard.
#pragma once

#include <cstdint>

constexpr double RATE = 44100.0;     // nominal frames per second
constexpr int BUFFER = 4096;         // frames per device call
constexpr double LATENCY_MS = 62.0;  // from a buffer's call to its first frame heard

// A device whose clock runs `ppm` off the system clock: it calls for buffer 0 5 ms after startMs and
// for each next one as the one before drains, and buffer k is heard LATENCY_MS after it was due.
struct Device {
    double ppm;
    double startMs;
    double msPerFrame() const { return 1000.0 / (RATE * (1.0 + ppm * 1e-6)); }
    double dueMs(std::int64_t buffer) const { return startMs + 5.0 + buffer * BUFFER * msPerFrame(); }
    // Music ms heard at system time nowMs: the music's own frames over its nominal rate.
    double heardMs(double nowMs) const { return (nowMs - dueMs(0) - LATENCY_MS) / msPerFrame() * 1000.0 / RATE; }
};
