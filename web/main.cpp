// main.cpp -- the show in a browser page: the start click, the music-led clock, the virtual clock.
//
// Two ways in, chosen by the page: the show itself once the viewer has clicked (browsers allow
// sound only after a gesture), timed by the music as it is heard; or, for comparisons with the
// native capture tool, every frame from 0 on the same virtual clock up to one requested frame,
// which is handed to the page.
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <vector>

#include <emscripten.h>
#include <SDL/SDL.h>

#include "demo.h"
#include "exception.h"
#include "framegrid.h"
#include "heldticks.h"
#include "picture.h"
#include "seek.h"
#include "timeline.h"

namespace {

const Demo* liveDemo = nullptr;  // the show playing to the viewer, for the page's record of frames

}  // namespace

// What the page asked for: frame times (ms, ascending; none for the show), and the frame rate
// (frames per second) of the virtual clock.
EM_JS(int, requestedFrameCount, (), { return Module.request ? Module.request.atMs.length : 0; });
EM_JS(int, requestedFrameMs, (int i), { return Module.request.atMs[i]; });
EM_JS(int, requestedFps, (), { return Module.request ? Module.request.fps : 60; });
// The canvas size the page wants the show drawn at (the window's size in device pixels), or 0 for
// the show's own 1024x768 (frame mode, whose frames are compared with the native tool's).
EM_JS(int, requestedOutputWidth, (), { return Module.outputSize ? Module.outputSize().width : 0; });
EM_JS(int, requestedOutputHeight, (), { return Module.outputSize ? Module.outputSize().height : 0; });

// Whether the page's gentle switch is on: the show kept below the photosensitive flash limits.
EM_JS(int, requestedGentle, (), { return Module.gentle ? Module.gentle() : 0; });

// Sleeps until the page's start screen is clicked.
EM_ASYNC_JS(void, waitForStartClick, (), {
    await new Promise(function(resolve) { Module.whenStarted(resolve); });
});

// The music's position as heard, in ms, from the page: 0 until the track plays.
EM_JS(double, musicHeardMs, (), { return Module.musicPosition(); });
// The viewer's keys move the music: the page stops it, or plays it from a show time (ms) on, through
// Web Audio; its heard position then counts from there.
EM_JS(void, stopPageMusic, (), { Module.stopMusic(); });
EM_JS(void, playPageMusicFrom, (double showMs), { Module.playMusicFrom(showMs); });

// Hands a finished frame (RGBA rows, bottom row first, as GL reads them) and the per-entry frame
// times (ms of wall time, flattened with counts) to the page.
EM_JS(void, reportFrame, (const unsigned char* rgba, int width, int height, int atMs), {
    Module.onFrame(HEAPU8.slice(rgba, rgba + width * height * 4), width, height, atMs);
});
EM_JS(void, reportFrameTime, (int entry, double ms), { Module.onFrameTime(entry, ms); });
EM_JS(void, reportEnd, (int status, const char* message), { Module.onEnd(status, UTF8ToString(message)); });

// The show time (ms) the frame being presented was drawn for; -1 outside the show. The page pairs it
// with the music heard as the frame reaches the screen.
extern "C" EMSCRIPTEN_KEEPALIVE int bearingsShowMs()
{
    return liveDemo ? liveDemo->tempo->elapsed() : -1;
}

// The start (ms) of the running order's entry, or -1 past its end: the page's tests find where a
// jump leads.
extern "C" EMSCRIPTEN_KEEPALIVE int bearingsEntryStartMs(int entry)
{
    if (!liveDemo || entry < 0 || entry >= static_cast<int>(liveDemo->timeline.size()))
        return -1;
    return liveDemo->timeline[static_cast<std::size_t>(entry)].start;
}

namespace {

// Plays every frame from 0 on the virtual clock, as the native capture tool does: frame n shows
// floor(n * 1000 / fps) ms, and the frame at a requested time is the one on screen then. The others
// only run, without their pixels, so each requested frame is the one a full play shows; each is
// handed to the page. One play reaches them all.
void playToFrames(Demo& demo, std::vector<int> atMs, int fps)
{
    const int showEnd = demo.timeline.back().start;
    const FrameGrid grid{fps};
    std::vector<long> wanted;
    for (int at : atMs)
        wanted.push_back(grid.lastAtOrBefore(std::min(at, showEnd - 1)));
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    const long lastFrame = wanted.back();

    Tempo::setTickSource(heldTicks);
    holdTicks(0);
    demo.startClockAndMusic(false);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(DESIGN_WIDTH) * DESIGN_HEIGHT * 4);
    for (long frame = 0; frame <= lastFrame && demo.running; ++frame) {
        holdTicks(static_cast<std::uint32_t>(grid.timeOf(frame)));
        const double began = emscripten_get_now();
        if (!demo.advanceTimeline())
            break;
        demo.handleEvents();
        if (!std::binary_search(wanted.begin(), wanted.end(), frame)) {
            drawSkippedFrame(demo);
            continue;
        }
        demo.drawFrame();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, DESIGN_WIDTH, DESIGN_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        reportFrame(rgba.data(), DESIGN_WIDTH, DESIGN_HEIGHT, grid.timeOf(frame));
        SDL_GL_SwapBuffers();
        reportFrameTime(demo.currentEntry(), emscripten_get_now() - began);
    }
}

}  // namespace

int main(int, char**)
{
    SDL_Init(SDL_INIT_NOPARACHUTE);
    std::vector<int> atMs;
    for (int i = 0; i < requestedFrameCount(); ++i)
        atMs.push_back(requestedFrameMs(i));
    if (atMs.empty())
        waitForStartClick();
    try {
        DisplayRequest display;
        if (requestedOutputWidth() > 0)
            display = DisplayRequest{requestedOutputWidth(), requestedOutputHeight(), false, true};
        Demo* demo = new Demo(display, requestedGentle() != 0);
        if (!atMs.empty()) {
            playToFrames(*demo, atMs, std::max(1, requestedFps()));
        } else {
            demo->heardClock = musicHeardMs;
            demo->stopHeardMusic = stopPageMusic;
            demo->playHeardMusicFrom = playPageMusicFrom;
            liveDemo = demo;
            demo->run();
            liveDemo = nullptr;
        }
        delete demo;
    } catch (Exception e) {
        std::cout << e.getMessage() << std::endl;
        reportEnd(1, e.getMessage().c_str());
        return 1;
    }
    reportEnd(0, "");
    return 0;
}
