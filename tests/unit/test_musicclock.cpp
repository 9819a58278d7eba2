// test_musicclock.cpp -- the live show's clock against a simulated sound device: it follows a device
// clock that runs fast or slow, never steps or runs backwards, waits for the device's first call and
// falls back to the system clock; and the frame lead learns how long frames take to reach the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "musicclock.h"
#include "sounddevice.h"

namespace {

struct Playback {
    double worstError = 0;      // ms, |read - heard| after settling, to the end
    double worstStep = 0;       // ms, |change of read - change of system time| between reads
    bool wentBack = false;
};

// Plays the device for `seconds`, its calls given or taken a few ms of scheduling, and reads the clock
// every frameMs of system time as a frame loop would.
Playback play(const Device& device, double seconds, double frameMs, double settleMs)
{
    MusicClock clock(RATE, LATENCY_MS);
    clock.start(device.startMs);
    unsigned jitter = 7;  // a small LCG of its own: scheduling delays, the same every run
    std::int64_t next = 0;
    double nextCall = device.dueMs(0);
    Playback run;
    double previousRead = 0, previousNow = 0;
    bool first = true;
    for (double now = device.startMs; now < device.startMs + seconds * 1000.0; now += frameMs) {
        while (nextCall <= now) {
            clock.handed(BUFFER, nextCall);
            ++next;
            jitter = jitter * 1103515245u + 12345u;
            nextCall = device.dueMs(next) + 8.0 * (((jitter >> 16) & 0x7fff) / 32767.0 - 0.5);  // +-4 ms
        }
        const double value = clock.read(now);
        if (!first && previousRead > -LATENCY_MS) {  // once the wait for the device is over
            run.wentBack = run.wentBack || value < previousRead;
            run.worstStep = std::max(run.worstStep, std::fabs((value - previousRead) - (now - previousNow)));
        }
        if (now - device.startMs > settleMs && device.heardMs(now) > 0)
            run.worstError = std::max(run.worstError, std::fabs(value - device.heardMs(now)));
        previousRead = value;
        previousNow = now;
        first = false;
    }
    return run;
}

}  // namespace

TEST(MusicClock, FollowsADeviceClockHalfAPerMilleFastOrSlowThroughTheWholeShowWithoutASingleStep)
{
    const struct {
        double ppm, seconds, frameMs;
    } runs[] = {{500, 490, 16.7}, {-500, 490, 16.7}, {0, 490, 16.7},
                {500, 120, 130}};  // a software-rendered show under load: slow, uneven frames
    for (const auto& r : runs) {
        const Playback run = play(Device{r.ppm, 1000.0}, r.seconds, r.frameMs, 10000.0);
        EXPECT_LT(run.worstError, 5.0) << r.ppm << " ppm, frames of " << r.frameMs;
        EXPECT_LE(run.worstStep, MusicClock::MAX_STEP_MS + 1e-9) << r.ppm << " ppm, frames of " << r.frameMs;
        EXPECT_FALSE(run.wentBack) << r.ppm << " ppm, frames of " << r.frameMs;
    }
}

TEST(MusicClock, WaitsForTheDeviceThenStartsWhereTheMusicIsHeardAndWithNoDeviceRunsOnTheSystemClock)
{
    MusicClock clock(RATE, LATENCY_MS);
    clock.start(0.0);
    EXPECT_DOUBLE_EQ(clock.read(10.0), -LATENCY_MS);
    EXPECT_DOUBLE_EQ(clock.read(60.0), -LATENCY_MS);  // no call yet: nothing is on its way
    EXPECT_FALSE(clock.followingDevice());
    clock.handed(BUFFER, 80.0);
    EXPECT_NEAR(clock.read(90.0), 10.0 - LATENCY_MS, 1e-6);
    EXPECT_NEAR(clock.read(80.0 + LATENCY_MS + 40.0), 40.0, 1e-6);
    EXPECT_TRUE(clock.followingDevice());

    // Never called back: it waits a while, then goes on with the system clock rather than freeze.
    MusicClock silent(RATE, LATENCY_MS);
    silent.start(0.0);
    silent.read(0.0);
    const double late = silent.read(MusicClock::SILENCE_MS + 100.0);
    EXPECT_NEAR(silent.read(MusicClock::SILENCE_MS + 1100.0) - late, 1000.0, 1e-9);
    EXPECT_FALSE(silent.followingDevice());

    // A dummy driver or a channel that did not play: the system clock from 0, as plain as it gets.
    MusicClock plain(RATE, LATENCY_MS);
    plain.systemOnly(500.0);
    plain.handed(BUFFER, 600.0);  // ignored
    EXPECT_DOUBLE_EQ(plain.read(500.0), 0.0);
    EXPECT_DOUBLE_EQ(plain.read(2500.0), 2000.0);
}

TEST(MusicClock, LatencyComesFromTheUserThenFromWhatTheDriverIsKnownToAdd)
{
    EXPECT_DOUBLE_EQ(deviceLatencyMs("pulseaudio", "150", 4096, 44100), 150.0);  // e.g. wireless headphones
    EXPECT_NEAR(deviceLatencyMs("pulseaudio", nullptr, 4096, 44100), 61.9, 0.1);
    EXPECT_NEAR(deviceLatencyMs("alsa", "", 4096, 44100), 92.9, 0.1);
    for (const char* nonsense : {"fast", "-5", "12ms", "99999"})
        EXPECT_NEAR(deviceLatencyMs("alsa", nonsense, 4096, 44100), 92.9, 0.1) << nonsense;
}

