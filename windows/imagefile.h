// imagefile.h -- PNG files through libpng for the Windows build, where SDL_image is not available.
//
// Included through the stand-in include/SDL/SDL_image.h by the sources that load images (Windows
// build only). Images decode into the same SDL surfaces SDL_image 1.2 makes: RGB and RGBA as 24- and
// 32-bit surfaces with bytes R, G, B(, A) in memory, palettes and greys as 8-bit surfaces with their
// palette and a colour key for a single transparent entry; BMP files go to SDL's own loader, as
// SDL_image's do.
#pragma once

#include <string>

#include <SDL/SDL.h>

#ifndef IMAGEFILE_IMPLEMENTATION
#define IMG_Load loadImageFile
#endif

// A surface the caller frees with SDL_FreeSurface; null when the file is missing or not a whole,
// readable PNG or BMP.
SDL_Surface* loadImageFile(const char* file);

// Writes top-row-first 8-bit RGB pixels as a PNG; false when the file cannot be written.
bool writeRgbPngFile(const unsigned char* rgb, int width, int height, const std::string& path);
