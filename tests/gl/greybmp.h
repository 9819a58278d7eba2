// greybmp.h -- small 8-bit greyscale BMPs: the height images that the terrain tests read.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "heightfield.h"

// Pixel (x, z) of the image, row z from the top, gets the grey level levels[x + z * width].
inline void writeGreyBmp(const std::string& path, int width, int depth, const std::vector<int>& levels)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, depth, 8, 0, 0, 0, 0);
    SDL_Color greys[256];
    for (int level = 0; level < 256; ++level)
        greys[level] = SDL_Color{static_cast<Uint8>(level), static_cast<Uint8>(level), static_cast<Uint8>(level), 0};
    SDL_SetColors(surface, greys, 0, 256);
    for (int z = 0; z < depth; ++z)
        for (int x = 0; x < width; ++x)
            static_cast<Uint8*>(surface->pixels)[z * surface->pitch + x] = static_cast<Uint8>(levels[x + z * width]);
    SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
}

// A height image in /tmp for as long as the object lives; one per process, as tests run in parallel.
struct HeightImage {
    HeightImage(int width, int depth, const std::vector<int>& levels)
        : path("/tmp/bearings-heights-" + std::to_string(getpid()) + ".bmp")
    {
        writeGreyBmp(path, width, depth, levels);
    }
    ~HeightImage() { std::remove(path.c_str()); }

    // The image as a terrain of height scale 7 with the forest's base colour and ambient level.
    Heightfield terrain(Vec3 light = Vec3{-1, -1.5f, -1}) const
    {
        return Heightfield(path, 7.0f, light, Vec3{0.5f, 0.5f, 0.5f}, 0.1f);
    }

    std::string path;
};