TEST(FrameLead, LearnsTheTimeToTheScreenPlusHalfAFrameOnScreenMovesInBoundedStepsAndNeverBack)
{
    FrameLead lead;
    // Frames drawn back to back, 40 ms from clock read to screen: drawn 60 ms ahead of the clock.
    double now = 0;
    for (int i = 0; i < 200; ++i) {
        lead.frameTime(now);
        lead.presented(now, now + 40.0);
        now += 40.0;
    }
    EXPECT_NEAR(lead.lead(), 60.0, 0.5);
    EXPECT_NEAR(lead.frameTime(now), now + lead.lead(), 1e-9);

    // Frames suddenly four times slower: the lead follows, a bounded step a frame, and settles.
    const double start = lead.lead();
    double before = start;
    for (int i = 0; i < 150; ++i) {
        lead.presented(now, now + 160.0);
        now += 160.0;
        EXPECT_LE(lead.lead() - before, FrameLead::MAX_CHANGE_MS + 1e-9);
        before = lead.lead();
        if (i == 9) {
            EXPECT_NEAR(lead.lead(), start + 10 * FrameLead::MAX_CHANGE_MS, 0.01);
        }
    }
    EXPECT_NEAR(lead.lead(), 240.0, 1.0);

    // Bounded, and never drawing a frame earlier than the one before.
    FrameLead stalled;
    stalled.presented(0.0, 5000.0);  // a five-second stall is not a frame time to plan for
    EXPECT_DOUBLE_EQ(stalled.lead(), FrameLead::MAX_LEAD_MS);
    const double first = stalled.frameTime(1000.0);
    for (int i = 0; i < 50; ++i)
        stalled.presented(6000.0 + i * 10.0, 6000.0 + i * 10.0 + 1.0);
    EXPECT_GE(stalled.frameTime(1001.0), first);  // the lead shrank, the picture does not go back
}

namespace {

// Plays cuts every 1037 ms (every phase against the frames) through a frame loop whose frames take
// frameMs(k) from clock read to screen, the clock being the music heard exactly. A held frame is
// swapped in as its cut is heard. Returns, per cut, when its first frame reached the screen minus
// when the cut was heard.
template <typename FrameCost>
std::vector<double> cutOffsets(FrameCost frameMs, int cuts)
{
    FrameLead lead;
    std::vector<double> offsets;
    double now = 0, lastTime = -1;
    int next = 0;
    for (int k = 0; next < cuts; ++k) {
        const double cut = 2000.0 + next * 1037.0;
        bool hold = false;
        const double time = lead.frameTime(now, cut, hold);
        EXPECT_GE(time, lastTime);
        lastTime = time;
        double screen = now + frameMs(k);
        double held = 0;
        if (hold) {
            EXPECT_DOUBLE_EQ(time, cut);  // drawn for the cut itself
            held = std::max(0.0, cut - screen);
            screen += held;
        }
        lead.presented(now + held, screen);
        if (time >= cut) {
            offsets.push_back(screen - cut);
            ++next;
        }
        now = screen;
    }
    return offsets;
}

}  // namespace

TEST(FrameLead, HoldsTheFirstFrameOfACutUntilItIsHeardButNotBeforeLearningNorTwice)
{
    // Even 100 ms frames: every cut reaches the screen as it is heard, not up to half a frame off,
    // and the waiting is not learned as drawing time.
    const std::vector<double> even = cutOffsets([](int) { return 100.0; }, 40);
    for (size_t i = 5; i < even.size(); ++i)
        EXPECT_NEAR(even[i], 0.0, 1e-6) << "cut " << i;

    // Uneven frames, 60 to 140 ms: within a frame of the beat, and on it on average.
    unsigned seed = 3;
    const std::vector<double> uneven = cutOffsets(
        [&seed](int) {
            seed = seed * 1103515245u + 12345u;
            return 60.0 + 80.0 * (((seed >> 16) & 0x7fff) / 32767.0);
        },
        60);
    double sum = 0;
    for (size_t i = 5; i < uneven.size(); ++i) {
        EXPECT_LT(std::fabs(uneven[i]), 140.0) << "cut " << i;
        sum += uneven[i];
    }
    EXPECT_LT(std::fabs(sum / (uneven.size() - 5)), 15.0);

    // Nothing is held before the lead is learned (the frame is drawn for the clock as read), nor a cut
    // already shown.
    FrameLead lead;
    bool hold = true;
    EXPECT_DOUBLE_EQ(lead.frameTime(1000.0, 1050.0, hold), 1000.0);
    EXPECT_FALSE(hold);
    lead.presented(1000.0, 1100.0);  // 100 ms to the screen
    // A cut heard before this frame could be on the screen is late whatever is done: drawn as usual.
    lead.frameTime(1100.0, 1150.0, hold);
    EXPECT_FALSE(hold);
    // A cut too far off for this frame: the next one takes it.
    lead.frameTime(1200.0, 1600.0, hold);
    EXPECT_FALSE(hold);
    EXPECT_DOUBLE_EQ(lead.frameTime(1300.0, 1450.0, hold), 1450.0);
    EXPECT_TRUE(hold);
    // The same cut once more (a frame time already past it) is not held again.
    lead.frameTime(1350.0, 1450.0, hold);
    EXPECT_FALSE(hold);
}
