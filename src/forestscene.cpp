// forestscene.cpp -- the forest: terrain and grid, trees growing level by level, leaves unfolding and drifting.
#include "forestscene.h"

#include <algorithm>
#include <cmath>

#include "gl.h"
#include "random.h"
#include "runningorder.h"
#include "screen.h"
#include "tempo.h"

// The music plays one note per level of the first tree.
static_assert(Tree::levelCount == FOREST_TREE_LEVELS, "a tree grows FOREST_TREE_LEVELS levels");

ForestScene::ForestScene()
    : heightfield("hf.bmp", 7.0f, Vec3{-1.0f, -1.5f, -1.0f}, Vec3{0.5f, 0.5f, 0.5f}, 0.1f)
{
    trees.reserve(1 + FOREST_OTHER_TREES);
    // Planted before seeding: its leaves come from wherever the earlier scenes left the sequence.
    addTree(28.0f, 17.5f, 1.0f, 0.65f, 3.1f, 0.65f, 5.2f, 0.65f, 1.7f);
    seedRandom15(5);
    for (int i = 0; i < FOREST_OTHER_TREES; ++i) {
        // The draw order is fixed: each statement takes the next value of the sequence.
        const float size = 1.5 * randomUnit() + 0.6;
        const float b3 = 0.2 * randomUnit() + 0.55;
        const float a3 = 0.2 * randomUnit() + 5.2;
        const float b2 = 0.2 * randomUnit() + 0.55;
        const float a2 = 0.2 * randomUnit() + 3.1;
        const float b1 = 0.2 * randomUnit() + 0.55;
        const float a1 = 0.2 * randomUnit() + 1.0;
        const float x = 40.0 * randomUnit() + 12;
        addTree(x, i + 15.5f, a1, b1, a2, b2, a3, b3, size);
    }
}

ForestScene::~ForestScene()
{
    for (Tree* tree : trees)
        delete tree;
}

void ForestScene::addTree(float x, float z, float a1, float b1, float a2, float b2, float a3, float b3, float size)
{
    const float y = heightfield.heightAt(x, z);
    // Each branch: turn by a about the vertical, lean by b, turn back, shrink, lift along the parent.
    const Matrix a = Matrix::translation(0.0f, 1.0f, 0.0f) * Matrix(Scale, 0.7f) * Matrix(RotateY, -a1) *
                     Matrix(RotateX, b1) * Matrix(RotateY, a1);
    const Matrix b = Matrix::translation(0.0f, 0.9f, 0.0f) * Matrix(Scale, 0.65f) * Matrix(RotateY, -a2) *
                     Matrix(RotateX, b2) * Matrix(RotateY, a2);
    const Matrix c = Matrix::translation(0.0f, 0.8f, 0.0f) * Matrix(Scale, 0.6f) * Matrix(RotateY, -a3) *
                     Matrix(RotateX, b3) * Matrix(RotateY, a3);
    trees.push_back(new Tree(a, b, c, Vec3{x, y, z}, size, &leaves));
}

void ForestScene::setup()
{
    setupSceneCamera(60.0, 1.0, 200.0);
    startTime = -1;
}

