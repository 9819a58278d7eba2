// calibrate.cpp -- the sync harness's known-good source: once a second a click and a white flash,
// issued together. The click goes to the sound server with a small buffer whose latency the server
// reports, and the flash is swapped in the moment that click reaches the sink; the picture goes
// through SDL and GL like the show's, so the harness measures both with the same instruments.
// usage: bearings-avsync-calibrate SECONDS
#include <pulse/error.h>
#include <pulse/simple.h>
#include <time.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>

#include <SDL/SDL.h>
#include <GL/gl.h>

namespace {
constexpr int RATE = 44100;                   // frames per second
constexpr int CHUNK_FRAMES = RATE / 100;      // 10 ms per write
constexpr int CHUNKS_PER_CLICK = 100;         // a click a second
constexpr int FLASH_CHUNKS = 50;              // the picture stays white for half a second

double monotonicSeconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

void present(float level)
{
    glClearColor(level, level, level, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
}
}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    SDL_Init(SDL_INIT_NOPARACHUTE);
    std::atexit(SDL_Quit);
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(1024, 768, 24, SDL_OPENGL)) {
        std::printf("calibrate: no video: %s\n", SDL_GetError());
        return 1;
    }
    const pa_sample_spec format = {PA_SAMPLE_S16LE, RATE, 2};
    pa_buffer_attr attributes;
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = CHUNK_FRAMES * 4 * 3;  // 30 ms queued: short, so the reported latency is tight
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    pa_simple* sound = pa_simple_new(nullptr, "bearings-avsync-calibrate", PA_STREAM_PLAYBACK, nullptr, "click",
                                     &format, nullptr, &attributes, &error);
    if (!sound) {
        std::printf("calibrate: %s\n", pa_strerror(error));
        return 1;
    }
    static std::int16_t silence[CHUNK_FRAMES * 2], click[CHUNK_FRAMES * 2];
    for (int i = 0; i < CHUNK_FRAMES / 5; ++i)  // a 2 ms square burst at the head of the chunk
        click[2 * i] = click[2 * i + 1] = (i / 10) % 2 ? 20000 : -20000;

    // The flash is on screen when its swap returns; it starts that long before the click is heard.
    double swapSeconds = 0.0;
    auto swap = [&swapSeconds]() {
        const double began = monotonicSeconds();
        SDL_GL_SwapBuffers();
        swapSeconds = monotonicSeconds() - began;
    };
    present(0.0f);
    swap();
    for (int chunk = 0; chunk < seconds * CHUNKS_PER_CLICK; ++chunk) {
        const bool clicking = chunk % CHUNKS_PER_CLICK == CHUNKS_PER_CLICK / 2;
        if (pa_simple_write(sound, clicking ? click : silence, sizeof silence, &error) < 0)
            break;
        if (clicking) {
            // The end of what was just written is heard `latency` from now; the click starts a chunk before.
            const double heard = monotonicSeconds() + pa_simple_get_latency(sound, &error) * 1e-6 - 0.010;
            present(1.0f);
            while (monotonicSeconds() < heard - swapSeconds)
                ;
            swap();
        } else if (chunk % CHUNKS_PER_CLICK == (CHUNKS_PER_CLICK / 2 + FLASH_CHUNKS) % CHUNKS_PER_CLICK) {
            present(0.0f);
            swap();
        }
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT)
                chunk = seconds * CHUNKS_PER_CLICK;
    }
    pa_simple_drain(sound, &error);
    pa_simple_free(sound);
    return 0;
}
