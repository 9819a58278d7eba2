// wormholescene.cpp -- the wormhole: rings streaming down a swaying tunnel, a teddy and its 39 ghosts.
#include "wormholescene.h"

#include <cmath>

#include "gl.h"
#include "screen.h"
#include "tempo.h"
#include "viewvolume.h"

namespace {
constexpr int RING_COUNT = 50;   // tube segments, nearest first, each 0.5 units long
constexpr int TEDDY_COUNT = 40;  // the teddy and its 39 additive copies
constexpr double THIRTIETH = 0.03333333333333333;
constexpr double GENTLE_GLOW = 0.2;  // of the beat's glow in the gentle show
}

WormholeScene::WormholeScene(bool gentle) : teddy(), gentle(gentle)
{
}

void WormholeScene::setup()
{
    setupSceneCamera(80, 1, 200);
    setSizes();
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_POINT_SMOOTH);
}

void WormholeScene::setSizes()
{
    pointSize(6.0f);
}

void WormholeScene::draw(Tempo& tempo)
{
    const int t = tempo.elapsed();
    const float steps = static_cast<float>(0.02 * t);   // the clock in 50 ms units
    const int wholeSteps = t / 50;
    const float stepFraction = static_cast<float>(0.02 * t - wholeSteps);  // 0 <= f < 1

    placeCamera(steps);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    drawTeddyTrail(steps);
    drawRings(tempo, wholeSteps, stepFraction);
    glDepthMask(GL_TRUE);
}

double WormholeScene::pulse(double beatPhase, float u)
{
    const double v = std::fmod(beatPhase + 0.02 * u, 1.0);
    const double g = v - 0.47;
    // 2^(-1 / (8 g^4)) tends to 0 as g does; take the limit rather than divide by zero.
    if (g <= 0)
        return 0;
    return std::pow(2.0, -1 / (8 * g * g * g * g));
}

void WormholeScene::placeCamera(float steps) const
{
    // Sways within 2 units of the axis and rolls slowly about the view direction.
    glLoadIdentity();
    gluLookAt(2 * std::sin(steps / 7), 2 * std::sin(steps / 6), 0,
              0, 0, -5,
              std::sin(0.01 * steps), std::cos(0.01 * steps), 0);
}

void WormholeScene::drawTeddyTrail(float steps) const
{
    // The lead teddy writes depth and hides what lies behind it; the ghosts add light, hide nothing.
    const double lead = 6 + 3 * std::sin(0.05 * steps);  // distance along the tunnel, 3 to 9
    for (int i = 0; i < TEDDY_COUNT; ++i) {
        const double o = lead - 0.25 * i;
        glPushMatrix();
        glTranslatef(static_cast<float>(1.5 * std::sin(0.25 * o + steps / 7)),
                     static_cast<float>(1.5 * std::sin(0.2 * o + steps / 6)),
                     static_cast<float>(-0.5 * o));
        glScalef(0.2f, 0.2f, 0.2f);
        glRotatef(steps, 1, 0, 0);
        glRotatef(0.8f * steps, 0, 1, 0);
        glRotatef(0.1f * steps, 0, 0, 1);
        if (i == 0)
            glColor4f(0.6f, 0.6f, 0.6f, 1.0f);
        else
            glColor4f(0.4f, 0.4f, 0.6f, 0.1f);
        // Ghosts that have passed the camera lie wholly outside the view: they would give no pixel
        // but still cost a model's worth of vertices.
        if (!ViewVolume::current().misses(Vec3{0, 0, 0}, teddy.boundingRadius()))
            teddy.draw();
        glPopMatrix();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_BLEND);
        glDepthMask(GL_FALSE);
    }
}

void WormholeScene::drawRings(Tempo& tempo, int wholeSteps, float stepFraction) const
{
    // Within a 50 ms step the tunnel keeps its shape and the rings slide along it; the shape itself
    // moves on once per whole step.
    // Gentle, the shape moves on with the rings, without the jerk of a step 20 times a second.
    const double shapeSteps = gentle ? wholeSteps + static_cast<double>(stepFraction) : wholeSteps;
    const double shapeX = shapeSteps / 7.0;
    const double shapeY = shapeSteps / 6.0;
    for (int k = 0; k < RING_COUNT; ++k) {
        const float nearU = k + stepFraction;
        const float farU = nearU + 1;
        const float nearX = static_cast<float>(2 * std::sin(0.25 * nearU + shapeX));
        const float nearY = static_cast<float>(2 * std::sin(0.2 * nearU + shapeY));
        const float farX = static_cast<float>(2 * std::sin(0.25 * farU + shapeX));
        const float farY = static_cast<float>(2 * std::sin(0.2 * farU + shapeY));
        const float nearZ = -0.5f * nearU;
        const float farZ = -0.5f * farU;
        const float glow = static_cast<float>(pulse(tempo.beatPhase(), nearU) * (gentle ? GENTLE_GLOW : 1.0));
        const float radius = 2 + 2 * glow;

        for (int j = 0; j < 60; j += 2) {
            const double a = j * PI * THIRTIETH;
            const double b = (j + 2) * PI * THIRTIETH;
            // Offsets from the ring's axis at the segment's two angles: x by sine, y by cosine.
            const float ax = static_cast<float>(radius * std::sin(a));
            const float ay = static_cast<float>(radius * std::cos(a));
            const float bx = static_cast<float>(radius * std::sin(b));
            const float by = static_cast<float>(radius * std::cos(b));
            // The segment's corners, filled and then traced (three sides: the strip is left open).
            auto corners = [&] {
                glVertex3f(nearX + ax, nearY + ay, nearZ);
                glVertex3f(farX + ax, farY + ay, farZ);
                glVertex3f(farX + bx, farY + by, farZ);
                glVertex3f(nearX + bx, nearY + by, nearZ);
            };
            // Further rings are more opaque; colours above 1 are left for GL to clamp.
            glColor4f(glow + 0.5f, glow + 0.15f, glow + 0.05f, glow + 0.02f * k);
            glBegin(GL_POLYGON);
                corners();
            glEnd();
            glColor4f(0.5f, 0.15f, 0.05f, 1.0f);
            glBegin(GL_LINE_STRIP);
                corners();
            glEnd();
        }

        // A circle of points 10 % wider than the ring's near edge.
        glColor4f(glow + 0.15f, glow + 0.15f, glow + 0.2f, glow + 1 - 0.02f * k);
        glBegin(GL_POINTS);
            for (int j = 0; j < 60; j += 2) {
                const double a = j * PI * THIRTIETH;
                glVertex3f(static_cast<float>(nearX + 1.1 * radius * std::sin(a)),
                           static_cast<float>(nearY + 1.1 * radius * std::cos(a)), nearZ);
            }
        glEnd();
    }
}
