// test_musicoutput.cpp -- the audio thread's hook-up to the clock: it lets go of an old clock before
// that clock is freed, and a device of unknown format reports nothing rather than divide by zero.
#include <gtest/gtest.h>

#include <vector>

#include "musicoutput.h"

namespace {

// What a post-mix setter was called with, and which clock the slot held at that moment.
struct SetterCall {
    bool set;
    MusicClock* slotAtCall;
};
std::vector<SetterCall> calls;
std::unique_ptr<MusicClock>* watchedSlot = nullptr;

void recordSetter(void (*callback)(void*, Uint8*, int), void*)
{
    calls.push_back(SetterCall{callback != nullptr, watchedSlot->get()});
}

}  // namespace

TEST(MixerFeed, ANewClockIsFollowedOnlyAfterTheAudioThreadLetGoOfTheOldOne)
{
    std::unique_ptr<MusicClock> slot(new MusicClock(44100, 62));
    MixerFeed feed;
    watchedSlot = &slot;
    calls.clear();
    followClock(slot, std::unique_ptr<MusicClock>(new MusicClock(44100, 62)), feed, 4, recordSetter);
    MusicClock* first = slot.get();
    followClock(slot, std::unique_ptr<MusicClock>(new MusicClock(44100, 62)), feed, 4, recordSetter);
    ASSERT_EQ(calls.size(), 4u);
    // Each time: the callback removed while the old clock still lived, then set for the new one.
    EXPECT_FALSE(calls[2].set);
    EXPECT_EQ(calls[2].slotAtCall, first);
    EXPECT_TRUE(calls[3].set);
    EXPECT_EQ(calls[3].slotAtCall, slot.get());
    EXPECT_EQ(feed.clock, slot.get());
}

TEST(MixerFeed, AFormatOfUnknownSizeReportsNothingAndIsNotFollowed)
{
    EXPECT_EQ(bytesPerAudioFrame(AUDIO_S16LSB, 2), 4);
    EXPECT_EQ(bytesPerAudioFrame(0, 0), 0);  // what Mix_QuerySpec leaves with no device open

    MusicClock clock(44100, 62);
    clock.start(0.0);
    MixerFeed unknown{&clock, 0};
    Uint8 buffer[16] = {};
    reportHanded(&unknown, buffer, sizeof buffer);  // divided by zero before
    EXPECT_FALSE(clock.followingDevice());

    std::unique_ptr<MusicClock> slot;
    watchedSlot = &slot;
    calls.clear();
    followClock(slot, std::unique_ptr<MusicClock>(new MusicClock(44100, 62)), unknown, 0, recordSetter);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].set);  // no callback for a frame size it cannot divide by
}
