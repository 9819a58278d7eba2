// showclock.cpp -- the live show's clock: the music started with the audio device's reports fed to
// the music clock, and the show time held for each frame.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "demo.h"
#include "heldticks.h"
#include "musicoutput.h"

void Demo::holdShowTime(double showMs)
{
    holdTicks(showMs > 0 ? static_cast<std::uint32_t>(showMs) : 0);
}

void Demo::followMusic(int channel)
{
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    char driver[32] = "";
    SDL_AudioDriverName(driver, sizeof driver);
    std::unique_ptr<MusicClock> fresh(new MusicClock(rate > 0 ? rate : 44100,
                                      deviceLatencyMs(driver, std::getenv("BEARINGS_AUDIO_LATENCY_MS"), MIX_BUFFER_FRAMES, rate)));
    // Drivers that play to nowhere keep time by sleeping, not by a listener: the system clock is as good.
    // So does a device whose format is not known, as its reports cannot be counted in frames.
    const int frameBytes = bytesPerAudioFrame(format, channels);
    const bool systemOnly = channel < 0 || frameBytes == 0 || std::strcmp(driver, "dummy") == 0 ||
                            std::strcmp(driver, "disk") == 0;
    if (systemOnly)
        fresh->systemOnly(monotonicMs());
    else
        fresh->start(monotonicMs());
    musicKeeper.reset();
    musicOutput.reset();
    followClock(musicClock, std::move(fresh), musicFeed, systemOnly ? 0 : frameBytes);
    if (systemOnly)
        return;
    // After a seek the channel plays a view of the music from there on, which the clock counts from
    // its start: the keeper restarts within that view, so that its positions are the clock's.
    musicOutput.reset(new MixerOutput(musicFrom ? musicFrom : music, channel, *musicClock));
    musicKeeper.reset(new MusicKeeper(*musicOutput, *musicClock, std::cerr));
}

double Demo::heardMs(double nowMs)
{
    if (heardClock)
        return heardClock();
    return playhead.position(musicClock->read(nowMs));
}

double Demo::drawUnseenOpening(FrameLead& lead)
{
    // The first use of every texture, state and buffer swap costs far more than a frame; the second
    // frame is what the lead starts from. The loading screen is drawn again over each, so the viewer
    // sees nothing change.
    double swapMs = 0;
    for (int i = 0; i < 2; ++i) {
        holdShowTime(0);
        Tempo::setTickSource(heldTicks);
        startClockAndMusic(false);
        const double readAt = monotonicMs();
        advanceTimeline();
        drawFrame();
        glFinish();
        const double drawn = monotonicMs();
        drawLoadingScreen();
        swapMs = monotonicMs() - drawn;
        if (i == 1)
            lead.presented(readAt, drawn + swapMs);
    }
    return swapMs;
}

void Demo::showOpeningWhenHeard(double& swapMs)
{
    // Drawn while the music is on its way and swapped in as its first note is heard: whatever a frame
    // costs, the show starts on the beat. Until then the loading screen stays up.
    holdShowTime(0);
    advanceTimeline();
    drawFrame();
    swapWhenHeard(0, swapMs, HUGE_VAL);
}

double Demo::swapWhenHeard(double showMs, double& swapMs, double mostMs)
{
    glFinish();
    const double began = monotonicMs();
    double now = began;
    while (running && heardMs(now) < showMs - swapMs && now - began < mostMs) {
        handleEvents();
        SDL_Delay(1);
        now = monotonicMs();
    }
    SDL_GL_SwapBuffers();
    // What this swap took, to time the next one better.
    swapMs += 0.5 * (monotonicMs() - now - swapMs);
    return now - began;
}

void Demo::startClockAndMusic(bool playMusic)
{
    current = -1;
    if (!playMusic) {
        tempo->start();
        return;
    }
    holdTicks(0);
    Tempo::setTickSource(heldTicks);
    tempo->start();
    if (heardClock) {
        Mix_PlayChannelTimed(-1, music, -1, -1);
        return;
    }
    // The channel starts at the head of the next buffer the mixer fills; counting from that buffer on,
    // and no earlier, makes the count the music's own frames.
    SDL_LockAudio();
    followMusic(Mix_PlayChannelTimed(-1, music, -1, -1));  // loops forever; a silent show still runs
    SDL_UnlockAudio();
}

void Demo::playMusicFrom(double showMs)
{
    if (playHeardMusicFrom) {
        playHeardMusicFrom(showMs);
        playhead.playFrom(showMs);
        return;
    }
    // A chunk that views the decoded music from the frame at showMs on: nothing is copied, and the
    // clock counts that chunk's frames, so the heard position is showMs plus what it reads.
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    const Uint32 frameBytes = static_cast<Uint32>(channels * ((format & 0xff) / 8));
    const Uint32 frames = frameBytes > 0 ? music->alen / frameBytes : 0;
    const Uint32 first = std::min(frames, static_cast<Uint32>(std::max(0.0, showMs) * rate / 1000));
    // The keeper and its output go first, outside the audio lock: an attempt to open the device
    // again may be running, and they wait for it; the output also plays the view freed below.
    musicKeeper.reset();
    musicOutput.reset();
    SDL_LockAudio();
    stopMusic();
    if (musicFrom)
        Mix_FreeChunk(musicFrom);
    musicFrom = Mix_QuickLoad_RAW(music->abuf + first * frameBytes, (frames - first) * frameBytes);
    playhead.playFrom(rate > 0 ? 1000.0 * first / rate : showMs);
    followMusic(musicFrom ? Mix_PlayChannelTimed(-1, musicFrom, 0, -1) : -1);
    SDL_UnlockAudio();
}

void Demo::stopMusic()
{
    if (stopHeardMusic) {
        stopHeardMusic();
        return;
    }
    // The report callback goes first: it feeds the clock that followMusic is about to replace.
    SDL_LockAudio();
    Mix_SetPostMix(nullptr, nullptr);
    Mix_HaltChannel(-1);
    SDL_UnlockAudio();
}

void Demo::startPartWay(double showMs, double& swapMs)
{
    // As the opening does from 0: the show brought to showMs behind the loading screen, its frame
    // drawn while the music is on its way and swapped in as that moment is heard.
    holdShowTime(0);
    Tempo::setTickSource(heldTicks);
    tempo->start();
    drawAt(static_cast<int>(showMs));
    playMusicFrom(showMs);
    swapWhenHeard(showMs, swapMs, HUGE_VAL);
}
