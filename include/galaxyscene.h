// galaxyscene.h -- a two-armed spiral galaxy of additive points, with the teddy tumbling in towards it.
#pragma once

#include <vector>

#include "gl.h"
#include "scene.h"
#include "teddy.h"

// The galaxy's point set, generated once from the show's random sequence and drawn from client
// arrays in one call. Positions are in galaxy units: the disc has radius 1, the core semi-axes
// 0.3 across, 0.25 up, 0.3 deep.
class Galaxy {
public:
    // Draws count points from random15(): the first count / 4 + 1 fill the core, the rest the arms.
    // Each colour channel is its base times 1.5 to the power of a value in [-1, 1].
    Galaxy(int count, float red, float green, float blue, float alpha);

    Galaxy(const Galaxy&) = delete;
    Galaxy& operator=(const Galaxy&) = delete;

    // Points from the arrays below; needs the vertex and colour client arrays enabled and changes
    // no other state.
    void draw() const;

    std::vector<float> positions;  // x, y, z per point, galaxy units
    std::vector<float> colours;    // red, green, blue, alpha per point
    std::vector<GLuint> indices;   // indices[j] = j
    int count;                     // number of points
};

class GalaxyScene : public Scene {
public:
    GalaxyScene();  // the 20000-point galaxy, then the teddy (the first scene to load it)

    void setup() override;  // projection, smooth 3-pixel points; restarts the scene clock
    void setSizes() override;
    void draw(Tempo& tempo) override;

    int startTime;  // Tempo::elapsed at the first draw after setup, ms; -1 until then
    Galaxy galaxy;
    Teddy teddy;

private:
    void placeCamera(float sceneTime) const;  // sceneTime in ms, already slowed to 0.7
    void drawTeddy(float sceneTime) const;
    void drawGalaxy() const;
};
