// borderlinescene.h -- a glowing border of three turning squares that 2000 small squares stream through.
#pragma once

#include <cstddef>
#include <vector>

#include "gl.h"
#include "matrix.h"
#include "scene.h"

// A glowing mark left where a square crossed the border plane x = 0 (world space).
struct BorderHit {
    float x, y, z;  // world position; x is always 0
    float alpha;    // 1.0 when made, falls by 1 per second; the mark goes once it is below 0
};

class BorderlineScene : public Scene {
public:
    // Marks kept at most. A square leaves a mark in every frame it spends inside the border band,
    // so the count grows with the frame rate: at 1000 fps the show's 32 s peak at about 17600 live
    // marks. Beyond this many, new marks are dropped, so that frames under a millisecond apart
    // (where marks make no progress fading) cannot grow the list without end.
    static constexpr std::size_t MAX_HITS = 65536;

    BorderlineScene();  // seeds the random sequence with 1000; loads the four textures; may throw

    void setup() override;  // also puts the squares back where they were built and clears the marks
    void setSizes() override;
    void draw(Tempo& tempo) override;
    bool buildsUp() const override { return true; }

    std::vector<Vec3> particles;  // the 2000 squares' base positions, world space; x streams along +x
    std::vector<BorderHit> hits;  // live marks, oldest first; capacity MAX_HITS from construction
    std::vector<Vec3> startParticles;  // the base positions as built: setup puts the squares back there
    GLuint borderTexture1;        // "borderline1.png"
    GLuint borderTexture2;        // "borderline2.png"
    GLuint borderTexture3;        // "borderline3.png"
    GLuint hitTexture;            // "borderlinehit.png"
    int lastTime;                 // Tempo::elapsed at the previous frame (ms); -1 until the first frame
    int startTime;                // Tempo::elapsed at the first frame after setup (ms); -1 until then

private:
    void placeCamera(Tempo& tempo);
    void drawBorder(Tempo& tempo);
    void drawParticles(Tempo& tempo, int dt);
    void drawHits(int dt);
    void drawTexturedSquare(GLuint texture, float x0);
};
