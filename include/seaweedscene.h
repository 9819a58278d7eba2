// seaweedscene.h -- a sea floor of mass-and-spring seaweed ribbons swaying in a current, with plankton.
#pragma once

#include <vector>

#include "matrix.h"
#include "scene.h"
#include "teddy.h"

// One mass of a strand. Positions are relative to the anchor the strand is drawn at (world units).
struct StrandNode {
    float mass;
    float x, y, z;     // position
    float vx, vy, vz;  // velocity, units per step
    float fx, fy, fz;  // force gathered during the current step
};

struct StrandSpring {
    float unusedCoefficient;  // 0.1; kept with the record but never read by the simulation
    float restLength;         // world units
    float stiffness;
    int first, second;        // node indices
};

// A ribbon of seaweed: a ladder of nodes braced by rungs, rails and both diagonals of every cell.
class Strand {
public:
    // An upright ladder of segments cells of side width, rooted at the origin, its rungs pointing
    // along angle (radians) in the floor plane; every spring starts at its rest length.
    Strand(int segments, float width, float angle);

    void step(const Vec3& current);  // one 20 ms step in the given water current; nodes 0 and 1 stay put
    void draw() const;               // filled ribbon and outline at the current origin and colour

    int segments;  // ladder cells
    float width;   // the ribbon's width, its cell height and the rest length of rails and rungs
    std::vector<StrandNode> nodes;      // 2 * (segments + 1): the left and right end of each rung
    std::vector<StrandSpring> springs;  // 1 + 5 * segments
};

class SeaweedScene : public Scene {
public:
    static constexpr int STEP_MS = 20;  // the simulation advances in fixed steps of this many ms

    SeaweedScene();  // loads the teddy if needed; seeds the random sequence with 10

    void setup() override;
    void setSizes() override;
    void draw(Tempo& tempo) override;

    // Runs every step due by show time now (ms), however many that is, in order.
    void catchUp(int now);

    int startTime;  // Tempo::elapsed at the first frame after setup (ms); -1 until then
    int stepCount;  // simulation steps done since startTime; -1 until the first frame
    Teddy teddy;
    std::vector<Strand> strands;  // the 100 simulated strands
    std::vector<Strand> startStrands;  // the strands as built, upright and at rest: setup puts them back
    std::vector<Vec3> anchors;    // 1000 floor points (y = 0, world space), each showing strand i mod 100
    std::vector<Vec3> motes;      // 2000 plankton points, world space

private:
    void placeCamera(Tempo& tempo);
    void drawTeddy();
    void simulationStep(int n);
    void drawSeaweed();
    void drawMotes();
};
