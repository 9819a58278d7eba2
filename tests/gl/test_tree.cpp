// test_tree.cpp -- how a tree spends the random sequence, where its leaves land, and how it is drawn
// level by level.
#include <algorithm>
#include <cmath>

#include "random.h"
#include "scenefixture.h"
#include "tree.h"

namespace {
Matrix branch(float lift, float size, float turn)
{
    return Matrix::translation(0, lift, 0) * Matrix(Scale, size) * Matrix(RotateY, -turn) * Matrix(RotateX, 0.65f) *
           Matrix(RotateY, turn);
}

// Three branches that differ, so the order of the matrix products shows in the tips.
const Matrix branches[3] = {branch(1, 0.7f, 1.0f), branch(0.9f, 0.65f, 3.1f), branch(0.8f, 0.6f, 5.2f)};
const Vec3 base{3.0f, 1.0f, -2.0f};
}

// Tip k (depth-first, first branch first) is reached through seven branch choices, the base-3 digits
// of k from the most significant; each choice multiplies onto the left of the transform so far. A
// tip whose random value is 1 modulo 20 leaves a leaf halfway along its would-be segment.
TEST(Tree, SpendsOneDrawPerTipLeavesALeafAtTipsDrawingOneModuloTwentyAndDrawsThinningFromFivePixels)
{
    seedRandom15(1234);
    std::vector<Vec3> expected;
    for (int tip = 0; tip < 2187; ++tip) {
        if (random15() % 20 != 1)
            continue;
        Matrix transform = Matrix::identity();
        for (int place = 729; place >= 1; place /= 3)
            transform = branches[(tip / place) % 3] * transform;
        const Vec3 p = transform * Vec3{0.0f, 0.5f, 0.0f};
        expected.push_back(Vec3{base.x + 1.5f * p.x, base.y + 1.5f * p.y, base.z + 1.5f * p.z});
    }
    const int valueAfterTree = random15();

    seedRandom15(1234);
    std::vector<Vec3> leaves{Vec3{9, 9, 9}};
    const Tree tree(branches[0], branches[1], branches[2], base, 1.5f, &leaves);
    EXPECT_EQ(tree.segmentCount(), 1093);
    EXPECT_EQ(random15(), valueAfterTree);
    ASSERT_EQ(leaves.size(), 1 + expected.size());  // appended after what the list held
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_TRUE(std::fabs(leaves[1 + i].x - expected[i].x) + std::fabs(leaves[1 + i].y - expected[i].y) +
                        std::fabs(leaves[1 + i].z - expected[i].z) < 1e-4f) << "leaf " << i;

    // Drawn, it thins from five pixels, changing the width only where it must, under its own matrix.
    // (When each tree starts and how far it has grown at a beat is checked in the forest's frames.)
    glrec::reset();
    tree.draw(7.0f);  // from 7 on every segment is whole
    std::vector<float> widths;  // of each segment drawn
    for (const glrec::Primitive& lines : glrec::primitives())
        widths.insert(widths.end(), lines.vertices.size() / 2, lines.lineWidth);
    ASSERT_EQ(widths.size(), 1093u);
    EXPECT_TRUE(widths[0] == 5.0f && widths[1] == 4.0f && widths[2] == 2.0f);  // trunk, first branch, its twig
    EXPECT_EQ(std::count(widths.begin(), widths.end(), 4.0f), 3);
    EXPECT_EQ(std::count(widths.begin(), widths.end(), 2.0f), 1093 - 1 - 3);
    EXPECT_EQ(glrec::callsNamed("glLineWidth").size(), 7u);  // trunk, then each first branch and its twigs
    EXPECT_EQ(glrec::callsNamed("glTranslatef").at(0).args, (std::vector<double>{3, 1, -2}));
    EXPECT_EQ(glrec::callsNamed("glScalef").at(0).args, (std::vector<double>{1.5, 1.5, 1.5}));
    EXPECT_EQ(glrec::state().stacks[GL_MODELVIEW].size(), 1u);  // and restores
}
