// corescene.cpp -- the core: shell of shards, the teddy, stacked fire, rays after the burst, wire husks.
#include "corescene.h"

#include <cmath>

#include "runningorder.h"
#include "screen.h"
#include "tempo.h"
#include "util.h"

namespace {
// The unit sphere with the y axis as its pole axis; phi from the north pole, theta round y (radians).
Vec3 spherePoint(double phi, double theta)
{
    return Vec3{static_cast<float>(std::cos(theta) * std::sin(phi)), static_cast<float>(std::cos(phi)),
                static_cast<float>(std::sin(theta) * std::sin(phi))};
}
}

float signedPower(float v, float p)
{
    if (v >= 0)
        return std::pow(v, p);
    return -std::pow(-v, p);
}

Shard::Shard(const Vec3& q1, const Vec3& q2, const Vec3& q3)
{
    const float third = 0.3333333f;
    centre = Vec3{(q1.x + q2.x + q3.x) * third, (q1.y + q2.y + q3.y) * third, (q1.z + q2.z + q3.z) * third};
    corners[0] = Vec3{q1.x - centre.x, q1.y - centre.y, q1.z - centre.z};
    corners[1] = Vec3{q2.x - centre.x, q2.y - centre.y, q2.z - centre.z};
    corners[2] = Vec3{q3.x - centre.x, q3.y - centre.y, q3.z - centre.z};
    const float r1 = randomUnit() - 0.5f;
    const float r2 = randomUnit() - 0.5f;
    const float r3 = randomUnit() - 0.5f;
    velocity = Vec3{centre.x + r3, centre.y + r2, centre.z + r1};
}

Shell::Shell(int slices, int bands)
{
    shards.reserve(2 * slices * bands);
    for (int i = 0; i < slices; ++i) {
        const double theta0 = 2 * PI * static_cast<float>(static_cast<float>(i) / slices);
        const double theta1 = 2 * PI * static_cast<float>(static_cast<float>(i + 1) / slices);
        for (int j = 0; j < bands; ++j) {
            const double phi0 = PI * static_cast<float>(static_cast<float>(j) / bands);
            const double phi1 = PI * static_cast<float>(static_cast<float>(j + 1) / bands);
            // At the poles one of the two has two corners on the pole and no area; it still takes
            // its random draws, which keeps every other shard's jitter as it is.
            const Shard first(spherePoint(phi0, theta0), spherePoint(phi0, theta1), spherePoint(phi1, theta1));
            const Shard second(spherePoint(phi0, theta0), spherePoint(phi1, theta1), spherePoint(phi1, theta0));
            shards.push_back(first);
            shards.push_back(second);
        }
    }
}

void Shell::draw(float scale) const
{
    glBegin(GL_TRIANGLES);
        for (const Shard& s : shards)
            for (const Vec3& corner : s.corners)
                glVertex3f(scale * s.centre.x + corner.x, scale * s.centre.y + corner.y, scale * s.centre.z + corner.z);
    glEnd();
}

void Shell::update(float dt)
{
    for (Shard& s : shards) {
        s.velocity.y -= 2 * dt;
        s.centre.x += dt * s.velocity.x;
        s.centre.y += dt * s.velocity.y;
        s.centre.z += dt * s.velocity.z;
    }
}

CoreScene::CoreScene() : shell(30, 15), startShell(shell), lastTime(-1), startBeat(0), coreTexture(0), rayTexture(0)
{
    coreTexture = loadTexture("corefire.png");
    rayTexture = loadTexture("rayfire.png");
}

void CoreScene::setup()
{
    setupSceneCamera(60.0, 1.0, 200.0);
    lastTime = -1;
    // Whole again whenever the scene begins, as on its first showing: a viewer may come back to it.
    shell = startShell;
}

void CoreScene::draw(Tempo& tempo)
{
    const int now = tempo.elapsed();
    if (lastTime < 0) {
        lastTime = now;
        startBeat = tempo.beat();
    }
    const int beatsIn = tempo.beat() - startBeat;
    const float secs = static_cast<float>(0.001 * now);              // show time, seconds
    const float dt = static_cast<float>(0.001 * (now - lastTime));   // seconds since the previous frame
    const float beatPos = static_cast<float>(static_cast<float>(tempo.beat()) + tempo.beatPhase());  // music position, beats
    lastTime = now;
    const bool burst = beatsIn >= CORE_BURST_BEAT;

    glLoadIdentity();
    glTranslatef(0, 0, -10);
    glEnable(GL_DEPTH_TEST);

    // Before the burst the shell throbs on every even beat; after it, the shards fly.
    float throb = 0;
    if (tempo.beat() % 2 == 0 && !burst)
        throb = static_cast<float>(1 - tempo.beatPhase());
    else if (burst)
        shell.update(dt);

    drawShell(throb);
    drawTeddy(secs);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    lineWidth(5.0f);
    glDepthMask(GL_FALSE);
    drawCoreFire();
    if (burst)
        drawRays(secs);
    glDisable(GL_TEXTURE_2D);
    drawHusks(beatPos);
    glDepthMask(GL_TRUE);
}

