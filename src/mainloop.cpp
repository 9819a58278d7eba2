// mainloop.cpp -- playing the show: the frame loop, event handling and the overlay pass.
#include <cmath>

#include "demo.h"
#include "matrix.h"
#include "scene.h"
#include "screen.h"
#include "util.h"

void Demo::run(int fromMs)
{
    FrameLead lead;
    double swapMs = drawUnseenOpening(lead);
    if (fromMs > 0) {
        startPartWay(fromMs, swapMs);
        lead.restartAt(fromMs);
    } else {
        startClockAndMusic(true);
        showOpeningWhenHeard(swapMs);
    }
    while (running) {
        if (playhead.paused()) {
            whilePaused(lead, swapMs);
            continue;
        }
        // Each frame shows the music as it will be heard while the frame is on the screen; the first
        // frame of an entry is held back until its start is heard.
        const double readAt = monotonicMs();
        bool hold = false;
        // Not in the browser: it shows a frame when the page yields to it, which no swap time tells.
        holdShowTime(heardClock ? lead.frameTime(heardMs(readAt))
                                : lead.frameTime(heardMs(readAt), timeline[current + 1].start, hold));
        if (musicKeeper)
            musicKeeper->frame(readAt);  // the music back with the show after a stall or a lost device
        if (!advanceTimeline())
            return;
        handleEvents();
        drawFrame();
        if (readAt < chapterUntil)
            drawChapterLine(chapterUntil);
        double held = 0;
        if (hold)
            held = swapWhenHeard(timeline[current].start, swapMs, lead.delay() + lead.interval());
        else
            SDL_GL_SwapBuffers();
        lead.presented(readAt + held, monotonicMs());
        obeyViewer(lead, swapMs);
    }
}

bool Demo::advanceTimeline()
{
    // One entry per frame at most, so every scene gets its setup and at least one draw.
    if (timeline[current + 1].start <= tempo->elapsed()) {
        current += 1;
        if (!timeline[current].scene)
            return false;
        timeline[current].scene->setup();
    }
    return true;
}

void Demo::handleEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            running = false;
        } else if (event.type == SDL_KEYDOWN) {
            const ViewerAction action = viewerActionFor(event.key.keysym.sym, event.key.keysym.mod);
            if (action == ViewerAction::Quit)
                running = false;
            else if (action == ViewerAction::ToggleFullScreen)
                SDL_WM_ToggleFullScreen(screen);
            else if (action != ViewerAction::None && requestCount < MAX_REQUESTS)
                requests[requestCount++] = action;
        } else if (event.type == SDL_VIDEORESIZE && display.resizable) {
            // SDL 1.2 wants the mode set again at the new size; the picture is laid out afresh.
            display.width = event.resize.w;
            display.height = event.resize.h;
            openDisplay();
        }
    }
}

void Demo::drawFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    timeline[current].scene->draw(*tempo);
    drawOverlays();
    blackenBars();
}

namespace {
// A full-height strip 0.03 wide at x, in the line texture, whose texture slides vertically by g.
void wanderingLine(GLuint texture, float x, float g)
{
    glColor4f(0.2f, 0.2f, 0.2f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, texture);
    const float corners[4][4] = {
        {0.0f, g, x, -1.0f}, {0.0f, g + 1.0f, x, 1.0f}, {1.0f, g + 1.0f, x + 0.03f, 1.0f}, {1.0f, g, x + 0.03f, -1.0f}};
    texturedQuad(corners);
}

// Blob brightness: a sine of the given angular rate (radians per ms), capped at 0.4.
float blobLevel(int t, double radiansPerMs)
{
    float c = static_cast<float>(0.6 * std::sin(t * radiansPerMs));
    if (c > 0.4f)
        c = 0.4f;
    return c;
}

// A glow blob at the given level over the given corners. Half the time its level is not above 0:
// its colour clamps to black and adding it would change no pixel, yet it covers most of the
// screen, so it is not drawn then.
void glowBlob(GLuint texture, float level, const float corners[4][4])
{
    glColor4f(level, level, level, 1.0f);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (level > 0)
        texturedQuad(corners);
}
}

void Demo::drawOverlays()
{
    drawOverlays(randomUnit());  // one random value per frame, before any GL call
}

void Demo::drawOverlays(float g)
{
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    pushFlatMatrices();

    drawOverlayLight(g);
    drawOverlayShade(g);

    glDisable(GL_BLEND);
    popFlatMatrices();
    glDisable(GL_TEXTURE_2D);
}

void Demo::drawOverlayLight(float g)
{
    // Added on: two slow glow blobs (periods 10234 ms and 13043 ms) and two wandering lines.
    glBlendFunc(GL_ONE, GL_ONE);

    const float blobA[4][4] = {{0, 0, -0.5f, -1}, {1, 0, 2, -1}, {1, 1, 2, 2}, {0, 1, -0.5f, 2}};
    glowBlob(blobTexture, blobLevel(tempo->elapsed(), 0.0006139520526675786), blobA);
    const float blobB[4][4] = {{0, 0, 0.5f, 1}, {1, 0, -2, 1}, {1, 1, -2, -2}, {0, 1, 0.5f, -2}};
    glowBlob(blobTexture, blobLevel(tempo->elapsed(), 0.0004817285369163536), blobB);

    if ((tempo->elapsed() / 2137) % 2 == 1)
        wanderingLine(lineTexture,
                      static_cast<float>(0.8 * std::sin(tempo->elapsed() * 0.001) +
                                         0.1 * std::sin(tempo->elapsed() * 0.0033222591362126247)),
                      g);
    if ((tempo->elapsed() / 5422) % 2 == 1)
        wanderingLine(lineTexture,
                      static_cast<float>(0.1 * std::sin(tempo->elapsed() * 0.0018832391713747645) +
                                         0.8 * std::sin(tempo->elapsed() * 0.0005875440658049354)),
                      g);
}

float letterboxLevel(int t, bool gentle)
{
    const double depth = gentle ? 0.02 : 0.1;
    return static_cast<float>(depth * std::sin(t * static_cast<double>(0.06666667f)) + 1.0);
}

void Demo::drawOverlayShade(float g)
{
    // Multiplied in: a flickering letterbox mask, then the grain.
    const float m = letterboxLevel(tempo->elapsed(), gentle);
    glColor4f(m, m, m, 1.0f);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    glBindTexture(GL_TEXTURE_2D, letterboxTexture);
    const float letterbox[4][4] = {{0, 0, -1, -1}, {1, 0, 1, -1}, {1, 1, 1, 1}, {0, 1, -1, 1}};
    texturedQuad(letterbox);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, noiseTexture);
    const float grain[4][4] = {{g, g, -1, -1}, {g + 3, g, 1, -1}, {g + 3, g + 4, 1, 1}, {g, g + 4, -1, 1}};
    texturedQuad(grain);
}
