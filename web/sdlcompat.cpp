// sdlcompat.cpp -- memory surfaces decoded in the module, and the frame pacing of the browser.
#define SDLCOMPAT_IMPLEMENTATION
#include "sdlcompat.h"

#include <cstdlib>
#include <cstring>

#include <emscripten.h>
#include <emscripten/html5.h>

extern "C" {
unsigned char* stbi_load(const char* file, int* width, int* height, int* components, int wanted);
void stbi_image_free(void* pixels);
}

namespace {

SDL_PixelFormat rgbaFormat()
{
    SDL_PixelFormat format;
    std::memset(&format, 0, sizeof format);
    format.BitsPerPixel = 32;
    format.BytesPerPixel = 4;
    format.Rmask = 0x000000FF;
    format.Gmask = 0x0000FF00;
    format.Bmask = 0x00FF0000;
    format.Amask = 0xFF000000;
    format.Gshift = 8;
    format.Bshift = 16;
    format.Ashift = 24;
    return format;
}

// A surface and its format in one allocation, pixels in another; freed by webFreeSurface.
struct MemorySurface {
    SDL_Surface surface;
    SDL_PixelFormat format;
};

SDL_Surface* makeSurface(int width, int height)
{
    MemorySurface* memory = static_cast<MemorySurface*>(std::calloc(1, sizeof(MemorySurface)));
    memory->format = rgbaFormat();
    SDL_Surface* surface = &memory->surface;
    surface->format = &memory->format;
    surface->w = width;
    surface->h = height;
    surface->pitch = static_cast<Uint16>(width * 4);
    surface->pixels = std::calloc(static_cast<std::size_t>(width) * height, 4);
    surface->refcount = 1;
    return surface;
}

}  // namespace

EM_ASYNC_JS(void, waitForAnimationFrame, (), {
    await new Promise(function(resolve) { requestAnimationFrame(resolve); });
    if (Module.onPresent) Module.onPresent();
});

EM_JS(int, togglePlayerFullScreen, (), {
    return Module.toggleFullScreen ? Module.toggleFullScreen() : 0;
});

extern "C" {

SDL_Surface* webLoadImage(const char* file)
{
    int width = 0, height = 0, components = 0;
    unsigned char* pixels = stbi_load(file, &width, &height, &components, 4);
    if (!pixels)
        return nullptr;
    SDL_Surface* surface = makeSurface(width, height);
    std::memcpy(surface->pixels, pixels, static_cast<std::size_t>(width) * height * 4);
    stbi_image_free(pixels);
    return surface;
}

SDL_Surface* webCreateRGBSurface(Uint32, int width, int height, int, Uint32, Uint32, Uint32, Uint32)
{
    // Only ever asked for the RGBA byte order every memory surface already has.
    return makeSurface(width, height);
}

SDL_Surface* webConvertSurface(SDL_Surface* source, SDL_PixelFormat*, Uint32)
{
    SDL_Surface* copy = makeSurface(source->w, source->h);
    std::memcpy(copy->pixels, source->pixels, static_cast<std::size_t>(source->w) * source->h * 4);
    return copy;
}

void webFreeSurface(SDL_Surface* surface)
{
    if (!surface)
        return;
    std::free(surface->pixels);
    std::free(reinterpret_cast<MemorySurface*>(surface));
}

int webLockSurface(SDL_Surface*)
{
    return 0;  // memory surfaces are always readable
}

void webUnlockSurface(SDL_Surface*)
{
}

void webSwapBuffers(void)
{
    waitForAnimationFrame();
}

SDL_Surface* webSetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    static SDL_Surface* screen = nullptr;
    if (!screen)
        return screen = SDL_SetVideoMode(width, height, bpp, flags);
    emscripten_set_canvas_element_size("#canvas", width, height);
    screen->w = width;
    screen->h = height;
    return screen;
}

int webToggleFullScreen(SDL_Surface*)
{
    return togglePlayerFullScreen();
}

int webVolumeChunk(Mix_Chunk*, int)
{
    return MIX_MAX_VOLUME;
}

int webGetAudioStatus(void)
{
    return SDL_AUDIO_PLAYING;  // the page follows the music through Web Audio, never a lost device
}

}  // extern "C"
