// demo.cpp -- start-up behind the loading screen, the timeline build and the shutdown sequence.
#include "demo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "exception.h"
#include "scene.h"
#include "screen.h"
#include "util.h"

Demo::Demo(const DisplayRequest& display, bool gentle, MusicUse musicUse)
    : gentle(gentle), tempo(nullptr), running(false), bar(0), progress(0), screen(nullptr), music(nullptr),
      letterboxTexture(0), noiseTexture(0), lineTexture(0), blobTexture(0), loadingTexture(0),
      chapterTexture(0), heardClock(nullptr), current(-1), initialised(false), display(display)
{
    try {
        init(musicUse);
        initialised = true;
        running = true;
        bar = 0;
        tempo = new Tempo(SHOW_BPM, 0);
        buildTimeline();
        letterboxTexture = loadTexture(imageForPicture("letterbox.bmp"));
        noiseTexture = loadTexture("noise.bmp");
        lineTexture = loadTexture("line.png");
        blobTexture = loadTexture("blob.png");
        chapterTexture = loadTexture("chapters.png");
    } catch (...) {
        // The destructor does not run for a failed constructor: free what was built so far. SDL
        // itself is left to the SDL_Quit registered at exit.
        for (TimelineEntry& entry : timeline)
            delete entry.scene;
        if (music)
            Mix_FreeChunk(music);
        delete tempo;
        throw;
    }
}

Demo::Demo(Unloaded)
    : gentle(false), tempo(new Tempo(SHOW_BPM, 0)), running(true), bar(0), progress(0), screen(nullptr), music(nullptr),
      letterboxTexture(0), noiseTexture(0), lineTexture(0), blobTexture(0), loadingTexture(0),
      chapterTexture(0), heardClock(nullptr), current(-1), initialised(false)
{
}

void Demo::init(MusicUse musicUse)
{
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0)
        THROW_EXCEPTION("SDL_Init failed");
    if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, MIX_BUFFER_FRAMES) < 0)
        THROW_EXCEPTION("Mix_OpenAudio failed");
    // With no display SDL falls back to a driver that draws nowhere, and the show would play unseen
    // and end as a success; a driver the user named is their choice.
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    if (choseInvisibleDriver(std::getenv("SDL_VIDEODRIVER"), driver))
        THROW_EXCEPTION("Failed to set video mode");
    openDisplay();
    SDL_ShowCursor(SDL_DISABLE);
    loadingTexture = loadTexture(imageForPicture("loading.png"));
    drawLoadingScreen();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glClearColor(0, 0, 0, 1);
    if (musicUse == MusicUse::Unused)
        return;
    music = Mix_LoadWAV_RW(SDL_RWFromFile("music.ogg", "rb"), 1);
    if (!music)
        THROW_EXCEPTION("Failed to load music");
    Mix_VolumeChunk(music, 128);
}

namespace {
// The largest output (pixels each way) this GL can draw into: its viewport and texture limits.
// Needs a current GL context.
void drawableLimit(int& width, int& height)
{
    GLint viewportLimit[2] = {0, 0};
    GLint textureLimit = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewportLimit);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureLimit);
    width = std::min(viewportLimit[0], textureLimit);
    height = std::min(viewportLimit[1], textureLimit);
}

std::string tooLarge(int width, int height, int limitWidth, int limitHeight)
{
    return "A " + std::to_string(width) + "x" + std::to_string(height) + " picture is larger than this OpenGL can draw (at most " +
           std::to_string(limitWidth) + "x" + std::to_string(limitHeight) + ")";
}
}  // namespace

