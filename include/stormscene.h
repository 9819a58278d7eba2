// stormscene.h -- a stormy sea of soft orange points with the teddy riding it and flakes blowing over.
#pragma once

#include <vector>

#include "matrix.h"
#include "scene.h"
#include "teddy.h"

class StormScene : public Scene {
public:
    static constexpr int MAX_GRID_SIZE = 50;  // capacity of heights: 2 * 50 points a side

    StormScene();  // loads the teddy if needed; seeds the random sequence with 1000

    void setup() override;  // also puts the flakes back where they were built and the sea flat
    void setSizes() override;
    void draw(Tempo& tempo) override;
    bool buildsUp() const override { return true; }

    Teddy teddy;
    float heights[2 * MAX_GRID_SIZE][2 * MAX_GRID_SIZE];  // sea height at grid row i, column j (world units); zero until the first frame
    int gridSize;                 // the sea's side in world units; 2 * gridSize points at spacing 0.5
    std::vector<Vec3> particles;  // the 1000 flakes' base positions, world space; x blows along +x
    std::vector<Vec3> startParticles;  // the base positions as built: setup puts the flakes back there
    int lastTime;                 // Tempo::elapsed at the previous frame (ms); -1 until the first frame

private:
    void placeCamera(Tempo& tempo);
    void drawTeddy();
    void drawSea(Tempo& tempo);
    void drawFlakes(Tempo& tempo, int dt);
};
