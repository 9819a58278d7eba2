// cloudmanscene.cpp -- the cloud figure: a scattered cloud condenses and dances through nine key frames.
#include "cloudmanscene.h"

#include <cmath>
#include <sstream>
#include <string>

#include "exception.h"
#include "runningorder.h"
#include "tempo.h"
#include "util.h"
#include "viewvolume.h"
#include "wavefrontloader.h"

namespace {
constexpr int keyFrameMs = 2000;   // scene ms from one key frame to the next
constexpr int cloudBanks = 150;
constexpr int puffsPerBank = 15;

// Three values of the sequence, redrawn together until they fall in the unit ball (its surface included).
Vec3 randomInUnitBall()
{
    for (;;) {
        const float a = 2 * randomUnit() - 1;
        const float b = 2 * randomUnit() - 1;
        const float c = 2 * randomUnit() - 1;
        if (a * a + b * b + c * c <= 1)
            return Vec3{a, b, c};
    }
}
}

CloudmanScene::CloudmanScene()
{
    for (int i = 1; i < frameCount; ++i) {
        std::ostringstream fileName;
        fileName << "cloudman_frame" << i << ".obj";
        WavefrontLoader loader(1);
        loader.load(fileName.str(), 0);
        loader.appendVertices(frames[i], 0);
        // Point i of every frame is drawn each frame: a short frame would index past its end mid-show,
        // and an empty first frame would leave a figure of no points.
        if (frames[i].empty() || frames[i].size() < frames[1].size())
            THROW_EXCEPTION("Bad model: " + fileName.str());
    }

    // The start cloud: a flat disc about 32 units across in model x and y, 2 thick in z.
    const std::size_t pointCount = frames[1].size();
    frames[0].reserve(pointCount);
    for (std::size_t i = 0; i < pointCount; ++i) {
        const Vec3 ball = randomInUnitBall();
        const float z = 2 * (randomUnit() + ball.x) - 1;
        const float y = 2 * randomUnit() + 32 * ball.y - 1;
        const float x = 2 * randomUnit() + 32 * ball.z - 1;
        frames[0].push_back(Vec3{x, y, z});
    }

    // The cloud layer: banks of puffs scattered over 64 x 64 units, 8 high.
    clouds.reserve(cloudBanks * puffsPerBank);
    for (int bank = 0; bank < cloudBanks; ++bank) {
        const float bankZ = 4 * (2 * randomUnit() - 1);
        const float bankY = 32 * (2 * randomUnit() - 1);
        const float bankX = 32 * (2 * randomUnit() - 1);
        for (int puff = 0; puff < puffsPerBank; ++puff) {
            const Vec3 ball = randomInUnitBall();
            const float z = 2 * (randomUnit() + ball.x) + bankZ - 1;
            const float y = 2 * randomUnit() + 8 * ball.y + bankY - 1;
            const float x = 2 * randomUnit() + 8 * ball.z + bankX - 1;
            clouds.push_back(Vec3{x, y, z});
        }
    }

    figureTexture = loadTexture("cloud.png");
    layerTexture = loadTexture("cloud2.png");
}

void CloudmanScene::setup()
{
    setupSceneCamera(60.0, 1.0, 200.0);
    startTime = -1;
}

void CloudmanScene::draw(Tempo& tempo)
{
    if (startTime == -1)
        startTime = tempo.elapsed();
    const int sceneMs = tempo.elapsed() - startTime;

    // The camera drifts along x, one unit per 600 ms, from x = -20.
    const double cameraX = sceneMs * 0.0016666666666666668 - 20;
    glLoadIdentity();
    gluLookAt(static_cast<float>(cameraX), 10, 60, cameraX, 5, 0, 0, 1, 0);
    const Vec3 eye{static_cast<float>(cameraX), 10.0f, 60.0f};

    drawTeddy(sceneMs);
    glDepthMask(GL_FALSE);
    beginSprites();
    const ViewVolume view = ViewVolume::current();
    drawFigure(tempo, view, eye, sceneMs);
    drawCloudLayer(tempo, view, eye);
    endSprites();
    glDepthMask(GL_TRUE);
}

// Every sprite is textured and blended alike, so the state is set once for all of them and the
// texture and colour once per layer.
void CloudmanScene::beginSprites()
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisableClientState(GL_COLOR_ARRAY);  // the colour is the current one
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

// Back to the arrays the show keeps enabled, and no texturing.
void CloudmanScene::endSprites()
{
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glDisable(GL_TEXTURE_2D);
}

// The teddy tumbles down through the sky at 12.5 units a second from a height of 250.
void CloudmanScene::drawTeddy(int sceneMs)
{
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    glTranslatef(15.0f, 250 - 0.0125f * sceneMs, 10.0f);
    const int tumble = sceneMs / 50;  // degrees, in whole 50 ms steps
    glRotatef(tumble, 1.0f, 0.0f, 0.0f);
    glRotatef(0.8f * tumble, 0.0f, 1.0f, 0.0f);
    glRotatef(0.1f * tumble, 0.0f, 0.0f, 1.0f);
    glColor4f(0.6f, 0.6f, 0.6f, 1.0f);
    teddy.draw();
    glPopMatrix();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
}

