// borderlinescene.cpp -- the border: three turning squares, streaming particles and their crossing marks.
#include "borderlinescene.h"

#include <cmath>

#include "screen.h"
#include "tempo.h"
#include "util.h"

BorderlineScene::BorderlineScene()
    : borderTexture1(0), borderTexture2(0), borderTexture3(0), hitTexture(0), lastTime(-1), startTime(-1)
{
    seedRandom15(1000);
    particles.reserve(2000);
    while (particles.size() < 2000) {
        const float u1 = randomUnit();
        const float u2 = randomUnit();
        const float u3 = randomUnit();
        particles.push_back(Vec3{30 * u2 - 15, 6 * u3 - 1, 30 * u1 - 15});
    }
    startParticles = particles;
    borderTexture1 = loadTexture("borderline1.png");
    borderTexture2 = loadTexture("borderline2.png");
    borderTexture3 = loadTexture("borderline3.png");
    hitTexture = loadTexture("borderlinehit.png");
    hits.reserve(MAX_HITS);
}

void BorderlineScene::setup()
{
    setupSceneCamera(60.0, 1.0, 200.0);
    setSizes();
    glDisable(GL_DEPTH_TEST);
    // Exponential fog: only the density counts; far squares fade into the default black fog.
    glEnable(GL_FOG);
    glFogf(GL_FOG_START, -10.0f);
    glFogf(GL_FOG_END, 10.0f);
    glFogf(GL_FOG_MODE, static_cast<float>(GL_EXP));
    glFogf(GL_FOG_DENSITY, 0.15f);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_POINT_SMOOTH);
    lastTime = -1;
    startTime = -1;
    // The stream starts afresh each time the scene begins, as on its first showing: a viewer may
    // come back to it.
    particles = startParticles;
    hits.clear();
}

void BorderlineScene::setSizes()
{
    pointSize(4.0f);
    lineWidth(2.0f);
}

void BorderlineScene::draw(Tempo& tempo)
{
    if (startTime < 0)
        startTime = tempo.elapsed();
    if (lastTime < 0)
        lastTime = tempo.elapsed();
    const int now = tempo.elapsed();
    const int dt = now - lastTime;  // ms since the previous frame; 0 on the first
    lastTime = now;

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();

    placeCamera(tempo);
    drawBorder(tempo);
    drawParticles(tempo, dt);
    drawHits(dt);
}

// The eye swings from x = 1 to x = 9 and back over 6000 pi ms of scene time.
void BorderlineScene::placeCamera(Tempo& tempo)
{
    const double sceneTime = tempo.elapsed() - startTime;
    gluLookAt(5 - 4 * std::cos(sceneTime * 0.00016666666666666666), 1, 4,
              0, 1.5, 0,
              0, 1.6, 0);
}

// The three squares turn at their own speeds in the plane x = 0, brightest 18.8 s in.
void BorderlineScene::drawBorder(Tempo& tempo)
{
    const float brightness = static_cast<float>(0.55 - 0.45 * std::cos((tempo.elapsed() - startTime) * 0.00016666666666666666));
    glColor4f(brightness, brightness, brightness, brightness);

    glPushMatrix();
    glRotatef(static_cast<float>(0.02 * tempo.elapsed()), 1, 0, 0);
    glScalef(1, 30, 30);  // 60 x 60
    drawTexturedSquare(borderTexture1, 0.0f);
    glPopMatrix();

    glPushMatrix();
    glRotatef(static_cast<float>(-tempo.elapsed() * 0.02), 1, 0, 0);
    glScalef(1, 30, 30);
    drawTexturedSquare(borderTexture2, 0.01f);
    glPopMatrix();

    glPushMatrix();
    glRotatef(static_cast<float>(0.014285714285714285 * tempo.elapsed()), 1, 0, 0);
    glScalef(1, 30, 30);
    drawTexturedSquare(borderTexture3, -0.01f);
    glPopMatrix();
}

// The textured unit square from -1 to 1 in y and z, in the plane x = x0.
void BorderlineScene::drawTexturedSquare(GLuint texture, float x0)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
        glTexCoord2f(0, 0); glVertex3f(x0, -1, -1);
        glTexCoord2f(0, 1); glVertex3f(x0, 1, -1);
        glTexCoord2f(1, 1); glVertex3f(x0, 1, 1);
        glTexCoord2f(1, 0); glVertex3f(x0, -1, 1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

// Each square sways about its base position, tumbles, marks the border while it is inside the band
// |X| < 0.1, and streams along +x at dt/300 units a frame, wrapping from 15 to -15.
void BorderlineScene::drawParticles(Tempo& tempo, int dt)
{
    for (std::size_t index = 0; index < particles.size(); ++index) {
        Vec3& p = particles[index];
        const Vec3 at = flakePosition(p, tempo, static_cast<int>(index));
        if (at.x > -0.1 && at.x < 0.1 && hits.size() < MAX_HITS)
            hits.push_back(BorderHit{0.0f, at.y, at.z, 1.0f});

        if (at.x <= 0)
            glColor4f(1.0f, 0.15f, 0.1f, 1.0f);
        else
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

        const double i = static_cast<double>(index);
        const float degreesX = static_cast<float>(0.47619047619047616 * tempo.elapsed() + i);
        const float degreesY = static_cast<float>(0.6666666666666666 * tempo.elapsed() + i);
        const float degreesZ = static_cast<float>(0.30303030303030304 * tempo.elapsed() + i);
        drawFlake(at, degreesX, degreesY, degreesZ, true);
        blowFlake(p, dt);
    }
}

// Every mark is drawn and faded once a frame; the faded-out ones are dropped in the same pass,
// keeping the others in order.
void BorderlineScene::drawHits(int dt)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        BorderHit h = hits[i];
        glPushMatrix();
        glColor4f(h.alpha, h.alpha, h.alpha, h.alpha);
        glTranslatef(0, h.y, h.z);

        glPushMatrix();
        glScalef(1, 0.1f, 0.1f);  // a 0.2 x 0.2 mark
        drawTexturedSquare(hitTexture, 0.0f);
        glPopMatrix();

        // The flare shrinks from 0.8 x 0.8 to nothing over the mark's first 0.2 s.
        if (h.alpha > 0.8f) {
            const float s = static_cast<float>(2 * (h.alpha - 0.8));
            glPushMatrix();
            glScalef(1, s, s);
            drawTexturedSquare(hitTexture, 0.0f);
            glPopMatrix();
        }
        glPopMatrix();

        h.alpha = static_cast<float>(h.alpha - 0.001 * dt);
        if (!(h.alpha < 0))
            hits[kept++] = h;
    }
    hits.resize(kept);
}
