// scene.h -- the interface of every timeline item: boards and animated scenes.
#pragma once

#include "matrix.h"

class Tempo;

class Scene {
public:
    virtual ~Scene() = default;

    // Called once, on the first frame the scene is current, before that frame's clear and draw:
    // sets the projection, clear colour and any state that lasts for the scene.
    virtual void setup() = 0;

    // Sets the point size and line width that last for the scene, scaled to the output. Called by
    // setup() and again when the output changes size, which resets them.
    virtual void setSizes() {}

    // Called once per frame while current, right after the clear. Reads time only through tempo,
    // and sets every GL state it needs: the overlay pass leaves depth, blend and texture off.
    virtual void draw(Tempo& tempo) = 0;

    // True for a scene that moves things by each frame's time step, so that a moment of it depends
    // on every frame drawn before it since setup, not on the clock alone: reaching that moment takes
    // all those frames. The others need only their first frame, which latches their start.
    virtual bool buildsUp() const { return false; }
};

// The animated scenes' shared setup: a 4:3 perspective projection (fovy in degrees, near and far
// planes in world units), identity model-view left selected, and the show's dark brown clear colour.
void setupSceneCamera(double fovyDegrees, double zNear, double zFar);

// The small square flakes that the border and the storm blow across the screen.
// Where a flake is this frame: its base position swayed in x and y by the show clock, each flake
// in its own phase (index).
Vec3 flakePosition(const Vec3& base, Tempo& tempo, int index);
// The 0.1-unit square hanging from a corner at position, turned about x, then y, then z (degrees);
// with an outline over it, in the current colour, when outlined.
void drawFlake(const Vec3& position, float degreesX, float degreesY, float degreesZ, bool outlined);
// Blows a flake's base position along +x by dt/300 units (dt in ms), re-entering at x = -15 past 15.
void blowFlake(Vec3& base, int dt);