// Opaque and dark, writing depth: until the burst it hides the teddy and the fire's middle.
void CoreScene::drawShell(float throb)
{
    glPushMatrix();
    glScalef(1.4f, 1.4f, 1.4f);
    glColor4f(0.1f, 0.1f, 0.1f, 1.0f);
    shell.draw(1 + 0.3f * throb);
    glPopMatrix();
}

void CoreScene::drawTeddy(float secs)
{
    glPushMatrix();
    glRotatef(100 * secs, 0, 1, 0);
    glRotatef(-90, 1, 0, 0);
    glScalef(0.43f, 0.43f, 0.43f);
    glColor4f(0.4f, 0.4f, 0.4f, 1.0f);
    teddy.draw();
    glPopMatrix();
}

// Ten squares 0.1 apart, each adding a tenth of the fire, wider than the shell so it glows past the rim.
void CoreScene::drawCoreFire()
{
    glColor4f(1.0f, 1.0f, 1.0f, 0.1f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, coreTexture);
    for (int k = 0; k < 10; ++k) {
        const float z = 0.1f * k - 0.5f;
        glBegin(GL_TRIANGLE_STRIP);
            glTexCoord2f(0, 0); glVertex3f(-1.7f, -1.7f, z);
            glTexCoord2f(0, 1); glVertex3f(-1.7f, 1.7f, z);
            glTexCoord2f(1, 0); glVertex3f(1.7f, -1.7f, z);
            glTexCoord2f(1, 1); glVertex3f(1.7f, 1.7f, z);
        glEnd();
    }
}

// Twenty flames 15 units long wheeling round the core, their base at its centre.
void CoreScene::drawRays(float secs)
{
    glBindTexture(GL_TEXTURE_2D, rayTexture);
    glColor4f(1, 1, 1, 1);
    for (int k = 0; k < 20; ++k) {
        glPushMatrix();
        glRotatef(21 * k + 14.6f * secs, 1, 0, 0);
        glRotatef(57 * k + 13.1f * secs, 0, 1, 0);
        glRotatef(23 * k + 40 * secs, 0, 0, 1);
        glBegin(GL_TRIANGLES);
            glTexCoord2f(0.5f, 0); glVertex3f(0, 0, 0);
            glTexCoord2f(0, 0.99f); glVertex3f(15, 2, 0);
            glTexCoord2f(1, 0.99f); glVertex3f(15, -2, 0);
        glEnd();
        glPopMatrix();
    }
}

// Seven husks from yellow inside to red outside, each breathing a little out of phase with the next:
// p1 swings once every four beats, p2 once every two.
void CoreScene::drawHusks(float beatPos)
{
    for (int c = 0; c < 7; ++c) {
        glColor4f(1.0f, static_cast<float>(0.9 - 0.1 * c), 0.1f, 0.05f);
        const float p1 = static_cast<float>(1 + 0.7f * std::cos(0.6 * c + beatPos * PI / 2));
        const float p2 = static_cast<float>(1 + 0.7f * std::cos(0.6 * c + beatPos * PI));
        drawWireShape(p1, p2, static_cast<float>(1 + 0.6 * c));
    }
}

// A unit sphere plus a superquadric-like displacement of the given size, as 80 open meridians
// from near the north pole to near the south pole. Each power depends on the meridian or on the
// latitude alone, so those are taken once per husk rather than once per vertex.
void CoreScene::drawWireShape(float p1, float p2, float size)
{
    float sinPhi[LATITUDES], cosPhi[LATITUDES], sinPhiPower[LATITUDES], cosPhiPower[LATITUDES];
    for (int j = 1; j <= LATITUDES; ++j) {
        const double phi = j * (PI * 0.025);  // j pi / 40: both poles left out
        sinPhi[j - 1] = static_cast<float>(std::sin(phi));
        cosPhi[j - 1] = static_cast<float>(std::cos(phi));
        sinPhiPower[j - 1] = signedPower(sinPhi[j - 1], p1);
        cosPhiPower[j - 1] = signedPower(cosPhi[j - 1], p1);
    }
    for (int m = 0; m < MERIDIANS; ++m) {
        const float theta = static_cast<float>(2 * m * 0.039269908168750006);
        const float cosTheta = static_cast<float>(std::cos(theta));
        const float sinTheta = static_cast<float>(std::sin(theta));
        const float cosThetaPower = signedPower(cosTheta, p2);
        const float sinThetaPower = signedPower(sinTheta, p2);
        glBegin(GL_LINE_STRIP);
            for (int j = 0; j < LATITUDES; ++j) {
                const float x = cosTheta * sinPhi[j] + size * sinPhiPower[j] * cosThetaPower;
                const float y = cosPhi[j] + 1.5f * size * sinPhi[j] * cosPhiPower[j];
                const float z = sinTheta * sinPhi[j] + size * sinPhiPower[j] * sinThetaPower;
                glVertex3f(x, y, z);
            }
        glEnd();
    }
}
