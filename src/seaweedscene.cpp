// seaweedscene.cpp -- the sea floor: seaweed strands simulated in fixed 20 ms steps, drifting motes, the teddy.
#include "seaweedscene.h"

#include <cmath>

#include "gl.h"
#include "screen.h"
#include "tempo.h"

Strand::Strand(int segments, float width, float angle) : segments(segments), width(width)
{
    const float mass = 5 * width * width;
    const float rungX = width * std::cos(angle);
    const float rungZ = width * std::sin(angle);
    const float diagonal = std::sqrt(2.0f) * width;
    nodes.reserve(2 * (segments + 1));
    springs.reserve(1 + 5 * segments);

    nodes.push_back(StrandNode{mass, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    nodes.push_back(StrandNode{mass, rungX, 0, rungZ, 0, 0, 0, 0, 0, 0});
    springs.push_back(StrandSpring{0.1f, width, 2.0f, 0, 1});
    for (int i = 1; i <= segments; ++i) {
        const int f = 2 * i + 1;  // the new rung's right node
        const float height = i * width;
        nodes.push_back(StrandNode{mass, 0, height, 0, 0, 0, 0, 0, 0, 0});
        nodes.push_back(StrandNode{mass, rungX, height, rungZ, 0, 0, 0, 0, 0, 0});
        springs.push_back(StrandSpring{0.1f, width, 2.0f, f - 1, f});         // rung
        springs.push_back(StrandSpring{0.1f, width, 2.0f, f - 1, f - 3});     // left rail
        springs.push_back(StrandSpring{0.1f, width, 2.0f, f, f - 2});         // right rail
        springs.push_back(StrandSpring{0.1f, diagonal, 2.0f, f - 1, f - 2});  // one diagonal
        springs.push_back(StrandSpring{0.1f, diagonal, 2.0f, f, f - 3});      // the other diagonal
    }
}

void Strand::step(const Vec3& current)
{
    const int n = static_cast<int>(nodes.size());
    const int half = n / 2;

    // Damping, and the current pushing hardest at the middle of the strand.
    for (int i = 2; i < n; ++i) {
        StrandNode& node = nodes[i];
        const float pull = (half - std::fabs(i - 0.5f * n)) / half;
        node.fx = -0.4f * node.vx + 0.2f * pull * current.x;
        node.fy = -0.4f * node.vy + 0.2f * pull * current.y;
        node.fz = -0.4f * node.vz + 0.2f * pull * current.z;
    }

    for (const StrandSpring& spring : springs) {
        StrandNode& a = nodes[spring.first];
        StrandNode& b = nodes[spring.second];
        const float dx = a.x - b.x;
        const float dy = a.y - b.y;
        const float dz = a.z - b.z;
        const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
        const float g = (spring.restLength - length) * spring.stiffness / length;
        a.fx += g * dx;
        a.fy += g * dy;
        a.fz += g * dz;
        b.fx -= g * dx;
        b.fy -= g * dy;
        b.fz -= g * dz;
    }

    // A node flung too hard (or into NaN) stops dead for the step instead of exploding.
    for (int i = 2; i < n; ++i) {
        StrandNode& node = nodes[i];
        const float ax = node.fx / node.mass;
        const float ay = node.fy / node.mass;
        const float az = node.fz / node.mass;
        if (ax * ax + ay * ay + az * az < 1) {
            node.vx += 2 * ax;
            node.vy += 2 * ay;
            node.vz += 2 * az;
        } else {
            node.vx = node.vy = node.vz = 0;
        }
        node.x += 2 * node.vx;
        node.y += 2 * node.vy;
        node.z += 2 * node.vz;
    }
}

void Strand::draw() const
{
    const int n = static_cast<int>(nodes.size());
    glBegin(GL_TRIANGLE_STRIP);
        for (int i = 0; i < n; ++i)
            glVertex3f(nodes[i].x, nodes[i].y, nodes[i].z);
    glEnd();
    // Up the left rail and down the right, open at the root.
    glBegin(GL_LINE_STRIP);
        for (int i = 0; i < n; i += 2)
            glVertex3f(nodes[i].x, nodes[i].y, nodes[i].z);
        for (int i = n - 1; i > 0; i -= 2)
            glVertex3f(nodes[i].x, nodes[i].y, nodes[i].z);
    glEnd();
}

SeaweedScene::SeaweedScene() : startTime(-1), stepCount(-1)
{
    seedRandom15(10);
    strands.reserve(100);
    for (int i = 0; i < 100; ++i) {
        const float angle = 6.28f * randomUnit();
        const float width = 3 * randomUnit() + 2;
        const Strand strand(10, width, angle);
        strands.push_back(strand);
    }
    startStrands = strands;
    anchors.reserve(1000);
    for (int i = 0; i < 1000; ++i) {
        const float a = 300 * randomUnit() - 150;
        const float b = 300 * randomUnit() - 150;
        anchors.push_back(Vec3{b, 0, a});
    }
    // Two layers of motes: up to 100 high, then a denser one up to 30 high.
    motes.reserve(2000);
    for (int i = 0; i < 1000; ++i) {
        const float a = 300 * randomUnit() - 150;
        const float b = 100 * randomUnit();
        const float c = 300 * randomUnit() - 150;
        motes.push_back(Vec3{c, b, a});
    }
    for (int i = 0; i < 1000; ++i) {
        const float a = 300 * randomUnit() - 150;
        const float b = 30 * randomUnit();
        const float c = 300 * randomUnit() - 150;
        motes.push_back(Vec3{c, b, a});
    }
}

void SeaweedScene::setup()
{
    setupSceneCamera(70.0, 1.0, 200.0);
    setSizes();
    glEnable(GL_FOG);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, 200.0f);
    glFogf(GL_FOG_MODE, static_cast<float>(GL_LINEAR));
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    startTime = -1;
    stepCount = -1;
    // At rest again whenever the scene begins, as on its first showing: a viewer may come back to it.
    strands = startStrands;
}

void SeaweedScene::setSizes()
{
    pointSize(3.0f);
    lineWidth(2.0f);
}

void SeaweedScene::draw(Tempo& tempo)
{
    placeCamera(tempo);
    drawTeddy();

    glEnable(GL_FOG);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    catchUp(tempo.elapsed());
    drawSeaweed();
    drawMotes();
    glDepthMask(GL_TRUE);
}

void SeaweedScene::catchUp(int now)
{
    if (startTime < 0) {
        startTime = now;
        stepCount = 0;
    }
    while ((now - startTime) / STEP_MS > stepCount) {
        simulationStep(stepCount);
        stepCount += 1;
    }
}

// Looking down on the floor from above while the world turns once every 252 s.
void SeaweedScene::placeCamera(Tempo& tempo)
{
    glLoadIdentity();
    gluLookAt(0, 60, 100,
              0, 10, 0,
              0, 1, 0);
    glRotatef(static_cast<float>(tempo.elapsed() * 0.0014285714285714286), 0, 1, 0);
}

// The teddy lies on the floor, solid and unfogged; it is the only thing that writes depth.
void SeaweedScene::drawTeddy()
{
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glPushMatrix();
    glTranslatef(0, 0.5f, 0);
    glRotatef(-90, 0, 0, 1);
    glScalef(4, 4, 4);
    glColor4f(0.6f, 0.5f, 0.45f, 1.0f);
    teddy.draw();
    glPopMatrix();
}

// Step n of the water: an upward pull with a slow sideways sway, applied to strands and motes.
void SeaweedScene::simulationStep(int n)
{
    const Vec3 current{static_cast<float>(0.5 * std::sin(0.01 * n)), 0.3f, static_cast<float>(0.1 * std::sin(0.0025 * n))};
    for (Strand& strand : strands)
        strand.step(current);

    for (std::size_t index = 0; index < motes.size(); ++index) {
        Vec3& mote = motes[index];
        const double k = static_cast<double>(index);
        mote.x = static_cast<float>(mote.x + 0.1 * std::sin(k + n * 0.07692307692307693) + current.x);
        mote.y = static_cast<float>(mote.y + 0.1 * std::sin(0.025 * n));
        mote.z = static_cast<float>(mote.z + 0.1 * std::sin(k + n * 0.058823529411764705) + current.z);
        // The floor square wraps in x and z; height is left free.
        if (mote.x > 150)
            mote.x -= 300;
        else if (mote.x < -150)
            mote.x += 300;
        if (mote.z > 150)
            mote.z -= 300;
        else if (mote.z < -150)
            mote.z += 300;
    }
}

// Each of the 100 strands stands at ten anchors.
void SeaweedScene::drawSeaweed()
{
    glColor4f(0.6f, 0.3f, 0.1f, 1.0f);
    for (std::size_t i = 0; i < anchors.size(); ++i) {
        glPushMatrix();
        glTranslatef(anchors[i].x, anchors[i].y, anchors[i].z);
        strands[i % strands.size()].draw();
        glPopMatrix();
    }
}

void SeaweedScene::drawMotes()
{
    glColor4f(0.5f, 0.4f, 0.3f, 0.5f);
    glBegin(GL_POINTS);
        for (const Vec3& mote : motes)
            glVertex3f(mote.x, mote.y, mote.z);
    glEnd();
}
