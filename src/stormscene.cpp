// stormscene.cpp -- the storm: a sea of points moved by four travelling waves, the teddy, blowing flakes.
#include "stormscene.h"

#include <algorithm>
#include <cmath>

#include "gl.h"
#include "screen.h"
#include "tempo.h"

StormScene::StormScene() : heights(), gridSize(50), lastTime(-1)
{
    seedRandom15(1000);
    particles.reserve(1000);
    while (particles.size() < 1000) {
        const float a = 30 * randomUnit() - 15;
        const float b = 30 * randomUnit() - 15;
        const float c = 6 * randomUnit() + 1;
        particles.push_back(Vec3{b, c, a});
    }
    startParticles = particles;
}

void StormScene::setup()
{
    setupSceneCamera(60.0, 1.0, 200.0);
    setSizes();
    // Linear fog towards the default black fades the far water.
    glEnable(GL_FOG);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, 30.0f);
    glFogf(GL_FOG_MODE, static_cast<float>(GL_LINEAR));
    glFogf(GL_FOG_DENSITY, 0.1f);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_POINT_SMOOTH);
    lastTime = -1;
    // As on the scene's first showing, whenever it begins again: a viewer may come back to it.
    particles = startParticles;
    std::fill(&heights[0][0], &heights[0][0] + sizeof heights / sizeof heights[0][0], 0.0f);
}

void StormScene::setSizes()
{
    pointSize(6.0f);
}

void StormScene::draw(Tempo& tempo)
{
    if (lastTime < 0)
        lastTime = tempo.elapsed();
    const int now = tempo.elapsed();
    const int dt = now - lastTime;  // ms since the previous frame; 0 on the first
    lastTime = now;

    glEnable(GL_DEPTH_TEST);
    placeCamera(tempo);
    drawTeddy();

    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    drawSea(tempo);
    drawFlakes(tempo, dt);
    glDepthMask(GL_TRUE);
}

// A boat's view: the eye bobs with a period of pi seconds and the horizon rocks; the world turns.
void StormScene::placeCamera(Tempo& tempo)
{
    const float s = static_cast<float>(tempo.elapsed() * 0.002);
    glLoadIdentity();
    gluLookAt(10, 3.5 + std::sin(s), 5,
              0, 0, 0,
              0.05 * std::sin(0.9090909090909091 * s), 1, 0.05 * std::sin(0.7692307692307692 * s));
    glRotatef(tempo.elapsed() * 0.0033322226f, 0, 1, 0);
}

// The teddy rides the sea at its centre, on the height left by the previous frame.
void StormScene::drawTeddy()
{
    glPushMatrix();
    glTranslatef(25 - 0.5f * gridSize, heights[50][50], 25 - 0.5f * gridSize);
    glRotatef(-90, 0, 0, 1);
    glScalef(0.3f, 0.3f, 0.3f);
    glColor4f(1, 1, 1, 1);
    teddy.draw();
    glPopMatrix();
}

// Two long waves and two short ones travelling the other way, drawn as soft additive points.
void StormScene::drawSea(Tempo& tempo)
{
    const int side = 2 * gridSize;
    glBegin(GL_POINTS);
        glColor4f(1.0f, 0.5f, 0.3f, 1.0f);
        for (int i = 0; i < side; ++i)
            for (int j = 0; j < side; ++j)
                heights[i][j] = static_cast<float>(
                    0.5 * (std::sin(tempo.elapsed() * 0.0016666666666666668 + 0.2 * j) +
                           std::sin(tempo.elapsed() * 0.0014285714285714286 + 0.16666666666666666 * i)) +
                    0.15 * std::sin(0.5555555555555556 * j - tempo.elapsed() * 0.004545454545454545) +
                    0.1 * std::sin(0.4347826086956522 * i - tempo.elapsed() * 0.004761904761904762));
        for (int i = 0; i < side; ++i)
            for (int j = 0; j < side; ++j)
                glVertex3f(0.5f * i - 0.5f * gridSize, heights[i][j], 0.5f * j - 0.5f * gridSize);
    glEnd();
}

// Flakes sway about their base positions, tumble (two of the angles step every 2 and 3 ms) and blow
// along +x at dt/300 units a frame, re-entering at x = -15.
void StormScene::drawFlakes(Tempo& tempo, int dt)
{
    glColor4f(1.0f, 1.0f, 1.0f, 0.8f);
    for (std::size_t index = 0; index < particles.size(); ++index) {
        Vec3& p = particles[index];
        const int k = static_cast<int>(index);
        const Vec3 at = flakePosition(p, tempo, k);
        const float degreesX = static_cast<float>(tempo.elapsed() / 2 + k);
        const float degreesY = static_cast<float>(tempo.elapsed() * 0.6666666666666666 + k);
        const float degreesZ = static_cast<float>(tempo.elapsed() / 3 + k);
        drawFlake(at, degreesX, degreesY, degreesZ, false);
        blowFlake(p, dt);
    }
}
