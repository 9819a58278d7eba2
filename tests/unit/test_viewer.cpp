// test_viewer.cpp -- the viewer's hands on the live show: which key asks for what, where jumps and
// frame steps lead, and the show position and frames across a pause and a seek against a simulated
// sound device.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "musicclock.h"
#include "runningorder.h"
#include "sounddevice.h"
#include "viewer.h"

namespace {

// The entries' start times (ms) and the show's end, from the running order.
std::vector<int> showStarts()
{
    std::vector<int> starts;
    for (const TimelineRow& row : timelineRows())
        starts.push_back(row.startBar * BEATS_PER_BAR * 60000 / SHOW_BPM);
    starts.push_back(SHOW_BARS * BEATS_PER_BAR * 60000 / SHOW_BPM);
    return starts;
}

// Plays a clock started at device.startMs up to untilMs, reading every 20 ms as a frame loop would,
// and returns the last show position read; the lowest read lands in lowest.
double playUntil(MusicClock& clock, const Device& device, const Playhead& playhead, double untilMs, double& lowest)
{
    std::int64_t next = 0;
    double position = 0;
    lowest = HUGE_VAL;
    for (double now = device.startMs; now <= untilMs; now += 20) {
        while (device.dueMs(next) <= now)
            clock.handed(BUFFER, device.dueMs(next++));
        position = playhead.position(clock.read(now));
        lowest = std::min(lowest, position);
    }
    return position;
}

}  // namespace

// (Escape, Space, Right, Left and Home are pressed in the running show by test_viewer.sh.)
TEST(ViewerKeys, EachKeyAsksForItsActionAndOthersForNothing)
{
    const std::tuple<SDLKey, SDLMod, ViewerAction> cases[] = {
        {SDLK_f, KMOD_LCTRL, ViewerAction::ToggleFullScreen},
        {SDLK_f, KMOD_RCTRL, ViewerAction::ToggleFullScreen},
        {SDLK_f, KMOD_NONE, ViewerAction::None},  // F alone does nothing
        {SDLK_f, KMOD_LSHIFT, ViewerAction::None},
        {SDLK_PAGEDOWN, KMOD_NONE, ViewerAction::NextEntry},
        {SDLK_PAGEUP, KMOD_NONE, ViewerAction::PreviousEntry},
        {SDLK_COMMA, KMOD_NONE, ViewerAction::StepBack},
        {SDLK_PERIOD, KMOD_NONE, ViewerAction::StepForward},
        {SDLK_END, KMOD_NONE, ViewerAction::None},
        {SDLK_q, KMOD_NONE, ViewerAction::None},
        {SDLK_RETURN, KMOD_NONE, ViewerAction::None},
    };
    for (auto [key, mod, action] : cases)
        EXPECT_EQ(viewerActionFor(key, mod), action) << "key " << key << " with modifiers " << mod;
}

