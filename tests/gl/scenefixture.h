// scenefixture.h -- what the drawing tests share: a scratch working folder with stand-in assets,
// small BMP writers, and a fixture that draws one scene at chosen show times.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <SDL/SDL.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "glrecorder.h"
#include "tempo.h"

// A width x height 24-bit BMP of one colour. SDL_image finds the format by content, so a ".png"
// name still loads.
inline void writeImage(const std::string& path, int width = 4, int height = 4, Uint8 r = 200, Uint8 g = 180, Uint8 b = 160)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, r, g, b));
    SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
}

// An 8-bit grey image (PGM, which SDL_image finds by content too): pixel (x, z), row z from the top,
// gets levels[x + z * width].
inline void writeGreyImage(const std::string& path, int width, int depth, const std::vector<int>& levels)
{
    std::ofstream file(path);
    file << "P2\n" << width << ' ' << depth << "\n255\n";
    for (int level : levels)
        file << level << '\n';
}

// A fresh folder that the process works in while the object lives, by default holding a one-triangle
// teddy, a 4x4 stand-in for every image the scenes load and a 64x64 height image rising along x.
class ScratchFolder {
public:
    explicit ScratchFolder(bool withSceneAssets = true)
    {
        char pattern[] = "/tmp/bearings-test-XXXXXX";
        folder = mkdtemp(pattern);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        if (!withSceneAssets)
            return;
        std::ofstream("teddy.obj") << "o teddy\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n";
        for (const char* image : {"celshades.png", "moon.png", "planetclouds.png", "borderline1.png", "borderline2.png",
                                  "borderline3.png", "borderlinehit.png", "corefire.png", "rayfire.png"})
            writeImage(image);
        std::vector<int> ramp(64 * 64);
        for (std::size_t i = 0; i < ramp.size(); ++i)
            ramp[i] = 3 * static_cast<int>(i % 64);
        writeGreyImage("hf.bmp", 64, 64, ramp);
    }
    ~ScratchFolder()
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string folder;                   // absolute path of the scratch folder
    std::filesystem::path previous;       // the working folder to return to
};

// Writes nothing: for scenes that need no files beyond the scratch folder's own.
struct NoExtraFiles {};

// One scene built in a scratch folder (after ExtraFiles has written what else it reads), with the
// clock started at 0 and setup() done.
template <class SceneType, class ExtraFiles = NoExtraFiles>
struct SceneFixture : ::testing::Test {
    SceneFixture() : tempo(120, 0)
    {
        glrec::reset();
        glrec::setClock(0);
        tempo.start();
        scene.setup();
    }

    // Draws one frame of the scene, or of another one, at show time showMs; the recording then
    // holds that frame alone.
    void drawAt(int showMs, SceneType* drawn = nullptr)
    {
        glrec::reset();
        glrec::setClock(static_cast<std::uint32_t>(showMs));
        if (!projection.empty())
            glrec::state().stacks[GL_PROJECTION] = {projection};
        (drawn ? *drawn : scene).draw(tempo);
    }

    ScratchFolder folder;  // first: the scene loads its files from it
    ExtraFiles files;
    SceneType scene;
    Tempo tempo;
    // Column-major; when set, drawn through instead of the identity (the recorder leaves the
    // camera's gluPerspective out).
    std::vector<float> projection;
};

// The primitives of the last frame drawn in one mode and, unless texture is 0, drawn with that texture.
inline std::vector<const glrec::Primitive*> primitivesOf(GLenum mode, GLuint texture = 0)
{
    std::vector<const glrec::Primitive*> found;
    for (const glrec::Primitive& primitive : glrec::primitives())
        if (primitive.mode == mode && (texture == 0 || (primitive.textured && primitive.texture == texture)))
            found.push_back(&primitive);
    return found;
}
