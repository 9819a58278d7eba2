// test_tree.cpp -- how a tree spends the random sequence and where its leaves land.
#include <gtest/gtest.h>

#include <vector>

#include "random.h"
#include "tree.h"

namespace {
Matrix branch(float lift, float size, float turn, float lean)
{
    return Matrix::translation(0, lift, 0) * Matrix(Scale, size) * Matrix(RotateY, -turn) * Matrix(RotateX, lean) *
           Matrix(RotateY, turn);
}

// Three branches that differ, so the order of the matrix products shows in the tips.
const Matrix branches[3] = {branch(1, 0.7f, 1.0f, 0.65f), branch(0.9f, 0.65f, 3.1f, 0.65f), branch(0.8f, 0.6f, 5.2f, 0.65f)};
const Vec3 base{3.0f, 1.0f, -2.0f};
constexpr float treeScale = 1.5f;
}

TEST(Tree, GrowsOneThousandNinetyThreeSegmentsAndSpendsOneValuePerTip)
{
    seedRandom15(77);
    for (int tip = 0; tip < 2187; ++tip)
        random15();
    const int valueAfterTree = random15();

    seedRandom15(77);
    std::vector<Vec3> leaves{Vec3{9, 9, 9}};
    const Tree tree(branches[0], branches[1], branches[2], base, treeScale, &leaves);
    EXPECT_EQ(tree.segmentCount(), 1093);
    EXPECT_EQ(random15(), valueAfterTree);
    EXPECT_FLOAT_EQ(leaves[0].x, 9.0f);  // appended after what the list held
}

// Tip k (depth-first, first branch first) is reached through seven branch choices, the base-3 digits
// of k from the most significant; each choice multiplies onto the left of the transform so far. A
// tip whose random value is 1 modulo 20 leaves a leaf halfway along its would-be segment.
TEST(Tree, LeavesSitAtTheTipsDrawingOneModuloTwentyWithTheBranchOnTheLeft)
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
        expected.push_back(Vec3{base.x + treeScale * p.x, base.y + treeScale * p.y, base.z + treeScale * p.z});
    }

    seedRandom15(1234);
    std::vector<Vec3> leaves;
    const Tree tree(branches[0], branches[1], branches[2], base, treeScale, &leaves);
    ASSERT_EQ(leaves.size(), expected.size());
    ASSERT_GT(leaves.size(), 0u);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        EXPECT_NEAR(leaves[i].x, expected[i].x, 1e-4f) << "leaf " << i;
        EXPECT_NEAR(leaves[i].y, expected[i].y, 1e-4f) << "leaf " << i;
        EXPECT_NEAR(leaves[i].z, expected[i].z, 1e-4f) << "leaf " << i;
    }
}