// Morphs from one point set to the next every two seconds: the start cloud into key frame 1, on to
// key frame 9 at 18 s, then rocks between key frames 8 and 9.
void CloudmanScene::drawFigure(Tempo& tempo, const ViewVolume& view, const Vec3& eye, int sceneMs)
{
    const int step = sceneMs / keyFrameMs;
    const double weight = 0.0005 * (sceneMs % keyFrameMs);
    const std::vector<Vec3>* from;
    const std::vector<Vec3>* to;
    if (step < CLOUDMAN_KEY_FRAMES) {
        from = &frames[step];
        to = &frames[step + 1];
    } else if (step % 2 == 1) {
        from = &frames[CLOUDMAN_KEY_FRAMES];
        to = &frames[CLOUDMAN_KEY_FRAMES - 1];
    } else {
        from = &frames[CLOUDMAN_KEY_FRAMES - 1];
        to = &frames[CLOUDMAN_KEY_FRAMES];
    }

    const Matrix modelToWorld(RotateX, -PI_F / 2);  // model z up becomes world y
    glBindTexture(GL_TEXTURE_2D, figureTexture);
    glColor4f(1.0f, 1.0f, 1.0f, 0.1f);
    // The constructor made every key frame at least as long as the start cloud, so both reads are in range.
    for (std::size_t i = 0; i < frames[0].size(); ++i) {
        const Vec3& a = (*from)[i];
        const Vec3& b = (*to)[i];
        const Vec3 model{static_cast<float>((1 - weight) * a.x + weight * b.x),
                         static_cast<float>((1 - weight) * a.y + weight * b.y),
                         static_cast<float>((1 - weight) * a.z + weight * b.z)};
        const Vec3 centre = sway(tempo, modelToWorld * model, static_cast<int>(i));
        drawSprite(view, eye, centre, 1.0);
    }
    flushSprites();
}

void CloudmanScene::drawCloudLayer(Tempo& tempo, const ViewVolume& view, const Vec3& eye)
{
    const Matrix modelToWorld(RotateX, -PI_F / 2);
    glBindTexture(GL_TEXTURE_2D, layerTexture);
    glColor4f(1.0f, 1.0f, 1.0f, 0.05f);
    for (std::size_t j = 0; j < clouds.size(); ++j) {
        const Vec3 centre = sway(tempo, modelToWorld * clouds[j], static_cast<int>(j));
        drawSprite(view, eye, centre, 2.0);
    }
    flushSprites();
}

// Follows the show clock, not the scene's, and reads it afresh for each term.
Vec3 CloudmanScene::sway(Tempo& tempo, Vec3 centre, int index)
{
    const double perPoint = std::sin(0.002 * tempo.elapsed() + index);
    centre.x = static_cast<float>(centre.x + 0.4 * std::sin(0.0025 * tempo.elapsed() + 0.25 * centre.y) + 0.8 * perPoint);
    return centre;
}

namespace {
// The texture's corners in the order drawSprite places them: s = 1 on the viewer's left.
const float SPRITE_TEX_COORDS[8] = {1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f};
}

// A software rasteriser (Mesa's llvmpipe) sends a whole draw through its clipper when any vertex of
// it needs clipping, and the clipper rounds window positions a little differently. So a sprite that
// could need clipping stays a draw of its own, as it always was, and the sprites well inside the
// view volume are gathered, in order, into one draw: the same pixels for far less per-draw work.
void CloudmanScene::drawSprite(const ViewVolume& view, const Vec3& eye, const Vec3& centre, double widthFactor)
{
    const float dx = centre.x - eye.x, dy = centre.y - eye.y, dz = centre.z - eye.z;
    const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    const Vec3 n{dx / distance, dy / distance, dz / distance};
    // World up less its part along the view: unnormalised, so sprites seen from steeply above shrink.
    const Vec3 up{-n.x * n.y, 1 - n.y * n.y, -n.z * n.y};
    const Vec3 right{up.y * n.z - up.z * n.y, up.z * n.x - up.x * n.z, up.x * n.y - up.y * n.x};
    const float halfWidth = static_cast<float>(1.2 * widthFactor);
    const Vec3 h{1.2f * up.x, 1.2f * up.y, 1.2f * up.z};
    const Vec3 w{halfWidth * right.x, halfWidth * right.y, halfWidth * right.z};

    const Vec3 corners[4] = {{centre.x + w.x + h.x, centre.y + w.y + h.y, centre.z + w.z + h.z},
                             {centre.x + w.x - h.x, centre.y + w.y - h.y, centre.z + w.z - h.z},
                             {centre.x - w.x - h.x, centre.y - w.y - h.y, centre.z - w.z - h.z},
                             {centre.x - w.x + h.x, centre.y - w.y + h.y, centre.z - w.z + h.z}};
    bool wellInside = true;
    for (const Vec3& corner : corners)
        wellInside = wellInside && view.holdsWell(corner);
    if (!wellInside)
        flushSprites();
    for (const Vec3& corner : corners)
        batchCorners.insert(batchCorners.end(), {corner.x, corner.y, corner.z});
    batchTexCoords.insert(batchTexCoords.end(), SPRITE_TEX_COORDS, SPRITE_TEX_COORDS + 8);
    if (!wellInside)
        flushSprites();
}

// Draws the sprites gathered so far, in one draw, and starts a new gathering.
void CloudmanScene::flushSprites()
{
    if (batchCorners.empty())
        return;
    glVertexPointer(3, GL_FLOAT, 0, batchCorners.data());
    glTexCoordPointer(2, GL_FLOAT, 0, batchTexCoords.data());
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(batchCorners.size() / 3));
    batchCorners.clear();  // keeps its capacity: no allocation from the second frame on
    batchTexCoords.clear();
}
