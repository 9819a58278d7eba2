// musicoutput.cpp -- the music through SDL_mixer: clock reports, playing from a position, reopening.
#include "musicoutput.h"

#if __has_include(<dlfcn.h>)
#include <dlfcn.h>
#endif

#include "demo.h"

void reportHanded(void* feed, Uint8*, int bytes)
{
    const MixerFeed* handed = static_cast<const MixerFeed*>(feed);
    if (handed->clock && handed->bytesPerFrame > 0)
        handed->clock->handed(static_cast<std::uint64_t>(bytes / handed->bytesPerFrame), monotonicMs());
}

int bytesPerAudioFrame(Uint16 format, int channels)
{
    return channels > 0 ? channels * ((format & 0xff) / 8) : 0;
}

void followClock(std::unique_ptr<MusicClock>& slot, std::unique_ptr<MusicClock> fresh, MixerFeed& feed,
                 int bytesPerFrame, PostMixSetter setPostMix)
{
    setPostMix(nullptr, nullptr);
    slot = std::move(fresh);
    feed = MixerFeed{slot.get(), bytesPerFrame};
    if (bytesPerFrame > 0)
        setPostMix(reportHanded, &feed);
}

MixerOutput::MixerOutput(Mix_Chunk* music, int channel, MusicClock& clock) : music(music), channel(channel), clock(clock)
{
    Mix_QuerySpec(&rate, &format, &channels);
}

MixerOutput::~MixerOutput()
{
    if (attempt.joinable())
        attempt.join();
    if (view)
        Mix_FreeChunk(view);  // stops the channel where the device is open; the track's buffer stays
}

namespace {
// Whether the sound device has stopped. Where SDL 1.2 is a layer over SDL 2 (Debian's), a device
// that SDL 2 has found gone (a sound server restarted) is still said to play through the layer's
// own SDL_GetAudioStatus, and the callbacks go on at the device's pace into nothing: SDL 2
// underneath is asked, where it is loaded.
bool deviceStopped()
{
#if __has_include(<dlfcn.h>)
    using Status = int (*)();
    static const Status underneath = [] {
        void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOLOAD | RTLD_LAZY);
        return sdl2 ? reinterpret_cast<Status>(dlsym(sdl2, "SDL_GetAudioStatus")) : nullptr;
    }();
    if (underneath)
        return underneath() == 0;  // SDL 2's SDL_AUDIO_STOPPED
#endif
    return SDL_GetAudioStatus() == SDL_AUDIO_STOPPED;
}
}  // namespace

bool MixerOutput::lost()
{
    return deviceStopped();
}

void MixerOutput::beginReopen()
{
    if (attempt.joinable())
        attempt.join();
    result = -1;
    attempt = std::thread([this] {
        Mix_CloseAudio();
        if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, MIX_BUFFER_FRAMES) < 0) {
            result = 0;
            return;
        }
        // The music was decoded for the first device's format; another would play it garbled.
        int newRate = 0, newChannels = 0;
        Uint16 newFormat = 0;
        Mix_QuerySpec(&newRate, &newFormat, &newChannels);
        if (newRate != rate || newFormat != format || newChannels != channels) {
            Mix_CloseAudio();
            result = 0;
            return;
        }
        result = 1;
    });
}

int MixerOutput::reopened()
{
    const int outcome = result;
    if (outcome >= 0 && attempt.joinable())
        attempt.join();
    return outcome;
}

void MixerOutput::playFrom(double musicMs, double nowMs)
{
    const int frameBytes = bytesPerAudioFrame(format, channels);
    if (frameBytes == 0 || rate <= 0)
        return;
    const Uint32 frame = musicMs > 0 ? static_cast<Uint32>(musicMs * rate / 1000.0) : 0;
    const Uint64 offset = static_cast<Uint64>(frame) * static_cast<Uint64>(frameBytes);
    // Under the lock the channel and the clock's count start together, at the next buffer mixed.
    SDL_LockAudio();
    Mix_Chunk* previous = view;
    view = nullptr;
    if (offset >= music->alen) {
        Mix_HaltChannel(channel);  // past the end of the music: nothing left to play
    } else if (offset == 0) {
        channel = Mix_PlayChannelTimed(channel, music, -1, -1);
    } else {
        view = Mix_QuickLoad_RAW(music->abuf + offset, music->alen - static_cast<Uint32>(offset));
        channel = Mix_PlayChannelTimed(channel, view, 0, -1);
    }
    if (previous)
        Mix_FreeChunk(previous);  // a view only: the track's own buffer stays
    clock.restart(frame * 1000.0 / rate, nowMs);
    SDL_UnlockAudio();
}
