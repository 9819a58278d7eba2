// musickeeper.h -- keeps the music with the picture through a sound device that stalls, goes away
// or moves: the music is moved to where the show is, never the show to the music.
#pragma once

#include <ostream>

#include "musicclock.h"

// What the keeper needs of the sound output: SDL_mixer's in the show, a simulated one in tests.
class MusicOutput {
public:
    virtual ~MusicOutput() = default;
    virtual bool lost() = 0;          // the device has gone away; asked once a frame, so cheap
    virtual void beginReopen() = 0;   // starts opening a device again, off the calling thread
    virtual int reopened() = 0;       // after beginReopen: -1 not known yet, 0 failed, 1 open
    // The music from musicMs on, its first frame the next one the device takes; the clock is
    // restarted to count from there.
    virtual void playFrom(double musicMs, double nowMs) = 0;
};

// Called once a frame on the main thread, after the clock's read. A device that comes back out of
// step (after a stall, a move) gets the music moved to the show's position; a device that went
// away is reported once, the show goes on silent on the system clock, and a device is opened again
// every RETRY_MS, off the main thread, until one opens and calls back, when the music comes back at
// the show's position. The picture never waits: a viewer loses at most the sound of a stall, as
// with a dropout on the radio, rather than seeing the show freeze or play on out of step.
class MusicKeeper {
public:
    static constexpr double RETRY_MS = 250.0;  // between attempts to open a device again

    MusicKeeper(MusicOutput& output, MusicClock& clock, std::ostream& log) : output(output), clock(clock), log(log) {}

    void frame(double nowMs);
    bool silent() const { return state != State::Playing; }  // the device is gone and not back yet
    int resyncs() const { return moves; }                     // times the music was moved

private:
    enum class State { Playing, Lost, Reopening, Reopened };

    MusicOutput& output;
    MusicClock& clock;
    std::ostream& log;
    State state = State::Playing;
    double nextTry = 0;  // ms, when to try opening a device again
    int moves = 0;
};
