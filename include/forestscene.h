// forestscene.h -- line trees growing on the beat over a gridded heightfield; their leaves blush and fly.
#pragma once

#include <vector>

#include "heightfield.h"
#include "scene.h"
#include "tree.h"

class ForestScene : public Scene {
public:
    ForestScene();  // builds terrain, 41 trees and their leaves; throws when "hf.bmp" cannot be loaded
    ~ForestScene() override;

    void setup() override;
    void draw(Tempo& tempo) override;

    std::size_t treeCount() const { return trees.size(); }
    std::size_t leafCount() const { return leaves.size(); }

private:
    // Plants one tree at terrain point (x, z); a/b pairs turn each branch about the vertical and lean
    // it (radians), size scales the whole tree.
    void addTree(float x, float z, float a1, float b1, float a2, float b2, float a3, float b3, float size);
    void drawCamera(int sceneMs);
    void drawTerrain();
    void drawTrees(Tempo& tempo, int sceneBeats);
    void drawLeaves(float drift, float growth);

    Heightfield heightfield;
    std::vector<Tree*> trees;  // owned, in planting order: the first tree, then the 40 seeded ones
    std::vector<Vec3> leaves;  // terrain space, appended by the trees as they grow
    int startTime;             // show ms latched at the first draw after setup; -1 until then
    int startBeat;             // show beat latched with startTime
};