TEST(ViewerJumps, LeadToTheStartsOfTheEntriesAroundTheOnePlayingAndStepsToTheNextFrameOfTheGrid)
{
    const std::vector<int> starts = showStarts();
    // In the forest (212 s to 300 s), before and after its board and the border.
    EXPECT_EQ(actionTarget(ViewerAction::NextEntry, starts, 250000), 300000);
    EXPECT_EQ(actionTarget(ViewerAction::PreviousEntry, starts, 250000), 204000);
    EXPECT_EQ(actionTarget(ViewerAction::ToStart, starts, 250000), 0);
    // Exactly at an entry's start that entry is the one playing.
    EXPECT_EQ(actionTarget(ViewerAction::PreviousEntry, starts, 212000), 204000);
    EXPECT_EQ(actionTarget(ViewerAction::NextEntry, starts, 212000), 300000);
    EXPECT_EQ(actionTarget(ViewerAction::NextEntry, starts, 211999), 212000);
    // At the ends: back from the first entry is its own start; on from the last leads nowhere.
    EXPECT_EQ(actionTarget(ViewerAction::PreviousEntry, starts, 5000), 0);
    EXPECT_EQ(actionTarget(ViewerAction::NextEntry, starts, 480000), -1);
    EXPECT_EQ(actionTarget(ViewerAction::PreviousEntry, starts, 480000), 456000);
    // Pausing and the keys handled elsewhere lead nowhere.
    EXPECT_EQ(actionTarget(ViewerAction::PauseResume, starts, 250000), -1);
    EXPECT_EQ(actionTarget(ViewerAction::Quit, starts, 250000), -1);

    // The entry playing, never the end.
    const std::pair<double, int> entries[] = {{0, 0}, {13999, 0}, {14000, 1}, {299999, 11}, {489999, 20}, {490000, 20}, {-5, 0}};
    for (auto [ms, entry] : entries)
        EXPECT_EQ(entryAt(starts, ms), entry) << ms;

    // Frame steps move one frame of the step grid from the frame on screen. At 60 frames a second frame n shows floor(n * 1000 / 60) ms: 1000 is frame 60.
    EXPECT_EQ(actionTarget(ViewerAction::StepForward, starts, 1000), 1016);
    EXPECT_EQ(actionTarget(ViewerAction::StepBack, starts, 1000), 983);
    // Between two frames the one on screen is the earlier: steps go from it.
    EXPECT_EQ(actionTarget(ViewerAction::StepForward, starts, 1010), 1016);
    EXPECT_EQ(actionTarget(ViewerAction::StepBack, starts, 1010), 983);
    // Steps cross entry starts like any frame, but not the show's ends.
    EXPECT_EQ(actionTarget(ViewerAction::StepBack, starts, 212000), 211983);
    EXPECT_EQ(actionTarget(ViewerAction::StepBack, starts, 0), -1);
    EXPECT_EQ(actionTarget(ViewerAction::StepForward, starts, 489983), -1);
    // A step back and one forward come back to the same frame, anywhere in the show.
    for (int ms = 16; ms < 490000; ms += 7919) {
        const double frame = viewerFrameMs(viewerFrameAtOrBefore(ms));
        EXPECT_EQ(actionTarget(ViewerAction::StepForward, starts, actionTarget(ViewerAction::StepBack, starts, ms)), frame) << ms;
    }
}

TEST(ViewerClock, StandsStillWhilePausedAndGoesOnFromThereWhenTheMusicIsStartedAgain)
{
    // Played from the start for 30 s, paused at the position then, resumed 10 s later with the music
    // restarted from that position (a new clock, as the show makes one for each start).
    Playhead playhead;
    MusicClock first(RATE, LATENCY_MS);
    const Device before{0, 1000};
    first.start(before.startMs);
    playhead.playFrom(0);
    double lowest = 0;
    const double pausedAt = playUntil(first, before, playhead, 31000, lowest);
    EXPECT_NEAR(pausedAt, before.heardMs(31000), 3.0);
    playhead.pause(pausedAt);
    for (double now = 31000; now < 41000; now += 500)
        EXPECT_EQ(playhead.position(first.read(now)), pausedAt) << "paused, at " << now;

    MusicClock resumed(RATE, LATENCY_MS);
    const Device after{0, 41000};
    resumed.start(after.startMs);
    playhead.playFrom(pausedAt);
    const double position = playUntil(resumed, after, playhead, 61000, lowest);
    // It waits at the pause (less the device's latency) for the music to come, then follows it.
    EXPECT_GE(lowest, pausedAt - LATENCY_MS);
    EXPECT_NEAR(position, pausedAt + after.heardMs(61000), 3.0);
}

// The show position after a restart of the music at the entry is the resume above; the frames drawn
// from it must follow it there rather than hold at the later frames drawn before the jump.
TEST(ViewerClock, ASeekBackStartsTheFramesFromTheEntry)
{
    // Frames of 40 ms learned at 310 s, then Left twice: the music restarted at the forest's start, 212 s.
    FrameLead lead;
    for (int i = 0; i < 20; ++i) {
        lead.frameTime(310000 + 40.0 * i);
        lead.presented(1000 + 40.0 * i, 1030 + 40.0 * i);
    }
    lead.restartAt(212000);
    // While the music is on its way the position reads the entry less the latency (more than the lead
    // of some 50 ms): the frame is held at the entry, not drawn before it.
    EXPECT_DOUBLE_EQ(lead.frameTime(212000 - LATENCY_MS), 212000);
    EXPECT_DOUBLE_EQ(lead.frameTime(212900), 212900 + lead.lead());
}
