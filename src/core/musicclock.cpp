// musicclock.cpp -- the heard position of the music from the device's reports, and each frame's lead.
#include "musicclock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
// The loop's bandwidth: slow enough to average out callback jitter, fast enough to settle in a few
// seconds and to follow a device clock that is a fraction of a per mille off.
constexpr double LOOP_BANDWIDTH_HZ = 0.5;
// A report this far from the loop's prediction is a new start (a stall, a refill burst), not jitter.
constexpr double RELOCK_MS = 50.0;
constexpr double PI = 3.14159265358979323846;
}

double monotonicMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double deviceLatencyMs(const char* driver, const char* override, int bufferFrames, int rate)
{
    if (override && *override) {
        char* end = nullptr;
        const double ms = std::strtod(override, &end);
        if (*end == '\0' && ms >= 0 && ms <= 2000)
            return ms;
    }
    const double bufferMs = rate > 0 ? 1000.0 * bufferFrames / rate : 0.0;
    // A sound server asks for the next buffer while two thirds of a buffer are still queued ahead of
    // it (measured with scripts/avsync.sh: 62 ms for 4096 frames at 44100 Hz).
    if (driver && (std::strcmp(driver, "pulseaudio") == 0 || std::strcmp(driver, "pipewire") == 0))
        return bufferMs * 2.0 / 3.0;
    // A sound card driven directly holds about one buffer ahead of the one being filled.
    return bufferMs;
}

MusicClock::MusicClock(double framesPerSecond, double latencyMs)
    : nominalMsPerFrame(1000.0 / framesPerSecond), latency(latencyMs), started(false), forceSystem(false),
      framesHanded(0), originMs(0), resumed(false), detached(false), calledSinceDetach(false), lastFrames(0), locked(false), loopTime(0), loopFrames(0), msPerFrame(1000.0 / framesPerSecond),
      lastReport(0), startTime(0), haveRead(false), waiting(false), lastReadTime(0), lastValue(0),
      adriftSince(-1), adrift(false)
{
}

void MusicClock::start(double nowMs)
{
    std::lock_guard<std::mutex> guard(lock);
    started = true;
    forceSystem = false;
    framesHanded = 0;
    originMs = 0;
    resumed = false;
    detached = false;
    locked = false;
    startTime = nowMs;
    haveRead = false;
}

void MusicClock::restart(double fromMs, double nowMs)
{
    std::lock_guard<std::mutex> guard(lock);
    started = true;
    forceSystem = false;
    framesHanded = 0;
    originMs = fromMs;
    resumed = true;
    detached = false;
    locked = false;
    startTime = nowMs;
    adriftSince = -1;
    adrift = false;
}

void MusicClock::detach()
{
    std::lock_guard<std::mutex> guard(lock);
    detached = true;
    calledSinceDetach = false;
    locked = false;
    adriftSince = -1;
    adrift = false;
}

void MusicClock::systemOnly(double nowMs)
{
    std::lock_guard<std::mutex> guard(lock);
    started = true;
    forceSystem = true;
    startTime = nowMs;
    waiting = false;
    haveRead = true;
    lastReadTime = nowMs;
    lastValue = 0;
}

void MusicClock::handed(std::uint64_t frames, double nowMs)
{
    std::lock_guard<std::mutex> guard(lock);
    if (!started || forceSystem)
        return;
    if (detached) {
        calledSinceDetach = true;
        lastReport = nowMs;
        lastFrames = frames;
        return;
    }
    const bool stalled = locked && nowMs - lastReport > SILENCE_MS;
    if (!locked || stalled) {
        locked = true;
        loopTime = nowMs;
        loopFrames = framesHanded;
    } else {
        // A second-order delay-locked loop on the time each report's first frame was handed over.
        const std::uint64_t since = framesHanded - loopFrames;
        const double predicted = loopTime + static_cast<double>(since) * msPerFrame;
        const double error = nowMs - predicted;
        if (std::fabs(error) > RELOCK_MS || since == 0) {
            loopTime = nowMs;
        } else {
            const double w = std::min(0.5, 2.0 * PI * LOOP_BANDWIDTH_HZ * static_cast<double>(since) * msPerFrame / 1000.0);
            loopTime = predicted + std::sqrt(2.0) * w * error;
            msPerFrame += w * w * error / static_cast<double>(since);
            // A device more than 1 % off its rate is a misreport, not a slow crystal.
            msPerFrame = std::clamp(msPerFrame, nominalMsPerFrame * 0.99, nominalMsPerFrame * 1.01);
        }
        loopFrames = framesHanded;
    }
    lastReport = nowMs;
    lastFrames = frames;
    framesHanded += frames;
}

