// corescene.h -- the core: a dark shell of triangles over fire and the teddy, bursting forty beats in.
#pragma once

#include <vector>

#include "gl.h"
#include "matrix.h"
#include "scene.h"
#include "teddy.h"

// Signed power: v^p for v >= 0, -((-v)^p) for v < 0, so the sign of v survives any exponent.
float signedPower(float v, float p);

// One triangle of the shell, model space.
struct Shard {
    // Takes the corners in order and one velocity jitter of three random draws.
    Shard(const Vec3& q1, const Vec3& q2, const Vec3& q3);

    Vec3 corners[3];  // relative to the centre; never change
    Vec3 centre;      // the centroid; moves once the shell bursts
    Vec3 velocity;    // units per second: outward along the centroid plus jitter, then gravity
};

// A sphere of radius 1 about the y axis, cut into slices x bands quads of two shards each.
class Shell {
public:
    Shell(int slices, int bands);  // takes 3 random draws per shard, slice by slice

    void draw(float scale) const;  // one triangle batch, each centre pushed out by scale
    void update(float dt);         // dt in seconds: gravity of 2 units/s^2 along -y, then motion

    // Every shard, the zero-area ones at the poles included: each took its random draws.
    std::vector<Shard> shards;
};

class CoreScene : public Scene {
public:
    static constexpr int MERIDIANS = 80;    // line strips per husk
    static constexpr int LATITUDES = 39;    // vertices per strip

    CoreScene();  // continues the random sequence; loads the teddy if needed and the two fire textures

    void setup() override;
    void draw(Tempo& tempo) override;
    bool buildsUp() const override { return true; }

    Shell shell;
    Shell startShell;    // the shell as built, whole: setup puts it back together
    int lastTime;        // Tempo::elapsed at the previous frame (ms); -1 until the first frame
    int startBeat;       // Tempo::beat at the first frame after setup
    GLuint coreTexture;  // "corefire.png"
    GLuint rayTexture;   // "rayfire.png"
    Teddy teddy;

private:
    void drawShell(float throb);
    void drawTeddy(float secs);
    void drawCoreFire();
    void drawRays(float secs);
    void drawHusks(float beatPos);
    void drawWireShape(float p1, float p2, float size);
};
