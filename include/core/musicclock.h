// musicclock.h -- the live show's clock: the music as the listener hears it, and each frame's time
// as it will be when the frame reaches the screen.
#pragma once

#include <cstdint>
#include <mutex>

// Milliseconds on the system's monotonic clock, the time base of everything below.
double monotonicMs();

// The estimated time (ms) from the mixer handing a frame to the device to the listener hearing it.
// `override`, the user's figure (a number of ms) where set, wins; otherwise what the named SDL audio
// driver is known to add to a mixing buffer of bufferFrames at `rate` frames per second.
double deviceLatencyMs(const char* driver, const char* override, int bufferFrames, int rate);

// The position of the music reaching the listener, from what the audio thread reports: how many
// frames the mixer handed to the device, and when. A delay-locked loop smooths the scheduling jitter
// of those reports and learns the device's rate against the system clock, so a sound card whose
// clock runs fast or slow is followed. What the main thread reads is slewed towards that estimate:
// it advances with the system clock, never runs backwards and corrects itself by at most
// MAX_SLEW of the time read to read, and never more than MAX_STEP_MS at once.
//
// Until the device first calls back the position waits at -latency (nothing heard yet). With no
// device report for SILENCE_MS (a dummy driver, a channel that never played, a device that stalled),
// the clock goes on with the system clock from where it stood, and follows the device again if it
// resumes. A device that comes back more than RESYNC_MS away from the reads is not slewed towards
// (at 5 % that would take seconds, every beat off meanwhile): the reads carry on with the system
// clock and outOfStep() tells the caller to move the music to them (restart()). All times are
// milliseconds on one monotonic system clock chosen by the caller.
class MusicClock {
public:
    static constexpr double MAX_SLEW = 0.05;       // fraction of elapsed time a read may correct
    static constexpr double MAX_STEP_MS = 2.0;     // most a single read may correct, ms
    static constexpr double SILENCE_MS = 500.0;    // no report for this long: system clock
    static constexpr double RESYNC_MS = 100.0;     // the device this far from the reads: move the music
    static constexpr double RESYNC_AFTER_MS = 250.0;  // ...once it has stayed that far this long

    // framesPerSecond: the device's nominal rate; latencyMs: from handing a frame to the device to
    // the listener hearing it.
    MusicClock(double framesPerSecond, double latencyMs);

    void start(double nowMs);            // the music starts now; its frame 0 is the next one handed over
    void systemOnly(double nowMs);       // no device to follow: the system clock from now, as position 0
    // The music plays again from fromMs (ms of music), its first frame the next one handed over.
    // Unlike start(), reads do not wait for the device: they carry on from where they stand and
    // are slewed to the music once the device reports.
    void restart(double fromMs, double nowMs);
    // The device went away: reads carry on with the system clock, and reports (from a device opened
    // again) only show that one calls back, until restart().
    void detach();

    // Audio thread: the device took `frames` more frames of the music at nowMs.
    void handed(std::uint64_t frames, double nowMs);

    // Main thread: ms of music heard at nowMs; negative before its first frame is heard.
    double read(double nowMs);

    bool followingDevice();              // true while reads follow device reports
    // True when the device has reported for RESYNC_AFTER_MS, as of the last read, music more than
    // RESYNC_MS from what the reads give: time to restart() the music at resumePoint().
    bool outOfStep();
    // The ms of music to restart() from at nowMs so that it is heard as the reads go on: the last
    // read carried on to when the device takes its next buffer, plus the latency.
    double resumePoint(double nowMs);
    bool deviceCalling();                // detached, and a device has called back since
    double latencyMs() const { return latency; }

private:
    double target(double nowMs) const;   // unslewed estimate from the loop; caller holds the lock

    const double nominalMsPerFrame;      // ms per frame at the nominal rate
    const double latency;                // ms from handing to hearing

    std::mutex lock;                     // between the audio thread's reports and the reads
    bool started;
    bool forceSystem;                    // systemOnly(): never follow a device
    std::uint64_t framesHanded;          // music frames handed to the device so far
    double originMs;                     // ms of music at the first frame counted
    bool resumed;                        // restart(): reads carry on while waiting for the device
    bool detached;                       // detach(): reports are not counted
    bool calledSinceDetach;
    std::uint64_t lastFrames;            // frames in the last report
    bool locked;                         // the loop has had its first report
    double loopTime;                     // ms: filtered time at which frame loopFrames was handed
    std::uint64_t loopFrames;            // frames handed before the last report
    double msPerFrame;                   // filtered ms per device frame
    double lastReport;                   // ms of the last report

    double startTime;                    // ms of start()
    bool haveRead;
    bool waiting;                        // the previous read was waiting for the device's first call
    double lastReadTime;                 // ms of the previous read
    double lastValue;                    // ms of music the previous read returned
    double adriftSince;                  // ms of the first read since which the device was too far; -1 none
    bool adrift;                         // the last read found the device too far for long enough
};

// How far ahead of the clock a frame must be drawn. A frame reaches the screen some time after its
// clock read and stays there until the next one replaces it; drawn for the middle of that stretch,
// a cut lands on its beat give or take half a frame rather than up to a whole frame late. Both
// times are learned from the last frames, smoothed and bounded. The time a frame is drawn for is the
// clock plus this lead, never earlier than the frame before.
class FrameLead {
public:
    static constexpr double MAX_LEAD_MS = 400.0;      // slower frames are not waited for
    static constexpr double MAX_CHANGE_MS = 2.0;      // most the lead moves from one frame to the next
    static constexpr double SMOOTHING = 0.1;          // weight of the newest frame

    // The time (ms) to draw a frame for, given the clock read for it.
    double frameTime(double clockMs);
    // The same, knowing the show time of the next cut. When that cut will be heard after this frame
    // can reach the screen and before the next one can, the frame is drawn for the cut itself and
    // `hold` is set: swapped in as the cut is heard, the cut lands on its beat instead of anywhere
    // within half a frame of it.
    double frameTime(double clockMs, double nextCutMs, bool& hold);
    // A frame whose clock was read at readMs reached the screen at screenMs (system ms). A held
    // frame passes readMs plus the time it was held, so that waiting is not learned as drawing.
    void presented(double readMs, double screenMs);
    // The show has been moved to showMs (a seek, a resume): frames go on from there, earlier or later
    // than the last one, and the wait before the next frame reaches the screen is not learned.
    void restartAt(double showMs);

    double lead() const { return smoothed; }
    double delay() const { return smoothedDelay; }        // ms from clock read to the screen
    double interval() const { return smoothedInterval; }  // ms a frame stays on the screen

private:
    bool learned = false;
    double smoothed = 0.0;            // ms, the lead in use
    bool drawnAny = false;
    double lastFrameTime = 0.0;       // ms of show time of the previous frame
    bool shownAny = false;
    double lastScreen = 0.0;          // system ms the previous frame reached the screen
    double smoothedDelay = 0.0;       // ms, the two parts of the lead, smoothed alike but unbounded
    double smoothedInterval = 0.0;    //   in their steps: they only decide which frame a cut holds
};