double MusicClock::target(double nowMs) const
{
    const double heard = static_cast<double>(loopFrames) + (nowMs - latency - loopTime) / msPerFrame;
    // Nothing is heard that has not been handed over yet.
    return originMs + std::min(heard, static_cast<double>(framesHanded)) * nominalMsPerFrame;
}

double MusicClock::read(double nowMs)
{
    std::lock_guard<std::mutex> guard(lock);
    if (!started)
        return 0.0;
    const bool silent = forceSystem || detached || (locked ? nowMs - lastReport > SILENCE_MS : nowMs - startTime > SILENCE_MS);
    double value;
    if (!haveRead) {
        value = locked ? target(nowMs) : -latency;
    } else {
        const double elapsed = std::max(0.0, nowMs - lastReadTime);
        const double carriedOn = lastValue + elapsed;
        const bool tooFar = !silent && locked && !waiting && std::fabs(target(nowMs) - carriedOn) > RESYNC_MS;
        if (!tooFar)
            adriftSince = -1;
        else if (adriftSince < 0)
            adriftSince = nowMs;
        if (silent || tooFar) {
            value = carriedOn;
        } else if (!locked) {
            value = resumed ? carriedOn : lastValue;  // waiting for the device's first call
        } else if (waiting) {
            value = target(nowMs);  // the first call: the wait ends where the music begins
        } else {
            const double most = std::min(MAX_STEP_MS, MAX_SLEW * elapsed);
            value = carriedOn + std::clamp(target(nowMs) - carriedOn, -most, most);
        }
        value = std::max(value, lastValue);
    }
    adrift = adriftSince >= 0 && nowMs - adriftSince >= RESYNC_AFTER_MS;
    waiting = !silent && !locked && !resumed;
    haveRead = true;
    lastReadTime = nowMs;
    lastValue = value;
    return value;
}

bool MusicClock::followingDevice()
{
    std::lock_guard<std::mutex> guard(lock);
    return started && !forceSystem && !detached && locked && (!haveRead || lastReadTime - lastReport <= SILENCE_MS);
}

bool MusicClock::outOfStep()
{
    std::lock_guard<std::mutex> guard(lock);
    return adrift;
}

double MusicClock::resumePoint(double nowMs)
{
    std::lock_guard<std::mutex> guard(lock);
    const double bufferMs = static_cast<double>(lastFrames) * msPerFrame;
    const double untilNext = std::clamp(lastReport + bufferMs - nowMs, 0.0, bufferMs);
    return lastValue + std::max(0.0, nowMs - lastReadTime) + untilNext + latency;
}

bool MusicClock::deviceCalling()
{
    std::lock_guard<std::mutex> guard(lock);
    return detached && calledSinceDetach;
}

double FrameLead::frameTime(double clockMs)
{
    double time = clockMs + smoothed;
    if (drawnAny)
        time = std::max(time, lastFrameTime);
    drawnAny = true;
    lastFrameTime = time;
    return time;
}

double FrameLead::frameTime(double clockMs, double nextCutMs, bool& hold)
{
    const double untilCut = nextCutMs - clockMs;
    hold = learned && (!drawnAny || nextCutMs > lastFrameTime) && untilCut >= smoothedDelay &&
           untilCut < smoothedDelay + smoothedInterval;
    if (!hold)
        return frameTime(clockMs);
    drawnAny = true;
    lastFrameTime = nextCutMs;
    return nextCutMs;
}

void FrameLead::presented(double readMs, double screenMs)
{
    const double delay = std::max(0.0, screenMs - readMs);
    const double onScreen = shownAny ? std::max(0.0, screenMs - lastScreen) : delay;  // until the next one
    shownAny = true;
    lastScreen = screenMs;
    const double sample = std::min(delay + onScreen / 2, MAX_LEAD_MS);
    if (!learned) {
        learned = true;
        smoothed = sample;
        smoothedDelay = std::min(delay, MAX_LEAD_MS);
        smoothedInterval = std::min(onScreen, MAX_LEAD_MS);
        return;
    }
    smoothedDelay += SMOOTHING * (std::min(delay, MAX_LEAD_MS) - smoothedDelay);
    smoothedInterval += SMOOTHING * (std::min(onScreen, MAX_LEAD_MS) - smoothedInterval);
    const double step = SMOOTHING * (sample - smoothed);
    smoothed += std::clamp(step, -MAX_CHANGE_MS, MAX_CHANGE_MS);
}

void FrameLead::restartAt(double showMs)
{
    drawnAny = true;
    lastFrameTime = showMs;
    shownAny = false;
}
