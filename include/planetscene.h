// planetscene.h -- a cloud planet ringed by 4000 spinning chunks, a moon, stars, and a swooping teddy.
#pragma once

#include <vector>

#include "gl.h"
#include "matrix.h"
#include "scene.h"
#include "teddy.h"

// One piece of the planet's ring.
struct RingChunk {
    float x, y, z;  // centre, world units (the ring lies in y = 0)
    float angle;    // angular position around the ring, degrees (not reduced below 360)
};

class PlanetScene : public Scene {
public:
    // Restarts the random sequence at seed 0 for the ring and stars; loads "moon.png" and
    // "planetclouds.png" and the shared teddy. Throws when a file cannot be loaded. gentle: the
    // ring's chunks fainter, so that those passing close to the camera do not flash as they turn.
    explicit PlanetScene(bool gentle = false);
    ~PlanetScene() override;

    void setup() override;  // projection and point size; leaves the scene clock running
    void setSizes() override;
    void draw(Tempo& tempo) override;

    std::vector<RingChunk> ring;  // 4000 chunks, chunk n at n radians
    std::vector<Vec3> stars;      // 1000 points in the cube -100..100, world units
    GLuint moonTexture;
    GLuint cloudTexture;
    GLUquadric* quadric;          // for the planet's three shells; deleted with the scene
    Teddy teddy;
    int startTime;                // Tempo::elapsed at the first draw, ms; -1 until then
    const bool gentle;

private:
    void placeCamera(Tempo& tempo) const;
    void drawPlanet(Tempo& tempo) const;
    void drawMoon() const;
    void drawRing(Tempo& tempo) const;
    void drawStars(Tempo& tempo) const;
    void drawTeddy(Tempo& tempo, int sceneTime) const;  // sceneTime: ms since the first draw
};
