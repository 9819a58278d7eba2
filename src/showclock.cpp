// showclock.cpp -- the live show's clock: the music started with the audio device's reports fed to
// the music clock, and the show time held for each frame.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "demo.h"

namespace {

// Show time (ms) that run() holds for the frame being drawn; what the Tempo reads during the show.
std::uint32_t frameTicks = 0;

std::uint32_t heldFrameTicks()
{
    return frameTicks;
}

// What the mixer's callback needs to report to the clock.
struct DeviceFeed {
    MusicClock* clock;
    int bytesPerFrame;
};
DeviceFeed feed = {nullptr, 4};

// Runs on the audio thread after the mixer filled the device's buffer: the whole buffer goes out now.
void countHanded(void* userData, Uint8*, int bytes)
{
    const DeviceFeed* handed = static_cast<const DeviceFeed*>(userData);
    handed->clock->handed(static_cast<std::uint64_t>(bytes / handed->bytesPerFrame), monotonicMs());
}

}  // namespace

void Demo::holdShowTime(double showMs)
{
    frameTicks = showMs > 0 ? static_cast<std::uint32_t>(showMs) : 0;
}

void Demo::followMusic(int channel)
{
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    char driver[32] = "";
    SDL_AudioDriverName(driver, sizeof driver);
    musicClock.reset(new MusicClock(rate > 0 ? rate : 44100,
                                    deviceLatencyMs(driver, std::getenv("BEARINGS_AUDIO_LATENCY_MS"), MIX_BUFFER_FRAMES, rate)));
    // Drivers that play to nowhere keep time by sleeping, not by a listener: the system clock is as good.
    if (channel < 0 || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0) {
        musicClock->systemOnly(monotonicMs());
        return;
    }
    feed = DeviceFeed{musicClock.get(), channels * ((format & 0xff) / 8)};
    musicClock->start(monotonicMs());
    Mix_SetPostMix(countHanded, &feed);
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
        Tempo::setTickSource(heldFrameTicks);
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
    frameTicks = 0;
    Tempo::setTickSource(heldFrameTicks);
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
    // A chunk that views the decoded music from the frame at showMs on: nothing is copied, and the
    // clock counts that chunk's frames, so the heard position is showMs plus what it reads.
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    const Uint32 frameBytes = static_cast<Uint32>(channels * ((format & 0xff) / 8));
    const Uint32 frames = frameBytes > 0 ? music->alen / frameBytes : 0;
    const Uint32 first = std::min(frames, static_cast<Uint32>(std::max(0.0, showMs) * rate / 1000));
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
    Tempo::setTickSource(heldFrameTicks);
    tempo->start();
    drawAt(static_cast<int>(showMs));
    playMusicFrom(showMs);
    swapWhenHeard(showMs, swapMs, HUGE_VAL);
}
