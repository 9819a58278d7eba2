// scenefolder.h -- a throwaway working folder with tiny stand-ins for the files the scenes load.
//
// The teddy is one triangle and every image a 4x4 BMP (SDL_image finds the format by content, so
// the ".png" names still load). The test process works in the folder while a SceneFolder lives.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <SDL/SDL.h>
#include <unistd.h>

class SceneFolder {
public:
    SceneFolder()
    {
        char pattern[] = "/tmp/bearings-scenetest-XXXXXX";
        folder = mkdtemp(pattern);
        char* cwd = getcwd(nullptr, 0);
        previous = cwd;
        std::free(cwd);
        std::ofstream(folder + "/teddy.obj") << "o teddy\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
                                                "f 1/1/1 2/1/1 3/1/1\n";
        for (const char* image : images)
            writeImage(folder + "/" + image);
        if (chdir(folder.c_str()) != 0)
            std::abort();
    }

    ~SceneFolder()
    {
        if (chdir(previous.c_str()) != 0)
            std::abort();
        std::remove((folder + "/teddy.obj").c_str());
        for (const char* image : images)
            std::remove((folder + "/" + image).c_str());
        rmdir(folder.c_str());
    }

    SceneFolder(const SceneFolder&) = delete;
    SceneFolder& operator=(const SceneFolder&) = delete;

private:
    static constexpr const char* images[] = {"celshades.png", "moon.png", "planetclouds.png", "borderline1.png", "borderline2.png", "borderline3.png", "borderlinehit.png", "corefire.png", "rayfire.png"};

    static void writeImage(const std::string& path)
    {
        SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 200, 180, 160));
        SDL_SaveBMP(surface, path.c_str());
        SDL_FreeSurface(surface);
    }

    std::string folder;    // the temporary folder, removed again with its files
    std::string previous;  // the working folder to return to
};
