// test_musickeeper.cpp -- the music kept with the show against a simulated sound device: back in step
// within two seconds after a stall, a device that never comes back leaves the show on the system
// clock, a lost device is reported once, retried sparingly and its music brought back at the show's
// position. The clock's restart, detach and resume point are checked through these runs: each fails
// when one of them is off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <sstream>
#include <string>

#include "musickeeper.h"
#include "sounddevice.h"

namespace {

constexpr double BUFFER_MS = BUFFER * 1000.0 / RATE;
constexpr double NEVER = 1e300;

// A sound device on a server that can stall, go away and come back. Every BUFFER_MS (unless stalled
// or gone) it takes a buffer, which the mixer reports to the clock, and it is heard LATENCY_MS
// later. The music it plays moves on a buffer at a time and jumps only when told to play from
// elsewhere; a device opened again plays nothing until then.
struct SimulatedDevice : MusicOutput {
    explicit SimulatedDevice(MusicClock& clock) : clock(clock) {}

    MusicClock& clock;
    double nextCall = 100.0;        // system ms the next buffer is taken
    double nextMusicMs = 0.0;       // music ms at the start of the next buffer; < 0: nothing plays
    // The last buffers taken: system ms each was taken, and the music ms at its start (< 0: silence).
    std::deque<std::pair<double, double>> taken;
    double stallFrom = NEVER, stallUntil = NEVER;  // takes nothing in between
    double movedAt = NEVER;         // moved to another output then, losing the 300 ms the old one held
    double goneFrom = NEVER;        // the server goes away then...
    double backFrom = NEVER;        // ...and accepts connections again from then
    bool open = true;
    int attempts = 0;
    int pendingAttempt = 0;         // reopened() answers -1 this many times first
    double now = 0;

    void runUntil(double until)
    {
        now = until;
        if (now >= movedAt) {
            nextCall -= 300.0;  // the new output asks for that much more at once
            movedAt = NEVER;
        }
        if (now >= goneFrom && now < backFrom && open) {
            open = false;  // the device is gone: takes nothing more
            nextMusicMs = -1;
        }
        while (open && nextCall <= now) {
            if (nextCall >= stallFrom && nextCall < stallUntil) {
                nextCall = stallUntil;
                continue;
            }
            taken.emplace_back(nextCall, nextMusicMs);
            if (taken.size() > 8)
                taken.pop_front();
            if (nextMusicMs >= 0)
                nextMusicMs += BUFFER_MS;
            clock.handed(BUFFER, nextCall);
            nextCall += BUFFER_MS;
        }
    }
    // Music ms heard at `at`; negative when silence is heard.
    double heard(double at) const
    {
        for (auto buffer = taken.rbegin(); buffer != taken.rend(); ++buffer) {
            const double into = at - LATENCY_MS - buffer->first;
            if (into < 0)
                continue;
            return buffer->second < 0 || into > BUFFER_MS ? -1 : buffer->second + into;
        }
        return -1;
    }

    bool lost() override { return !open; }
    void beginReopen() override
    {
        ++attempts;
        pendingAttempt = 2;
    }
    int reopened() override
    {
        if (pendingAttempt > 0 && --pendingAttempt > 0)
            return -1;
        if (now < backFrom)
            return 0;
        open = true;
        nextCall = now + 1500.0;  // a new stream takes a while to ask for its first buffer
        nextMusicMs = -1;
        return 1;
    }
    void playFrom(double musicMs, double nowMs) override
    {
        const double aligned = std::floor(musicMs * RATE / 1000.0) * 1000.0 / RATE;
        nextMusicMs = aligned;
        clock.restart(aligned, nowMs);
    }
};

struct Show {
    double worstStep = 0;        // ms, |change of read - change of system time|, once running
    bool wentBack = false;
    double backInStepAt = NEVER; // system ms from which on every read was within 15 ms of the heard music
    double lastRead = 0;
    int moves = 0;
};

// A started clock, a device taking buffers for it and a keeper watching both, telling log.
struct Kept {
    Kept() { clock.start(0.0); }

