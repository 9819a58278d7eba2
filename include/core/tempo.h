// tempo.h -- the music clock: show time in milliseconds, beats and beat fractions.
#pragma once

#include <cstdint>

class Tempo {
public:
    // Where the clock's milliseconds come from: the show time held for the frame being drawn
    // (heldticks.h) in the show, the capture tool and the page, a virtual clock in the GL tests, and
    // SDL_GetTicks until one is set. Program-wide, because there is one show clock.
    using TickSource = std::uint32_t (*)();
    static void setTickSource(TickSource source);  // nullptr restores SDL_GetTicks

    Tempo(int beatsPerMinute, int offset);  // beatsPerMinute in 1..60000

    void start();                  // latches the clock: show time 0 is now
    int elapsed() const;           // ms since start(), read afresh on each call
    int beat() const;              // whole beats since the offset, -1 before it
    double beatPhase() const;      // fraction of the current beat, 0 <= value < 1
    int beatsToMs(int beats) const;  // ms of a beat position; pure, needs no start()

    int msPerBeat;    // ms per beat, 60000 / bpm in integer division
    int offset;       // ms after start() at which beat 0 falls
    int startTicks;   // tick value latched by start()
};
