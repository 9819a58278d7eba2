// scene.h -- the interface of every timeline item: boards and animated scenes.
#pragma once

class Tempo;

class Scene {
public:
    virtual ~Scene() {}

    // Called once, on the first frame the scene is current, before that frame's clear and draw:
    // sets the projection, clear colour and any state that lasts for the scene.
    virtual void setup() = 0;

    // Called once per frame while current, right after the clear. Reads time only through tempo,
    // and sets every GL state it needs: the overlay pass leaves depth, blend and texture off.
    virtual void draw(Tempo& tempo) = 0;
};

// The animated scenes' shared setup: a 4:3 perspective projection (fovy in degrees, near and far
// planes in world units), identity model-view left selected, and the show's dark brown clear colour.
void setupSceneCamera(double fovyDegrees, double zNear, double zFar);
