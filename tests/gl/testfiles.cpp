// testfiles.cpp -- scratch folders and tiny image files for tests that load assets.
#include "testfiles.h"

#include <cstdlib>
#include <filesystem>

#include <SDL/SDL.h>

ScratchFolder::ScratchFolder()
{
    char pattern[] = "/tmp/bearings-test-XXXXXX";
    folder = mkdtemp(pattern);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void writeSolidBmp(const std::string& path, int width, int height, unsigned char r, unsigned char g, unsigned char b)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, r, g, b));
    SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
}
