// galaxyscene.cpp -- the spiral galaxy: 20000 generated points drawn additively, the teddy flying in.
#include "galaxyscene.h"

#include <algorithm>
#include <cmath>

#include "matrix.h"
#include "screen.h"
#include "tempo.h"

namespace {
// A value in [-1, 1] clustered near 0: a squared uniform with a random sign. Two draws.
float randomSpread()
{
    const float u = randomUnit();
    const float v = u * u;
    return (random15() & 1) ? v : -v;
}

// Base times 1.5 to a random power in [-1, 1]: between base / 1.5 and base * 1.5.
float spreadChannel(float base)
{
    return static_cast<float>(base * std::pow(1.5, static_cast<double>(randomSpread())));
}
}

Galaxy::Galaxy(int count, float red, float green, float blue, float alpha)
    : positions(3 * static_cast<std::size_t>(count)), colours(4 * static_cast<std::size_t>(count)),
      indices(count), count(count)
{
    // The order of the random draws below fixes the picture.
    for (int j = 0; j < count; ++j) {
        float x, y, z;
        if (j <= count / 4) {
            // Core: rejection-sample the unit ball, then squash it into the ellipsoid.
            float bx, by, bz;
            do {
                bx = 2 * randomUnit() - 1;
                by = 2 * randomUnit() - 1;
                bz = 2 * randomUnit() - 1;
            } while (bx * bx + by * by + bz * bz > 1);
            x = 0.3f * bx;
            y = 0.25f * by;
            z = 0.3f * bz;
        } else {
            // Arm: two arms half a turn apart, each winding 3 radians from centre to rim, thinning
            // towards the rim; the thickness stops growing inside r = 0.3.
            const float r = randomUnit();
            const float arm = static_cast<float>((random15() & 1) * 3.1415);
            const float theta = randomSpread() + arm + 3 * r;
            const float h = 0.5f * randomSpread() / (4 * std::max(r, 0.3f) + 2);
            x = r * std::cos(theta) + 0.02f * randomSpread();
            y = h + 0.02f * randomSpread();
            z = r * std::sin(theta) + 0.02f * randomSpread();
        }
        positions[3 * j + 0] = x;
        positions[3 * j + 1] = y;
        positions[3 * j + 2] = z;
        indices[j] = static_cast<GLuint>(j);
        colours[4 * j + 0] = spreadChannel(red);
        colours[4 * j + 1] = spreadChannel(green);
        colours[4 * j + 2] = spreadChannel(blue);
        colours[4 * j + 3] = spreadChannel(alpha);
    }
}

void Galaxy::draw() const
{
    glColorPointer(4, GL_FLOAT, 0, colours.data());
    glVertexPointer(3, GL_FLOAT, 0, positions.data());
    glDrawElements(GL_POINTS, count, GL_UNSIGNED_INT, indices.data());
}

GalaxyScene::GalaxyScene() : startTime(-1), galaxy(20000, 0.3f, 0.15f, 0.05f, 0.5f), teddy()
{
}

void GalaxyScene::setup()
{
    setupSceneCamera(60, 0.01, 100);
    setSizes();
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_POINT_SMOOTH);
    startTime = -1;
}

void GalaxyScene::setSizes()
{
    pointSize(3);
}

void GalaxyScene::draw(Tempo& tempo)
{
    if (startTime < 0)
        startTime = tempo.elapsed();
    // The scene runs at 0.7 of real time, from 0 on its first frame.
    const float sceneTime = static_cast<float>((tempo.elapsed() - startTime) * 0.7);

    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
    placeCamera(sceneTime);
    glRotatef(sceneTime * 0.0016666667f, 0, 1, 0);  // the world turns under teddy and galaxy alike
    drawTeddy(sceneTime);
    drawGalaxy();
}

void GalaxyScene::placeCamera(float sceneTime) const
{
    // The eye swings along z between 25 and 5, always looking at the galaxy's centre.
    gluLookAt(3, 5, 15 + 10 * std::cos(sceneTime * 0.00006666667), 0, 0, 0, 0, 1, 0);
}

void GalaxyScene::drawTeddy(float sceneTime) const
{
    // A straight line from (-9, 7.7, 35.5), behind the camera, reaching (1, 1, 1) at 30000 ms.
    const double d = 1 - sceneTime * 0.000033333333333333335;
    glDisable(GL_BLEND);
    glPushMatrix();
    glTranslatef(static_cast<float>(1 - 10 * d), static_cast<float>(1 + 6.7 * d), static_cast<float>(1 + 34.5 * d));
    glScalef(0.03f, 0.03f, 0.03f);
    glRotatef(sceneTime * 0.05f, 1, 1, 1);
    teddy.draw();  // in the colour the previous frame's overlays left: white
    glPopMatrix();
}

void GalaxyScene::drawGalaxy() const
{
    // Depth-tested against the teddy but writing no depth: overlapping points simply add up.
    glScalef(10, 10, 10);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    galaxy.draw();
    glDepthMask(GL_TRUE);
}
