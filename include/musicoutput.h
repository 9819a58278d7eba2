// musicoutput.h -- the music through SDL_mixer: the audio thread's reports to the clock, the music
// played from any position, and the device opened again after it went away.
#pragma once

#include <SDL/SDL_mixer.h>

#include <atomic>
#include <memory>
#include <thread>

#include "musickeeper.h"

// What the mixer's post-mix callback reports to.
struct MixerFeed {
    MusicClock* clock = nullptr;
    int bytesPerFrame = 0;  // of the device's format; 0 when it is not known: nothing is reported
};

// The post-mix callback, on the audio thread: the whole buffer the mixer filled goes out now.
void reportHanded(void* feed, Uint8* stream, int bytes);

// Bytes in one frame of an SDL audio format with `channels` channels; 0 for no format.
int bytesPerAudioFrame(Uint16 format, int channels);

using PostMixSetter = void (*)(void (*)(void*, Uint8*, int), void*);

// Makes `fresh` the clock the audio thread reports to, in place of the one in `slot`. The callback
// is removed first (which waits for a running one), so the audio thread has let go of the old clock
// before it is freed; it is set again only with a known frame size.
void followClock(std::unique_ptr<MusicClock>& slot, std::unique_ptr<MusicClock> fresh, MixerFeed& feed,
                 int bytesPerFrame, PostMixSetter setPostMix = Mix_SetPostMix);

// The music chunk on its mixer channel, for the keeper. The main thread makes no other SDL_mixer
// call while an attempt to open the device again runs on its own thread.
class MixerOutput : public MusicOutput {
public:
    // music: the whole track, decoded for the device open now; channel: where it plays.
    MixerOutput(Mix_Chunk* music, int channel, MusicClock& clock);
    ~MixerOutput() override;  // waits for an attempt in progress; frees the chunk view

    bool lost() override;
    void beginReopen() override;
    int reopened() override;
    void playFrom(double musicMs, double nowMs) override;

private:
    Mix_Chunk* music;
    Mix_Chunk* view = nullptr;     // the part of music from the position last played, or null
    int channel;
    MusicClock& clock;
    int rate = 0;                  // frames per second of the device the music was decoded for
    Uint16 format = 0;
    int channels = 0;
    std::thread attempt;           // an attempt to open the device again, while it runs
    std::atomic<int> result{-1};   // its outcome: -1 running, 0 failed, 1 open
};