void ForestScene::draw(Tempo& tempo)
{
    if (startTime < 0) {
        startTime = tempo.elapsed();
        startBeat = tempo.beat();
    }
    const int sceneMs = tempo.elapsed() - startTime;
    const int sceneBeats = tempo.beat() - startBeat;

    drawCamera(sceneMs);
    drawTerrain();
    drawTrees(tempo, sceneBeats);

    const int leavesMs = tempo.beatsToMs(FOREST_LEAVES_BEAT);
    const int driftMs = tempo.beatsToMs(FOREST_DRIFT_BEAT);
    const float drift = sceneMs < driftMs ? 0.0f : (sceneMs - driftMs) * 0.01f;
    const float growth = (sceneMs - leavesMs) * 0.001f;
    drawLeaves(drift, growth);

    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

// Swings the eye along one slow sine across the scene, half a unit above the ground under it.
void ForestScene::drawCamera(int sceneMs)
{
    const float s = std::sin(sceneMs * 7.142857e-5f);
    const float eyeX = -4 * (1 - s) + 2 * s;
    const float eyeZ = 10 * (1 - s) - 9 * s;
    const float eyeY = heightfield.heightAt(eyeX + 32, eyeZ + 32) + 0.5f;

    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
    gluLookAt(eyeX, eyeY, eyeZ, 1, 1.8, -10, 0, 1, 0);
    glTranslatef(-32.0f, 0.0f, -32.0f);  // terrain point (32, 32) to the origin
}

// The lit ground, then its grid multiplied in at 0.9 without writing depth.
void ForestScene::drawTerrain()
{
    heightfield.drawSurface();
    glDepthMask(GL_FALSE);
    lineWidth(2.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    glColor4f(0.9f, 0.9f, 0.9f, 1.0f);
    heightfield.drawGrid();
}

// Faint additive brown trees, each grown one level per beat from its own start beat.
void ForestScene::drawTrees(Tempo& tempo, int sceneBeats)
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.6f, 0.3f, 0.1f, 0.15f);
    for (std::size_t i = 0; i < trees.size(); ++i) {
        const double phase = tempo.beatPhase();
        const int treeIndex = static_cast<int>(i);
        // Tree i >= 1 starts i - 1 beats after the first of the others.
        const double growth = i == 0 ? phase + sceneBeats - FOREST_FIRST_TREE_BEAT
                                     : phase + (sceneBeats - treeIndex) - (FOREST_OTHER_TREES_BEAT - 1);
        trees[i]->draw(static_cast<float>(growth));
    }
}

// Leaves unfold over one second each, staggered by index, then drift up and away with a flutter.
// drift is in hundredths of a second since the drift began; growth in seconds since the unfolding began.
void ForestScene::drawLeaves(float drift, float growth)
{
    if (growth < 0.0f)
        return;
    lineWidth(2.0f);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        const Vec3& leaf = leaves[i];
        const int index = static_cast<int>(i);
        const float d = std::max(0.0f, drift - index % 50);
        const float f = std::min(1.0f, growth - 0.1f * (index % 27));
        const float h = std::min(0.02f * d, 1.0f);

        glColor4f(1.0f, 1.0f - 0.85f * f, 1.0f - 0.9f * f, 0.3f * f);
        glPushMatrix();
        glTranslatef(leaf.x + 0.2f * d - 2 * h * std::sin(d / 77 + index % 17) + 1.5f * std::sin(0.05f * d),
                     leaf.y + d / 30 + 3 * std::sin(d / 30) + 2 * h * std::sin(d / 88 + index % 13),
                     leaf.z + 3 * std::sin(0.01f * d) + 2 * h * std::sin(d / 60 + index % 11));
        glRotatef(index + 10 * d, 1.0f, 0.0f, 0.0f);
        glRotatef(index + 11 * d, 0.0f, 1.0f, 0.0f);
        glRotatef(index + 12 * d, 0.0f, 0.0f, 1.0f);
        const float g = 0.2f * f;  // side of the leaf square
        glBegin(GL_POLYGON);
            glVertex3f(g, g, 0.0f);
            glVertex3f(g, 0.0f, 0.0f);
            glVertex3f(0.0f, 0.0f, 0.0f);
            glVertex3f(0.0f, g, 0.0f);
        glEnd();
        glBegin(GL_LINE_STRIP);
            glVertex3f(g, g, 0.0f);
            glVertex3f(g, 0.0f, 0.0f);
            glVertex3f(0.0f, 0.0f, 0.0f);
            glVertex3f(0.0f, g, 0.0f);
            glVertex3f(g, g, 0.0f);
        glEnd();
        glPopMatrix();
    }
}