    // Plays `seconds` of show with reads every frameMs, the keeper run after each read, then `each`.
    Show play(double seconds, double frameMs, double checkFrom, const std::function<void(double now)>& each = {})
    {
        Show show;
        double previousRead = 0, previousNow = 0;
        bool running = false;
        for (double now = 0; now < seconds * 1000.0; now += frameMs) {
            device.runUntil(now);
            const double value = clock.read(now);
            keeper.frame(now);
            if (each)
                each(now);
            if (running) {
                show.wentBack = show.wentBack || value < previousRead;
                show.worstStep = std::max(show.worstStep, std::fabs((value - previousRead) - (now - previousNow)));
            }
            running = running || value > 0;
            const double heard = device.heard(now);
            const bool inStep = heard >= 0 && std::fabs(value - heard) <= 15.0;
            if (now >= checkFrom && !inStep)
                show.backInStepAt = NEVER;
            else if (now >= checkFrom && show.backInStepAt == NEVER)
                show.backInStepAt = now;
            previousRead = value;
            previousNow = now;
        }
        show.lastRead = previousRead;
        show.moves = keeper.resyncs();
        return show;
    }

    MusicClock clock{RATE, LATENCY_MS};
    SimulatedDevice device{clock};
    std::ostringstream log;
    MusicKeeper keeper{device, clock, log};
};

}  // namespace

TEST(MusicKeeper, AfterAStallOrAMoveTheMusicIsBackInStepWithinTwoSecondsWithoutAStepInThePicture)
{
    for (double stallSeconds : {0.3, 0.5, 3.0, 10.0}) {
        for (double frameMs : {16.7, 100.0}) {
            Kept kept;
            const double resume = 18000.0 + stallSeconds * 1000.0;
            kept.device.stallFrom = 18000.0;
            kept.device.stallUntil = resume;
            const Show show = kept.play(40.0, frameMs, resume);
            EXPECT_LE(show.backInStepAt, resume + 2000.0) << stallSeconds << " s stall, frames of " << frameMs << " ms";
            EXPECT_LE(show.worstStep, MusicClock::MAX_STEP_MS + 1e-9) << stallSeconds << " s, " << frameMs << " ms";
            EXPECT_FALSE(show.wentBack);
            EXPECT_EQ(show.moves, 1) << stallSeconds << " s, " << frameMs << " ms";
            EXPECT_TRUE(kept.log.str().empty());  // a stall is not a lost device
        }
    }
    // A stream moved to another output that loses its place is moved back in step too.
    Kept kept;
    kept.device.movedAt = 30000.0;
    const Show show = kept.play(40.0, 16.7, 30000.0);
    EXPECT_LT(show.backInStepAt, 32000.0);
    EXPECT_EQ(show.moves, 1);
}

// (That a show in step is left alone shows in the single move of each run above, 18 s in step first.)
TEST(MusicKeeper, LeavesADeviceThatNeverComesBackToTheSystemClock)
{
    Kept never;
    never.device.stallFrom = 30000.0;  // and never back
    const Show show = never.play(490.0, 40.0, NEVER);
    // Ran to the end, not frozen at 30 s: the last read, less the first call and the latency.
    EXPECT_NEAR(show.lastRead, 490000.0 - 40.0 - 100.0 - LATENCY_MS, 20.0);
    EXPECT_LE(show.worstStep, MusicClock::MAX_STEP_MS + 1e-9);
    EXPECT_EQ(show.moves, 0);
}

TEST(MusicKeeper, ALostDeviceIsToldOnceRetriedFourTimesASecondAndItsMusicComesBackInStep)
{
    Kept kept;
    auto& [clock, device, log, keeper] = kept;
    device.goneFrom = 20000.0;
    device.backFrom = 26000.0;
    double lastNow = 0;
    bool silentWhileGone = true;
    const Show show = kept.play(40.0, 16.7, 26000.0, [&](double now) {
        lastNow = now;
        if (now > 20500.0 && now < 26000.0)
            silentWhileGone = silentWhileGone && keeper.silent();
    });
    EXPECT_LE(show.worstStep, MusicClock::MAX_STEP_MS + 1e-9);
    EXPECT_FALSE(show.wentBack);
    EXPECT_TRUE(silentWhileGone);
    EXPECT_FALSE(keeper.silent());
    // About four attempts a second while the server is down, not one a frame (some 360).
    EXPECT_GE(device.attempts, 20);
    EXPECT_LE(device.attempts, 28);
    // Back within two seconds of the new device's first call (1.5 s after it opened).
    EXPECT_LT(show.backInStepAt, 27000.0 + 1500.0 + 2000.0);
    EXPECT_NEAR(show.lastRead, lastNow - 100.0 - LATENCY_MS, 20.0);  // the show kept its time meanwhile
    const std::string told = log.str();
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 2) << told;  // gone once, back once
    EXPECT_NE(told.find("went away"), std::string::npos);
}
