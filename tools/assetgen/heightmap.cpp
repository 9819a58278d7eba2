// heightmap.cpp -- the forest's height image: an 8-bit greyscale BMP of rolling hills around a low valley.
#include <cmath>
#include <stdexcept>
#include <string>

#include <SDL/SDL.h>

#include "image.h"
#include "registry.h"

namespace {

constexpr int mapSize = 64;  // grid points each way; the forest asks for heights up to x = 52, z = 61

// Height 0..1 at grid point (x, z). The camera glides along x 22..34, z 23..61 and the trees stand on
// rows z 15.5..54.5 at x 12..52, so a shallow valley runs down the middle with gentle swells in it,
// and the hills rise at the sides and behind the far end, where they close the view.
float terrainHeight(int x, int z)
{
    const float swell = fractalNoise(x / 10.0f, z / 10.0f, 8, 3, 401);
    const float sides = smoothstep(8.0f, 30.0f, std::fabs(x - 30.0f));
    const float farEnd = smoothstep(14.0f, 0.0f, static_cast<float>(z));
    const float hills = fractalNoise(x / 6.0f + 3, z / 6.0f + 3, 16, 3, 409);
    return clamp01(0.1f + 0.25f * swell + (0.35f + 0.35f * hills) * std::max(sides, farEnd));
}

void writeHeightMap(const std::string& folder)
{
    // A paletted 8-bit surface with a grey ramp: each pixel's byte is its height level.
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, mapSize, mapSize, 8, 0, 0, 0, 0);
    if (!surface)
        throw std::runtime_error("cannot create the height map surface");
    SDL_Color greys[256];
    for (int level = 0; level < 256; ++level)
        greys[level] = SDL_Color{static_cast<Uint8>(level), static_cast<Uint8>(level), static_cast<Uint8>(level), 0};
    SDL_SetColors(surface, greys, 0, 256);

    SDL_LockSurface(surface);
    for (int z = 0; z < mapSize; ++z) {
        Uint8* row = static_cast<Uint8*>(surface->pixels) + z * surface->pitch;
        for (int x = 0; x < mapSize; ++x)
            row[x] = static_cast<Uint8>(std::lround(terrainHeight(x, z) * 255.0f));
    }
    SDL_UnlockSurface(surface);

    const std::string path = folder + "/hf.bmp";
    const int result = SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
    if (result != 0)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace

REGISTER_ASSETS(heightmap, writeHeightMap);
