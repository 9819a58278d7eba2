// sdlcompat.h -- the few SDL 1.2 calls whose browser versions would change the show, replaced.
//
// Included from gl.h in the web build only. The browser's SDL keeps surfaces in 2D canvases, whose
// premultiplied alpha rounds the colour of translucent texels, so images are decoded into plain
// memory surfaces instead. Its mixer has no chunk volume; the show only ever asks for full volume.
// A buffer swap waits for the browser's next animation frame, which lets the page draw while the
// show's loops keep their native shape. Setting the video mode again (the page was resized) only
// resizes the canvas: the GL context and everything loaded into it stay.
#pragma once

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_mixer.h>

#ifdef __cplusplus
extern "C" {
#endif

SDL_Surface* webLoadImage(const char* file);  // 32-bit RGBA, bytes R, G, B, A in memory
SDL_Surface* webCreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 redMask,
                                 Uint32 greenMask, Uint32 blueMask, Uint32 alphaMask);
SDL_Surface* webConvertSurface(SDL_Surface* source, SDL_PixelFormat* format, Uint32 flags);
void webFreeSurface(SDL_Surface* surface);
int webLockSurface(SDL_Surface* surface);
void webUnlockSurface(SDL_Surface* surface);
SDL_Surface* webSetVideoMode(int width, int height, int bpp, Uint32 flags);  // first call: SDL's own
void webSwapBuffers(void);                       // presents, then waits for the next animation frame
int webToggleFullScreen(SDL_Surface* screen);    // the page's player, letterboxed, fills the screen
int webVolumeChunk(Mix_Chunk* chunk, int volume);  // chunks play at full volume, the only one set
int webGetAudioStatus(void);                        // the page's sound is Web Audio's: always playing here

#ifdef __cplusplus
}
#endif

#ifndef SDLCOMPAT_IMPLEMENTATION
#define IMG_Load webLoadImage
#define SDL_CreateRGBSurface webCreateRGBSurface
#define SDL_ConvertSurface webConvertSurface
#define SDL_FreeSurface webFreeSurface
#define SDL_LockSurface webLockSurface
#define SDL_UnlockSurface webUnlockSurface
#define SDL_SetVideoMode webSetVideoMode
#define SDL_GL_SwapBuffers webSwapBuffers
#define SDL_WM_ToggleFullScreen webToggleFullScreen
#define Mix_VolumeChunk webVolumeChunk
#define SDL_GetAudioStatus webGetAudioStatus
#endif