void Demo::openDisplay()
{
    const Uint32 flags = SDL_HWSURFACE | SDL_OPENGL | (display.fullScreen ? SDL_FULLSCREEN : 0) |
                         (display.resizable ? SDL_RESIZABLE : 0);
    if (display.width == 0 || display.height == 0) {
        // The desktop's own resolution, as SDL finds it before any mode is set.
        const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
        if (!desktop || desktop->current_w <= 0 || desktop->current_h <= 0)
            THROW_EXCEPTION("Failed to set video mode");
        display.width = desktop->current_w;
        display.height = desktop->current_h;
    }
    int limitWidth = 0, limitHeight = 0;
    screen = SDL_SetVideoMode(display.width, display.height, 24, flags);
    if (!screen) {
        // Say why when the size is beyond GL's limits, which a small window can tell.
        if (SDL_SetVideoMode(64, 48, 24, SDL_HWSURFACE | SDL_OPENGL)) {
            drawableLimit(limitWidth, limitHeight);
            if (display.width > limitWidth || display.height > limitHeight)
                THROW_EXCEPTION(tooLarge(display.width, display.height, limitWidth, limitHeight));
        }
        THROW_EXCEPTION("Failed to set video mode");
    }
    // A picture larger than GL can address would come out cut or garbled: refuse it instead.
    drawableLimit(limitWidth, limitHeight);
    if (screen->w > limitWidth || screen->h > limitHeight)
        THROW_EXCEPTION(tooLarge(screen->w, screen->h, limitWidth, limitHeight));
    outputChanged(screen->w, screen->h);
}

void Demo::outputChanged(int width, int height)
{
    setOutputSize(width, height);  // resets the point size and line width
    if (current >= 0 && timeline[current].scene)
        timeline[current].scene->setSizes();
}

bool choseInvisibleDriver(const char* requestedDriver, const char* chosenDriver)
{
    if (requestedDriver && *requestedDriver)
        return false;
    return std::strcmp(chosenDriver, "offscreen") == 0 || std::strcmp(chosenDriver, "dummy") == 0;
}

void Demo::buildTimeline()
{
    for (const TimelineRow& row : timelineRows()) {
        Scene* item = createScene(row, gentle);
        bar = row.startBar;
        timeline.push_back(TimelineEntry{item, tempo->beatsToMs(bar * BEATS_PER_BAR)});
        progress += 1;
        drawLoadingScreen();
    }
    bar = SHOW_BARS;
    timeline.push_back(TimelineEntry{nullptr, tempo->beatsToMs(bar * BEATS_PER_BAR)});
    progress += 1;
    drawLoadingScreen();
}

void Demo::drawLoadingScreen()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);

    // The grey bar grows outwards from the centre; it shows where the image is transparent.
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    const float a = static_cast<float>(progress * 0.05);
    glBegin(GL_QUADS);
        glVertex3f(-a, -0.1f, 0.0f);
        glVertex3f(-a, 0.1f, 0.0f);
        glVertex3f(a, 0.1f, 0.0f);
        glVertex3f(a, -0.1f, 0.0f);
    glEnd();

    // Only the left 70 % of the image's width is stretched over the screen, upright.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, loadingTexture);
    const float image[4][4] = {{0.0f, 1.0f, -1.0f, -1.0f}, {0.0f, 0.0f, -1.0f, 1.0f}, {0.7f, 0.0f, 1.0f, 1.0f}, {0.7f, 1.0f, 1.0f, -1.0f}};
    texturedQuad(image);
    glDisable(GL_BLEND);

    if (screen)  // an Unloaded demo has no window to present to
        SDL_GL_SwapBuffers();
}

Demo::~Demo()
{
    for (TimelineEntry& entry : timeline)
        delete entry.scene;
    if (initialised) {
        musicKeeper.reset();
        musicOutput.reset();  // an attempt to open the device again ends first; its view of the music goes
        Mix_SetPostMix(nullptr, nullptr);  // before the clock it reports to goes
        if (musicFrom)
            Mix_FreeChunk(musicFrom);  // only the view: its samples are the music's
        if (music)
            Mix_FreeChunk(music);
        Mix_CloseAudio();
        SDL_Quit();
    }
    delete tempo;
}
