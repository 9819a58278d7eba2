// planetscene.cpp -- the planet: three additive cloud shells, a spinning ring, moon, stars and teddy.
#include "planetscene.h"

#include <cmath>

#include "runningorder.h"
#include "screen.h"
#include "tempo.h"
#include "util.h"

namespace {
constexpr std::size_t RING_CHUNKS = 4000;
constexpr std::size_t STAR_COUNT = 1000;
}

PlanetScene::PlanetScene(bool gentle)
    : moonTexture(0), cloudTexture(0), quadric(nullptr), teddy(), startTime(-1), gentle(gentle)
{
    seedRandom15(0);

    // One radian per chunk: the chunks spread round the circle with no regular pattern.
    ring.reserve(RING_CHUNKS);
    while (ring.size() < RING_CHUNKS) {
        const int n = static_cast<int>(ring.size());
        const float radius = 7 * randomUnit() + 20;
        ring.push_back(RingChunk{static_cast<float>(radius * std::cos(n)), 0.0f,
                                 static_cast<float>(radius * std::sin(n)),
                                 static_cast<float>(n * 180 * (1 / PI))});
    }

    // The draws come out as z, y, x.
    stars.reserve(STAR_COUNT);
    for (std::size_t i = 0; i < STAR_COUNT; ++i) {
        const float z = 200 * randomUnit() - 100;
        const float y = 200 * randomUnit() - 100;
        const float x = 200 * randomUnit() - 100;
        stars.push_back(Vec3{x, y, z});
    }

    moonTexture = loadTexture("moon.png");
    cloudTexture = loadTexture("planetclouds.png");
    quadric = gluNewQuadric();
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluQuadricTexture(quadric, GL_TRUE);
}

PlanetScene::~PlanetScene()
{
    // Unlike a texture, a quadric is plain heap memory that no context teardown frees.
    if (quadric)
        gluDeleteQuadric(quadric);
}

void PlanetScene::setup()
{
    setupSceneCamera(60, 1, 200);
    setSizes();
}

void PlanetScene::setSizes()
{
    pointSize(1);
}

void PlanetScene::draw(Tempo& tempo)
{
    // The camera pan and the teddy's flight run on scene time; everything else on the show clock,
    // read afresh wherever it is used.
    if (startTime < 0)
        startTime = tempo.elapsed();
    const int sceneTime = tempo.elapsed() - startTime;

    placeCamera(tempo);
    drawPlanet(tempo);
    drawMoon();
    drawRing(tempo);
    drawStars(tempo);
    drawTeddy(tempo, sceneTime);
}

void PlanetScene::placeCamera(Tempo& tempo) const
{
    // A fixed eye panning between x = 80 and x = -40 every 50 s; the slanted up vector tilts it.
    glLoadIdentity();
    gluLookAt(0, 2, 25,
              20 + 60 * std::cos((tempo.elapsed() - startTime) * 0.000125), -2, 0,
              1, 1, 0);
}

void PlanetScene::drawPlanet(Tempo& tempo) const
{
    // Lit with no light source: only the global ambient reaches the shells, which add up. Drawn
    // before depth testing is enabled, so they neither test nor write depth.
    glPushMatrix();
    glRotatef(static_cast<float>(tempo.elapsed() * 0.01), 1, 1, 1);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, cloudTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gluSphere(quadric, 12, 20, 20);
    gluSphere(quadric, 11.9, 20, 20);
    gluSphere(quadric, 11.8, 20, 20);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glPopMatrix();
}

void PlanetScene::drawMoon() const
{
    // A 10 x 10 square at half brightness, added on between the camera and the planet.
    glPushMatrix();
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);
    glColor4f(0.5f, 0.5f, 0.5f, 1);
    glTranslatef(-0.3f, 1.25f, 15);
    glScalef(5, 5, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, moonTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const float moon[4][4] = {{0.01f, 0.99f, -1, -1}, {0.01f, 0.01f, -1, 1}, {0.99f, 0.01f, 1, 1}, {0.99f, 0.99f, 1, -1}};
    texturedQuad(moon);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glPopMatrix();
}

void PlanetScene::drawRing(Tempo& tempo) const
{
    // The whole ring turns about y; each chunk spins about its own radial axis, its index a phase.
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    // Chunks near the camera fill blocks of the screen face-on and vanish edge-on: gentle, they add
    // a little over half as much light.
    glColor4f(0.6f, 0.3f, 0.1f, gentle ? 0.45f : 0.8f);
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const RingChunk& chunk = ring[i];
        glPushMatrix();
        glRotatef(static_cast<float>(-tempo.elapsed() * 0.005), 0, 1, 0);
        glTranslatef(chunk.x, chunk.y, chunk.z);
        glRotatef(-chunk.angle, 0, 1, 0);  // the chunk's x axis now points away from the centre
        glRotatef(static_cast<float>(tempo.elapsed() * 0.05 + i), 1, 0, 0);
        glBegin(GL_POLYGON);
            glVertex3f(-0.2f, 0, 0.2f);
            glVertex3f(0.2f, 0, 0.2f);
            glVertex3f(0.2f, 0, -0.2f);
            glVertex3f(-0.2f, 0, -0.2f);
        glEnd();
        glBegin(GL_LINE_STRIP);
            glVertex3f(-0.2f, 0, 0.2f);
            glVertex3f(0.2f, 0, 0.2f);
            glVertex3f(0.2f, 0, -0.2f);
            glVertex3f(-0.2f, 0, -0.2f);
            glVertex3f(-0.2f, 0, 0.2f);
        glEnd();
        glPopMatrix();
    }
    glDepthMask(GL_TRUE);
}

void PlanetScene::drawStars(Tempo& tempo) const
{
    // Each channel twinkles in its own phase, about every 126 ms; still blended from the ring.
    glPushMatrix();
    glBegin(GL_POINTS);
        for (const Vec3& star : stars) {
            glColor4f(static_cast<float>(0.6 + 0.4 * std::sin(tempo.elapsed() * 0.05 + star.x)),
                      static_cast<float>(0.6 + 0.4 * std::sin(tempo.elapsed() * 0.05 + star.y)),
                      static_cast<float>(0.6 + 0.4 * std::sin(tempo.elapsed() * 0.05 + star.z)), 1);
            glVertex3f(star.x, star.y, star.z);
        }
    glEnd();
    glDisable(GL_BLEND);
    glPopMatrix();
}

void PlanetScene::drawTeddy(Tempo& tempo, int sceneTime) const
{
    // Turning at the planet's centre until 17 s, then in from behind the camera towards (10, 0, 11),
    // shrinking as 1700 / A: full size at A = 1700.
    glPushMatrix();
    glColor4f(1, 1, 1, 1);
    const int swoop = sceneTime - tempo.beatsToMs(PLANET_SWOOP_BEAT);
    if (swoop > 0) {
        glTranslatef(static_cast<float>(10 - 150 / (swoop * 0.0006666666666666666)), 0,
                     static_cast<float>(100 / (swoop * 0.001) + 11));
        const float scale = static_cast<float>(1 / (swoop * 0.000588235294117647));
        glScalef(scale, scale, scale);
    }
    glRotatef(static_cast<float>(tempo.elapsed() * 0.1), 1, 0, 0);
    glRotatef(static_cast<float>(tempo.elapsed() * 0.014285714285714285), 0.1f, 0, 0);
    glRotatef(static_cast<float>(tempo.elapsed() * 0.016666666666666666), 0, 0, 1);
    teddy.draw();
    glPopMatrix();
}
