// warning.cpp -- the photosensitivity warning the live show puts up after loading, before its music.
#include "demo.h"
#include "screen.h"
#include "util.h"

namespace {
// Whether an event ends the warning early: any key but Ctrl+F (which only toggles full screen), or a click.
bool skipsWarning(const SDL_Event& event)
{
    if (event.type == SDL_MOUSEBUTTONDOWN)
        return true;
    if (event.type != SDL_KEYDOWN)
        return false;
    const SDL_keysym& key = event.key.keysym;
    return !(key.sym == SDLK_f && (key.mod & (KMOD_LCTRL | KMOD_RCTRL)));
}
}  // namespace

void Demo::showFlashWarning(int mostMs)
{
    const GLuint texture = loadTexture(imageForPicture("flashwarning.png"));
    // Keys pressed while the show loaded were not an answer to a warning not yet seen: they are
    // dropped, but a quit among them still quits.
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (event.type == SDL_QUIT || (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE))
            running = false;
    const Uint32 began = SDL_GetTicks();
    bool skipped = false;
    while (running && !skipped && SDL_GetTicks() - began < static_cast<Uint32>(mostMs)) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glEnable(GL_TEXTURE_2D);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glBindTexture(GL_TEXTURE_2D, texture);
        const float page[4][4] = {{0.0f, 1.0f, -1.0f, -1.0f}, {0.0f, 0.0f, -1.0f, 1.0f}, {1.0f, 0.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, -1.0f}};
        texturedQuad(page);
        glDisable(GL_TEXTURE_2D);
        SDL_GL_SwapBuffers();
        // Looked at first, then handled as in the show: quit, Escape, Ctrl+F and resizing.
        SDL_Event pending[32];
        SDL_PumpEvents();
        const int count = SDL_PeepEvents(pending, 32, SDL_PEEKEVENT, SDL_ALLEVENTS);
        for (int i = 0; i < count; ++i)
            skipped = skipped || skipsWarning(pending[i]);
        handleEvents();
        SDL_Delay(30);
    }
    // The key that answered the warning is no request to pause or jump.
    requestCount = 0;
}
