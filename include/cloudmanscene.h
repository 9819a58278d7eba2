// cloudmanscene.h -- a figure of cloud sprites morphing through nine key frames above a cloud layer.
#pragma once

#include <vector>

#include "gl.h"
#include "matrix.h"
#include "runningorder.h"
#include "scene.h"
#include "teddy.h"
#include "viewvolume.h"

class CloudmanScene : public Scene {
public:
    // Loads "cloudman_frame1.obj".."cloudman_frame9.obj", "cloud.png" and "cloud2.png" and builds the
    // start cloud and the cloud layer from the running random sequence. Throws "Bad model: " + file
    // for a key frame with fewer points than the first.
    CloudmanScene();

    void setup() override;
    void draw(Tempo& tempo) override;

private:
    static constexpr int frameCount = 1 + CLOUDMAN_KEY_FRAMES;  // the start cloud and the key frames

    void drawTeddy(int sceneMs);
    void drawFigure(Tempo& tempo, const ViewVolume& view, const Vec3& eye, int sceneMs);
    void drawCloudLayer(Tempo& tempo, const ViewVolume& view, const Vec3& eye);
    // Sways a world-space sprite centre sideways: a wave along the height plus one per point index.
    static Vec3 sway(Tempo& tempo, Vec3 centre, int index);
    void beginSprites();  // texturing, blending and the sprite arrays, for both layers
    void endSprites();    // the show's usual arrays again, texturing off
    // One camera-facing quad, 2.4 tall seen level and widthFactor times as wide, in the texture,
    // colour and blending the caller set: gathered for a later draw when it lies well inside the
    // view volume, drawn at once and on its own otherwise.
    void drawSprite(const ViewVolume& view, const Vec3& eye, const Vec3& centre, double widthFactor);
    void flushSprites();  // draws what drawSprite gathered; due before the texture or colour changes

    int startTime;                         // show ms latched at the first draw after setup; -1 until then
    std::vector<Vec3> frames[frameCount];  // model space (z up): [0] start cloud, [1..9] key frames
    std::vector<Vec3> clouds;              // model space: the cloud layer's puff centres
    std::vector<float> batchCorners;       // world space, three floats a corner, four corners a sprite
    std::vector<float> batchTexCoords;     // two floats a corner, in step with batchCorners
    GLuint figureTexture;                  // "cloud.png"
    GLuint layerTexture;                   // "cloud2.png"
    Teddy teddy;
};
